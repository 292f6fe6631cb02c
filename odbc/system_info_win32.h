#ifndef LEVORN_ODBC_SYSTEM_INFO_WIN32_H_
#define LEVORN_ODBC_SYSTEM_INFO_WIN32_H_

#include "odbc/system_info_api.h"

namespace levorn {

// kernel32's GetVersionExA, GetSystemDirectoryA, GetWindowsDirectoryA and
// IsWow64Process.
class Win32SystemInfo : public SystemInfoApi {
 public:
  bool GetVersionExA(OsVersionRecord& record) override;
  uint32_t GetSystemDirectoryA(char* buffer, uint32_t size) override;
  uint32_t GetWindowsDirectoryA(char* buffer, uint32_t size) override;
  bool RunsUnderWow64() override;
};

}  // namespace levorn

#endif  // LEVORN_ODBC_SYSTEM_INFO_WIN32_H_
