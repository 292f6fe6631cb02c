#ifndef LEVORN_ODBC_SYSTEM_INFO_API_H_
#define LEVORN_ODBC_SYSTEM_INFO_API_H_

#include <cstdint>

namespace levorn {

// The platform's OSVERSIONINFOA: five 32-bit fields and a 128-byte
// service-pack text, 148 bytes in all.
struct OsVersionRecord {
  uint32_t dwOSVersionInfoSize = 0;
  uint32_t dwMajorVersion = 0;
  uint32_t dwMinorVersion = 0;
  uint32_t dwBuildNumber = 0;
  uint32_t dwPlatformId = 0;
  char szCSDVersion[128] = {};
};
static_assert(sizeof(OsVersionRecord) == 148);

// What the program asks of the system: the version and the system directory
// for the data-source writers, the Windows directory, and whether it runs as
// a 32-bit program on 64-bit Windows.
class SystemInfoApi {
 public:
  virtual ~SystemInfoApi() = default;
  // GetVersionExA: fills the record; false when the call failed.
  virtual bool GetVersionExA(OsVersionRecord& record) = 0;
  // GetSystemDirectoryA: the number of characters written, 0 on failure, or
  // the size needed when `size` is too small.
  virtual uint32_t GetSystemDirectoryA(char* buffer, uint32_t size) = 0;
  // GetWindowsDirectoryA: the same contract, for the Windows directory.
  virtual uint32_t GetWindowsDirectoryA(char* buffer, uint32_t size) = 0;
  // IsWow64Process for this process; false where the function is missing.
  virtual bool RunsUnderWow64() = 0;
};

}  // namespace levorn

#endif  // LEVORN_ODBC_SYSTEM_INFO_API_H_
