#ifndef LEVORN_TESTS_SUPPORT_PLATFORM_FAKE_H_
#define LEVORN_TESTS_SUPPORT_PLATFORM_FAKE_H_

#include <optional>
#include <string>
#include <vector>

#include "base/platform_api.h"

namespace levorn {

// A platform that says what the test tells it to. By default: 2026, a
// 32-bit Windows 7 with its system directory, a visible window station in a
// user's session (1), and no registry virtualization to speak of (as on XP).
class FakePlatform : public PlatformApi {
 public:
  int32_t year = 2026;
  std::optional<bool> wow64 = false;
  // std::nullopt makes GetVersionExA fail and leave the record untouched.
  std::optional<OsVersionRecord> version = Version(2, 6, 1);
  // std::nullopt makes GetSystemDirectoryA return 0 and write nothing.
  std::optional<std::string> system_directory = std::string("C:\\windows\\system32");
  // When set, GetSystemDirectoryA returns this count and writes nothing.
  std::optional<uint32_t> system_directory_result_only;
  // The same for GetWindowsDirectoryA.
  std::optional<std::string> windows_directory = std::string("C:\\Windows");
  std::optional<uint32_t> windows_directory_result_only;
  std::optional<bool> station_visible = true;
  std::optional<uint32_t> session = 1;
  std::optional<bool> virtualization;
  bool virtualization_refused = false;   // turning it off fails
  bool virtualization_stays_on = false;  // turning it off succeeds, and it stays on
  std::vector<std::string> events;       // "error 1001: ..." or "information 1000: ..."

  int version_calls = 0;
  int system_directory_calls = 0;

  static OsVersionRecord Version(uint32_t platform, uint32_t major, uint32_t minor);

  int32_t CurrentYear() override { return year; }
  std::optional<bool> RunsUnderWow64() override { return wow64; }
  bool GetVersionExA(OsVersionRecord& record) override;
  uint32_t GetSystemDirectoryA(char* buffer, uint32_t size) override;
  uint32_t GetWindowsDirectoryA(char* buffer, uint32_t size) override;
  std::optional<bool> WindowStationVisible() override { return station_visible; }
  std::optional<uint32_t> SessionId() override { return session; }
  std::optional<bool> RegistryVirtualization() override { return virtualization; }
  bool DisableRegistryVirtualization() override {
    if (!virtualization || virtualization_refused) return false;
    if (!virtualization_stays_on) virtualization = false;
    return true;
  }
  void LogEvent(bool error, uint32_t event_id, const Text& text) override;
};

}  // namespace levorn

#endif  // LEVORN_TESTS_SUPPORT_PLATFORM_FAKE_H_
