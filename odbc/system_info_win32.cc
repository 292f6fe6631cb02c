#include "odbc/system_info_win32.h"

#include <windows.h>

#include <cstddef>

#include "base/wow64_win32.h"

namespace levorn {

static_assert(sizeof(OsVersionRecord) == sizeof(OSVERSIONINFOA));
static_assert(offsetof(OsVersionRecord, dwPlatformId) == offsetof(OSVERSIONINFOA, dwPlatformId));
static_assert(offsetof(OsVersionRecord, szCSDVersion) == offsetof(OSVERSIONINFOA, szCSDVersion));

bool Win32SystemInfo::GetVersionExA(OsVersionRecord& record) {
  // Same layout, so the record goes to the platform as it is.
  return ::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&record)) != FALSE;
}

uint32_t Win32SystemInfo::GetSystemDirectoryA(char* buffer, uint32_t size) {
  return ::GetSystemDirectoryA(buffer, size);
}

uint32_t Win32SystemInfo::GetWindowsDirectoryA(char* buffer, uint32_t size) {
  return ::GetWindowsDirectoryA(buffer, size);
}

bool Win32SystemInfo::RunsUnderWow64() { return levorn::RunsUnderWow64(); }

}  // namespace levorn
