// LevornSetup.exe: the platform starts the main window, whose load handler
// runs the whole setup; the program ends when it has unloaded. Where nobody
// can see its windows, they and its messages are shown nowhere.
#include <windows.h>

#include "app/frm_pemrod.h"
#include "base/platform_64bit_build.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace levorn;
  RestrictLibrarySearch();
#if defined(_WIN64)
  // Built for 64-bit Windows: it registers as the 32-bit program does there.
  const auto win32_platform = CreateWin32Platform();
  const auto platform = std::make_unique<Platform64BitBuild>(*win32_platform);
#else
  const auto platform = CreateWin32Platform();
#endif
  const auto registry = CreateWin32Registry(platform->RunsUnderWow64().value_or(false));
  const auto visible_screen = CreateWin32Screen();
  UnseenScreen unseen_screen(*platform);
  ScreenApi& screen = ScreenFor(*platform, *visible_screen, unseen_screen);
  MdlODBC data_sources(*registry, *platform);
  const auto toolkit = CreateWin32SetupToolkit();
  const auto automation = CreateWin32Automation();
  frmPemrod main_window(*registry, data_sources, screen, *platform, *toolkit, *automation);
  return main_window.Run();
}
