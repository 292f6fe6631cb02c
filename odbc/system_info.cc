#include "odbc/system_info.h"

#include <cstring>

namespace levorn {

OsVersionRecord FakeSystemInfo::Version(uint32_t platform, uint32_t major, uint32_t minor) {
  OsVersionRecord record;
  record.dwPlatformId = platform;
  record.dwMajorVersion = major;
  record.dwMinorVersion = minor;
  return record;
}

bool FakeSystemInfo::GetVersionExA(OsVersionRecord& record) {
  ++version_calls;
  if (!version) return false;
  const uint32_t size = record.dwOSVersionInfoSize;
  record = *version;
  record.dwOSVersionInfoSize = size;
  return true;
}

uint32_t FakeSystemInfo::GetSystemDirectoryA(char* buffer, uint32_t size) {
  ++system_directory_calls;
  if (system_directory_result_only) return *system_directory_result_only;
  if (!system_directory) return 0;
  const auto length = static_cast<uint32_t>(system_directory->size());
  if (length + 1 > size) return length + 1;
  std::memcpy(buffer, system_directory->c_str(), length + 1);
  return length;
}

}  // namespace levorn
