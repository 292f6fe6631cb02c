// LevornSetup.exe: the platform starts the main window, whose load handler
// runs the whole setup; the program ends when it has unloaded. Where nobody
// can see its windows, they and its messages are shown nowhere.
#include <windows.h>

#include "app/automation_win32.h"
#include "app/frm_pemrod.h"
#include "app/screen_win32.h"
#include "app/setup_toolkit_win32.h"
#include "base/platform_win32.h"
#include "odbc/mdl_odbc.h"
#include "registry/registry_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  levorn::RestrictLibrarySearch();
  levorn::Win32Platform platform;
  levorn::Win32Registry registry(platform.RunsUnderWow64().value_or(false));
  levorn::Win32Screen visible_screen(instance);
  levorn::UnseenScreen unseen_screen(platform);
  levorn::ScreenApi& screen =
      levorn::ScreenFor(platform.WindowStationVisible(), visible_screen, unseen_screen);
  levorn::MdlODBC data_sources(registry, platform);
  levorn::Win32SetupToolkit toolkit;
  levorn::Win32Automation automation;
  levorn::frmPemrod main_window(registry, data_sources, screen, platform, toolkit, automation);
  return main_window.Run();
}
