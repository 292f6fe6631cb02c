#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>

#include "base/platform_api.h"
#include "base/text.h"

namespace levorn {
namespace {

static_assert(sizeof(OsVersionRecord) == sizeof(OSVERSIONINFOA));
static_assert(offsetof(OsVersionRecord, dwPlatformId) == offsetof(OSVERSIONINFOA, dwPlatformId));
static_assert(offsetof(OsVersionRecord, szCSDVersion) == offsetof(OSVERSIONINFOA, szCSDVersion));

// The process token, opened for `access` and closed with the pointer; null
// when it cannot be opened.
std::unique_ptr<void, BOOL(WINAPI*)(HANDLE)> OpenOwnToken(DWORD access) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), access, &token)) token = nullptr;
  return {token, CloseHandle};
}

// The real platform: kernel32, user32, advapi32 and the process token.
class Win32Platform : public PlatformApi {
 public:
  int32_t CurrentYear() override {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now.wYear;
  }

  std::optional<bool> RunsUnderWow64() override {
    using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, BOOL*);
    // Looked up at run time, so that the program still starts where it is missing.
    const auto is_wow64_process = reinterpret_cast<IsWow64ProcessFunction>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
    BOOL wow64 = FALSE;
    if (is_wow64_process == nullptr || !is_wow64_process(GetCurrentProcess(), &wow64)) {
      return std::nullopt;
    }
    return wow64 != FALSE;
  }

  bool GetVersionExA(OsVersionRecord& record) override {
    // Same layout, so the record goes to the platform as it is.
    return ::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&record)) != FALSE;
  }

  uint32_t GetSystemDirectoryA(char* buffer, uint32_t size) override {
    return ::GetSystemDirectoryA(buffer, size);
  }

  uint32_t GetWindowsDirectoryA(char* buffer, uint32_t size) override {
    return ::GetWindowsDirectoryA(buffer, size);
  }

  std::optional<bool> WindowStationVisible() override {
    HWINSTA station = GetProcessWindowStation();
    if (station == nullptr) return std::nullopt;
    USEROBJECTFLAGS flags = {};
    DWORD needed = 0;
    if (!GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags, &needed)) {
      return std::nullopt;
    }
    return (flags.dwFlags & WSF_VISIBLE) != 0;
  }

  std::optional<uint32_t> SessionId() override {
    DWORD session = 0;
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &session)) return std::nullopt;
    return session;
  }

  std::optional<bool> RegistryVirtualization() override {
    const auto token = OpenOwnToken(TOKEN_QUERY);
    if (token == nullptr) return std::nullopt;
    DWORD enabled = 0;
    DWORD size = 0;
    // Before Vista the class is unknown and the call fails.
    if (!GetTokenInformation(token.get(), TokenVirtualizationEnabled, &enabled, sizeof enabled,
                             &size)) {
      return std::nullopt;
    }
    return enabled != 0;
  }

  bool DisableRegistryVirtualization() override {
    const auto token = OpenOwnToken(TOKEN_ADJUST_DEFAULT);
    if (token == nullptr) return false;
    DWORD disabled = 0;
    return SetTokenInformation(token.get(), TokenVirtualizationEnabled, &disabled,
                               sizeof disabled) != FALSE;
  }

  void LogEvent(bool error, uint32_t event_id, const Text& text) override {
    const HANDLE source = RegisterEventSourceA(nullptr, "LevornSetup");
    if (source == nullptr) return;
    const std::string ansi = ToAnsi(text);
    const char* strings[] = {ansi.c_str()};
    ReportEventA(source, error ? EVENTLOG_ERROR_TYPE : EVENTLOG_INFORMATION_TYPE, 0, event_id,
                 nullptr, 1, 0, strings, nullptr);
    DeregisterEventSource(source);
  }
};

}  // namespace

std::unique_ptr<PlatformApi> CreateWin32Platform() { return std::make_unique<Win32Platform>(); }

}  // namespace levorn
