#include "tests/support/platform_fake.h"

#include <cstring>
#include <string>

#include "base/text.h"

namespace levorn {

OsVersionRecord FakePlatform::Version(uint32_t platform, uint32_t major, uint32_t minor) {
  OsVersionRecord record;
  record.dwPlatformId = platform;
  record.dwMajorVersion = major;
  record.dwMinorVersion = minor;
  return record;
}

bool FakePlatform::GetVersionExA(OsVersionRecord& record) {
  ++version_calls;
  if (!version) return false;
  const uint32_t size = record.dwOSVersionInfoSize;
  record = *version;
  record.dwOSVersionInfoSize = size;
  return true;
}

namespace {

// What GetSystemDirectoryA and GetWindowsDirectoryA do with a directory.
uint32_t CopyDirectory(const std::optional<std::string>& directory,
                       const std::optional<uint32_t>& result_only, char* buffer, uint32_t size) {
  if (result_only) return *result_only;
  if (!directory) return 0;
  const auto length = static_cast<uint32_t>(directory->size());
  if (length + 1 > size) return length + 1;
  std::memcpy(buffer, directory->c_str(), length + 1);
  return length;
}

}  // namespace

uint32_t FakePlatform::GetSystemDirectoryA(char* buffer, uint32_t size) {
  ++system_directory_calls;
  return CopyDirectory(system_directory, system_directory_result_only, buffer, size);
}

uint32_t FakePlatform::GetWindowsDirectoryA(char* buffer, uint32_t size) {
  return CopyDirectory(windows_directory, windows_directory_result_only, buffer, size);
}

void FakePlatform::LogEvent(bool error, uint32_t event_id, const Text& text) {
  events.push_back((error ? "error " : "information ") + std::to_string(event_id) + ": " +
                   ToAnsi(text));
}

}  // namespace levorn
