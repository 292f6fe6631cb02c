// LevornSetup.exe: the platform starts the main window, whose load handler
// runs the whole setup; the program ends when it has unloaded.
#include <windows.h>

#include "app/automation.h"
#include "app/clock.h"
#include "app/process_token_win32.h"
#include "app/program.h"
#include "app/setup_toolkit.h"
#include "app/windows_win32.h"
#include "base/message_box_win32.h"
#include "odbc/mdl_odbc.h"
#include "odbc/system_info_win32.h"
#include "registry/registry_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  levorn::Win32Registry registry;
  levorn::Win32SystemInfo system;
  levorn::Win32MessageBox messages;
  levorn::Win32Windows windows(instance);
  levorn::Win32Clock clock;
  levorn::Win32SetupToolkit toolkit;
  levorn::Win32Automation automation;
  levorn::Win32ProcessToken token;
  levorn::MdlODBC data_sources(registry, system, messages);
  return levorn::RunLevornSetup(
      {registry, data_sources, windows, messages, clock, system, toolkit, automation, token});
}
