// What the end-to-end tests need of Windows that reg.exe and xdotool cannot
// do. Runs inside the same wineserver session as the program under test.
//
//   levorn_e2e_tool set-dacl <key below HKLM, in the 32-bit programs' view> <SDDL DACL>
//       Replaces the key's DACL, e.g. "D:(D;;0x2;;;WD)(A;;KA;;;WD)".
//   levorn_e2e_tool box-text <title>
//       Prints the text of the message box with that title.
//   levorn_e2e_tool run-unseen <program> <seconds>
//       Starts the program on a desktop of a new window station created
//       without WSF_VISIBLE, as deployment tools run it: nothing it shows
//       can be seen or answered. Exits with the program's exit code, or with
//       124 (after ending it) when it is still running after <seconds>.
//   levorn_e2e_tool stop-after-writes <program> <writes>
//       Runs the program under the debugging API and terminates it as it
//       starts registry write number <writes> + 1 (RegCreateKeyExA or
//       RegSetValueExA): 0 when stopped so, 1 when it ended before.
//   levorn_e2e_tool refuse-default-dll-directories <program>
//       Runs the program under the debugging API with SetDefaultDllDirectories
//       failing, as on Windows XP and on Vista and 7 without the update that
//       added it: the program's exit code, or 3 when it never called it.
#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace {

// The key paths given are those of the 32-bit programs' view, which a
// 64-bit build of this tool asks for.
#if defined(_WIN64)
constexpr REGSAM kThirtyTwoBitView = KEY_WOW64_32KEY;
#else
constexpr REGSAM kThirtyTwoBitView = 0;
#endif

int SetDacl(const char* key_path, const char* sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor,
                                                            nullptr)) {
    std::fprintf(stderr, "bad SDDL %s: %lu\n", sddl, GetLastError());
    return 2;
  }
  HKEY key = nullptr;
  LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_path, 0, WRITE_DAC | kThirtyTwoBitView, &key);
  if (result == ERROR_SUCCESS) {
    result = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
    RegCloseKey(key);
  }
  LocalFree(descriptor);
  if (result != ERROR_SUCCESS) std::fprintf(stderr, "set-dacl %s: %ld\n", key_path, result);
  return result == ERROR_SUCCESS ? 0 : 1;
}

BOOL CALLBACK PrintStaticText(HWND child, LPARAM) {
  char class_name[16] = {};
  GetClassNameA(child, class_name, sizeof class_name);
  if (lstrcmpiA(class_name, "Static") != 0) return TRUE;
  char text[4096] = {};
  SendMessageA(child, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  if (text[0] != '\0') std::printf("%s\n", text);
  return TRUE;
}

int BoxText(const char* title) {
  HWND box = FindWindowA("#32770", title);
  if (box == nullptr) {
    std::fprintf(stderr, "no message box titled %s\n", title);
    return 1;
  }
  EnumChildWindows(box, PrintStaticText, 0);
  return 0;
}

int RunUnseen(const char* program, int seconds) {
  HWINSTA station = CreateWindowStationA("LevornUnseen", 0, WINSTA_ALL_ACCESS, nullptr);
  if (station == nullptr) {
    std::fprintf(stderr, "CreateWindowStation: %lu\n", GetLastError());
    return 2;
  }
  HWINSTA own_station = GetProcessWindowStation();
  SetProcessWindowStation(station);
  HDESK desktop = CreateDesktopA("Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
  SetProcessWindowStation(own_station);
  if (desktop == nullptr) {
    std::fprintf(stderr, "CreateDesktop: %lu\n", GetLastError());
    return 2;
  }

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  char desktop_name[] = "LevornUnseen\\Default";
  startup.lpDesktop = desktop_name;
  PROCESS_INFORMATION process = {};
  std::string command_line = std::string("\"") + program + "\"";
  if (!CreateProcessA(program, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::fprintf(stderr, "CreateProcess %s: %lu\n", program, GetLastError());
    return 2;
  }
  DWORD exit_code = 124;
  if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(seconds) * 1000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &exit_code);
  } else {
    std::fprintf(stderr, "%s still running after %d s\n", program, seconds);
    TerminateProcess(process.hProcess, 124);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  CloseDesktop(desktop);
  CloseWindowStation(station);
  return static_cast<int>(exit_code);
}

// Breakpoints, through the debugging API, on the two registry calls that
// write (RegCreateKeyExA, RegSetValueExA), at the addresses this process
// sees them at: Wine loads its system libraries at the same place in every
// process of a prefix of the same architecture.
class WriteBreakpoints {
 public:
  explicit WriteBreakpoints(HANDLE process) : process_(process) {
    const HMODULE advapi = LoadLibraryA("advapi32.dll");
    targets_[0] = reinterpret_cast<BYTE*>(GetProcAddress(advapi, "RegCreateKeyExA"));
    targets_[1] = reinterpret_cast<BYTE*>(GetProcAddress(advapi, "RegSetValueExA"));
  }
  void Arm() {
    for (int i = 0; i < 2; ++i) {
      ReadProcessMemory(process_, targets_[i], &original_[i], 1, nullptr);
      Write(targets_[i], 0xCC);
    }
  }
  // The breakpoint of a write at `address`: steps over it once and re-arms it.
  bool Hit(void* address, HANDLE thread) {
    for (int i = 0; i < 2; ++i) {
      if (address != targets_[i]) continue;
      Write(targets_[i], original_[i]);
      CONTEXT context = {};
      context.ContextFlags = CONTEXT_CONTROL;
      GetThreadContext(thread, &context);
#if defined(_WIN64)
      context.Rip -= 1;
#else
      context.Eip -= 1;
#endif
      context.EFlags |= 0x100;  // one step, then the trap re-arms it
      SetThreadContext(thread, &context);
      stepping_ = i;
      return true;
    }
    return false;
  }
  bool Stepped() {
    if (stepping_ < 0) return false;
    Write(targets_[stepping_], 0xCC);
    stepping_ = -1;
    return true;
  }

 private:
  void Write(BYTE* address, BYTE value) {
    WriteProcessMemory(process_, address, &value, 1, nullptr);
    FlushInstructionCache(process_, address, 1);
  }

  HANDLE process_;
  BYTE* targets_[2] = {};
  BYTE original_[2] = {};
  int stepping_ = -1;
};

// Runs the program under the debugging API until it ends. At the loader's
// own breakpoint (every library is in) `arm` is called; a later breakpoint
// or single step goes to `trap`, which says whether it was its own. Returns
// the program's exit code, or -1 when it did not end within a minute.
template <typename Arm, typename Trap>
int RunDebugged(const char* program, Arm arm, Trap trap) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::string command_line = std::string("\"") + program + "\"";
  if (!CreateProcessA(program, command_line.data(), nullptr, nullptr, FALSE,
                      DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr, &startup, &process)) {
    std::fprintf(stderr, "CreateProcess %s: %lu\n", program, GetLastError());
    return -1;
  }
  bool armed = false;
  DEBUG_EVENT event = {};
  while (WaitForDebugEvent(&event, 60000)) {
    DWORD status = DBG_CONTINUE;
    if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) {
      return static_cast<int>(event.u.ExitProcess.dwExitCode);
    }
    if (event.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT) {
      CloseHandle(event.u.CreateProcessInfo.hFile);
    } else if (event.dwDebugEventCode == LOAD_DLL_DEBUG_EVENT) {
      CloseHandle(event.u.LoadDll.hFile);
    } else if (event.dwDebugEventCode == EXCEPTION_DEBUG_EVENT) {
      const EXCEPTION_RECORD& record = event.u.Exception.ExceptionRecord;
      const HANDLE thread = OpenThread(THREAD_ALL_ACCESS, FALSE, event.dwThreadId);
      if (record.ExceptionCode == EXCEPTION_BREAKPOINT && !armed) {
        arm(process.hProcess);
        armed = true;
      } else if (!trap(process.hProcess, record, thread)) {
        status = DBG_EXCEPTION_NOT_HANDLED;
      }
      CloseHandle(thread);
    }
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
  }
  std::fprintf(stderr, "%s did not end\n", program);
  TerminateProcess(process.hProcess, 124);
  return -1;
}

// Starts the program and terminates it as it begins its (writes + 1)-th
// registry write, as a shutdown or a deployment timeout would: 0 when it
// was stopped so, 1 when it ended before.
int StopAfterWrites(const char* program, int writes) {
  std::optional<WriteBreakpoints> breakpoints;
  int seen = 0;
  const auto arm = [&](HANDLE process) { breakpoints.emplace(process).Arm(); };
  const auto trap = [&](HANDLE process, const EXCEPTION_RECORD& record, HANDLE thread) {
    if (!breakpoints) return false;
    if (record.ExceptionCode == EXCEPTION_SINGLE_STEP) return breakpoints->Stepped();
    if (record.ExceptionCode != EXCEPTION_BREAKPOINT ||
        !breakpoints->Hit(record.ExceptionAddress, thread)) {
      return false;
    }
    if (++seen > writes) TerminateProcess(process, 99);
    return true;
  };
  RunDebugged(program, arm, trap);
  std::fprintf(stderr, "ended after %d writes\n", seen);
  return seen > writes ? 0 : 1;
}

// Runs the program with SetDefaultDllDirectories answering FALSE at once: a
// breakpoint on its first byte returns to the caller as the function would,
// with its one argument popped (stdcall; on x86-64 it came in a register).
int RefuseDefaultDllDirectories(const char* program) {
  // This tool runs in the folder of planted libraries too: its own search
  // stays in the system directory.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  BYTE* const target = reinterpret_cast<BYTE*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories"));
  BYTE original = 0;
  bool refused = false;
  const auto write = [&](HANDLE process, BYTE value) {
    WriteProcessMemory(process, target, &value, 1, nullptr);
    FlushInstructionCache(process, target, 1);
  };
  const auto arm = [&](HANDLE process) {
    ReadProcessMemory(process, target, &original, 1, nullptr);
    write(process, 0xCC);
  };
  const auto trap = [&](HANDLE process, const EXCEPTION_RECORD& record, HANDLE thread) {
    if (record.ExceptionCode != EXCEPTION_BREAKPOINT || record.ExceptionAddress != target) {
      return false;
    }
    write(process, original);
    CONTEXT context = {};
    context.ContextFlags = CONTEXT_CONTROL | CONTEXT_INTEGER;
    GetThreadContext(thread, &context);
#if defined(_WIN64)
    DWORD64 return_address = 0;
    ReadProcessMemory(process, reinterpret_cast<void*>(context.Rsp), &return_address,
                      sizeof return_address, nullptr);
    context.Rip = return_address;
    context.Rsp += 8;  // the return address
    context.Rax = FALSE;
#else
    DWORD return_address = 0;
    ReadProcessMemory(process, reinterpret_cast<void*>(context.Esp), &return_address,
                      sizeof return_address, nullptr);
    context.Eip = return_address;
    context.Esp += 8;  // the return address and the argument
    context.Eax = FALSE;
#endif
    SetThreadContext(thread, &context);
    refused = true;
    return true;
  };
  const int exit_code = RunDebugged(program, arm, trap);
  return refused ? exit_code : 3;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "stop-after-writes") == 0) {
    return StopAfterWrites(argv[2], std::atoi(argv[3]));
  }
  if (argc == 3 && std::strcmp(argv[1], "refuse-default-dll-directories") == 0) {
    return RefuseDefaultDllDirectories(argv[2]);
  }
  if (argc == 4 && std::strcmp(argv[1], "set-dacl") == 0) return SetDacl(argv[2], argv[3]);
  if (argc == 3 && std::strcmp(argv[1], "box-text") == 0) return BoxText(argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "run-unseen") == 0) {
    return RunUnseen(argv[2], std::atoi(argv[3]));
  }
  std::fprintf(stderr, "usage: see the top of e2e_tool.cc\n");
  return 2;
}
