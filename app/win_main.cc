// LevornSetup.exe: the platform starts the main window, whose load handler
// runs the whole setup; the program ends when it has unloaded. Where nobody
// can see its windows, they and its messages are shown nowhere.
#include <windows.h>

#include "app/frm_pemrod.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace levorn;
  RestrictLibrarySearch();
  const auto platform = CreateWin32Platform();
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
