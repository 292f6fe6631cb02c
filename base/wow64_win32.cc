#include "base/wow64_win32.h"

#include <windows.h>

namespace levorn {

bool RunsUnderWow64() {
  using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, BOOL*);
  // Looked up at run time, so that the program still starts where it is missing.
  static const bool answer = [] {
    auto is_wow64_process = reinterpret_cast<IsWow64ProcessFunction>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
    BOOL wow64 = FALSE;
    return is_wow64_process != nullptr && is_wow64_process(GetCurrentProcess(), &wow64) &&
           wow64 != FALSE;
  }();
  return answer;
}

}  // namespace levorn
