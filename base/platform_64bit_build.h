#ifndef LEVORN_BASE_PLATFORM_64BIT_BUILD_H_
#define LEVORN_BASE_PLATFORM_64BIT_BUILD_H_

#include <cstdint>
#include <optional>

#include "base/platform_api.h"
#include "base/text.h"

namespace levorn {

// The platform as the program built for 64-bit Windows (the win64 preset)
// gives it to the setup. That build runs where the shipped 32-bit program
// cannot be tried, and must register exactly as that program does under
// WOW64. A 64-bit process runs only on 64-bit Windows, where the machine's
// 32-bit programs run under WOW64: so RunsUnderWow64 answers what the 32-bit
// program would find there, yes, and the setup chooses, and the registry
// reaches, the 32-bit programs' view. Every other question goes to the
// platform as it is.
class Platform64BitBuild : public PlatformApi {
 public:
  explicit Platform64BitBuild(PlatformApi& platform) : platform_(platform) {}

  int32_t CurrentYear() override { return platform_.CurrentYear(); }
  std::optional<bool> RunsUnderWow64() override { return true; }
  bool GetVersionExA(OsVersionRecord& record) override { return platform_.GetVersionExA(record); }
  uint32_t GetSystemDirectoryA(char* buffer, uint32_t size) override {
    return platform_.GetSystemDirectoryA(buffer, size);
  }
  uint32_t GetWindowsDirectoryA(char* buffer, uint32_t size) override {
    return platform_.GetWindowsDirectoryA(buffer, size);
  }
  std::optional<bool> WindowStationVisible() override { return platform_.WindowStationVisible(); }
  std::optional<uint32_t> SessionId() override { return platform_.SessionId(); }
  std::optional<bool> RegistryVirtualization() override {
    return platform_.RegistryVirtualization();
  }
  bool DisableRegistryVirtualization() override {
    return platform_.DisableRegistryVirtualization();
  }
  void LogEvent(bool error, uint32_t event_id, const Text& text) override {
    platform_.LogEvent(error, event_id, text);
  }

 private:
  PlatformApi& platform_;
};

}  // namespace levorn

#endif  // LEVORN_BASE_PLATFORM_64BIT_BUILD_H_
