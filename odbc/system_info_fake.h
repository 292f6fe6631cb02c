#ifndef LEVORN_ODBC_SYSTEM_INFO_FAKE_H_
#define LEVORN_ODBC_SYSTEM_INFO_FAKE_H_

#include <optional>
#include <string>

#include "odbc/system_info_api.h"

namespace levorn {

// A system that says what the test tells it to.
class FakeSystemInfo : public SystemInfoApi {
 public:
  // std::nullopt makes GetVersionExA fail and leave the record untouched.
  std::optional<OsVersionRecord> version;
  // std::nullopt makes GetSystemDirectoryA return 0 and write nothing.
  std::optional<std::string> system_directory;
  // When set, GetSystemDirectoryA returns this count and writes nothing.
  std::optional<uint32_t> system_directory_result_only;

  // The same for GetWindowsDirectoryA.
  std::optional<std::string> windows_directory = std::string("C:\\Windows");
  std::optional<uint32_t> windows_directory_result_only;

  bool wow64 = false;

  int version_calls = 0;
  int system_directory_calls = 0;

  static OsVersionRecord Version(uint32_t platform, uint32_t major, uint32_t minor);

  bool GetVersionExA(OsVersionRecord& record) override;
  uint32_t GetSystemDirectoryA(char* buffer, uint32_t size) override;
  uint32_t GetWindowsDirectoryA(char* buffer, uint32_t size) override;
  bool RunsUnderWow64() override { return wow64; }
};

}  // namespace levorn

#endif  // LEVORN_ODBC_SYSTEM_INFO_FAKE_H_
