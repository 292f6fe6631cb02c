#ifndef LEVORN_BASE_PLATFORM_WIN32_H_
#define LEVORN_BASE_PLATFORM_WIN32_H_

#include "base/platform_api.h"

namespace levorn {

// The real platform: kernel32, user32 and the process token.
class Win32Platform : public PlatformApi {
 public:
  int32_t CurrentYear() override;
  std::optional<bool> RunsUnderWow64() override;
  bool GetVersionExA(OsVersionRecord& record) override;
  uint32_t GetSystemDirectoryA(char* buffer, uint32_t size) override;
  uint32_t GetWindowsDirectoryA(char* buffer, uint32_t size) override;
  std::optional<bool> WindowStationVisible() override;
  std::optional<bool> RegistryVirtualization() override;
  bool DisableRegistryVirtualization() override;
  void LogEvent(bool error, const Text& text) override;
};

}  // namespace levorn

#endif  // LEVORN_BASE_PLATFORM_WIN32_H_
