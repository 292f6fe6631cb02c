// LevornSetup.exe: the platform starts the main window, whose load handler
// runs the whole setup; the program ends when it has unloaded. Where nobody
// can see its windows, they and its messages are shown nowhere.
#include <windows.h>

#include "app/automation_win32.h"
#include "app/clock_win32.h"
#include "app/process_token_win32.h"
#include "app/program.h"
#include "app/screen.h"
#include "app/window_station_win32.h"
#include "app/setup_toolkit_win32.h"
#include "app/window_win32.h"
#include "base/message_box_win32.h"
#include "odbc/mdl_odbc.h"
#include "odbc/system_info_win32.h"
#include "registry/registry_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  levorn::RestrictLibrarySearch();
  levorn::Win32Registry registry;
  levorn::Win32SystemInfo system;
  levorn::Win32MessageBox screen_messages;
  levorn::Win32Windows screen_windows(instance);
  levorn::Win32WindowStation station;
  levorn::UnseenScreen unseen;
  const levorn::Screen screen =
      levorn::ChooseScreen(station, {screen_windows, screen_messages}, unseen);
  levorn::Win32Clock clock;
  levorn::Win32SetupToolkit toolkit;
  levorn::Win32Automation automation;
  levorn::Win32ProcessToken token;
  levorn::MdlODBC data_sources(registry, system, screen.messages);
  return levorn::RunLevornSetup({registry, data_sources, screen.windows, screen.messages, clock,
                                 system, toolkit, automation, token});
}
