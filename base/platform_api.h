#ifndef LEVORN_BASE_PLATFORM_API_H_
#define LEVORN_BASE_PLATFORM_API_H_

#include <cstdint>
#include <memory>
#include <optional>

#include "base/text.h"

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

// The facts the program asks of the platform, each a single call: the one
// seam besides the registry and the screen, so that tests can set another
// clock, another Windows, or a platform that refuses.
class PlatformApi {
 public:
  virtual ~PlatformApi() = default;

  // The current local year, as its four (or more) digits read as a number.
  virtual int32_t CurrentYear() = 0;
  // IsWow64Process: a 32-bit program on 64-bit Windows. Nothing where it
  // cannot say (the function missing before XP SP2, or failing).
  virtual std::optional<bool> RunsUnderWow64() = 0;
  // GetVersionExA: fills the record; false when the call failed.
  virtual bool GetVersionExA(OsVersionRecord& record) = 0;
  // GetSystemDirectoryA and GetWindowsDirectoryA: the number of characters
  // written, 0 on failure, or the size needed when `size` is too small.
  virtual uint32_t GetSystemDirectoryA(char* buffer, uint32_t size) = 0;
  virtual uint32_t GetWindowsDirectoryA(char* buffer, uint32_t size) = 0;
  // Whether the process's window station reaches a screen (WSF_VISIBLE);
  // nothing when the platform cannot say.
  virtual std::optional<bool> WindowStationVisible() = 0;
  // ProcessIdToSessionId for this process: the logon session it runs in;
  // nothing when the platform cannot say.
  virtual std::optional<uint32_t> SessionId() = 0;
  // Whether Windows Vista and later virtualize this process's registry
  // writes (see frmPemrod::Run); nothing where the platform does not know
  // the question (Windows XP). Wine says off.
  virtual std::optional<bool> RegistryVirtualization() = 0;
  // Turns it off for this process; false when the platform refused.
  virtual bool DisableRegistryVirtualization() = 0;
  // One record in the Application event log, from the source "LevornSetup":
  // an error, or information, with its event ID.
  virtual void LogEvent(bool error, uint32_t event_id, const Text& text) = 0;
};

// The real platform (Windows build only).
std::unique_ptr<PlatformApi> CreateWin32Platform();

}  // namespace levorn

#endif  // LEVORN_BASE_PLATFORM_API_H_
