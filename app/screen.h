#ifndef LEVORN_APP_SCREEN_H_
#define LEVORN_APP_SCREEN_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>

#include "app/messages.h"
#include "base/platform_api.h"
#include "base/text.h"

namespace levorn {

// The program's two windows.
enum class WindowId { kMain, kProgress };

// A window's outer rectangle, in twips (1/1440 inch): Left and Top are
// screen positions.
enum class Measure { kLeft, kTop, kWidth, kHeight };

// The caption a message box is shown with: an empty title shows the
// application title instead.
inline Text MessageBoxCaption(const Text& title) {
  return title.empty() ? Text(kApplicationTitle) : title;
}

// What the user sees: the two windows and the message boxes. A failing window
// operation raises a run-time error.
class ScreenApi {
 public:
  virtual ~ScreenApi() = default;

  // Creates the window with its design layout, hidden.
  virtual void Create(WindowId window) = 0;
  // Shows it modeless, without an owner.
  virtual void Show(WindowId window) = 0;
  // Repaints it and its label at once, without running the message loop.
  virtual void Refresh(WindowId window) = 0;
  // Closes and destroys it.
  virtual void Destroy(WindowId window) = 0;

  virtual float Get(WindowId window, Measure measure) = 0;
  // Moving keeps the size; sizing keeps the top-left corner.
  virtual void Set(WindowId window, Measure measure, float twips) = 0;

  // A message box with an OK button only and no icon, modal to the
  // application; returns the button pressed. `ending`: how the run ends.
  virtual int32_t ShowMessage(const Text& prompt, const Text& title, Ending ending) = 0;
};

// The screen itself (Windows build only): real windows and message boxes.
std::unique_ptr<ScreenApi> CreateWin32Screen();

// The screen of a window station nobody sees: nothing is drawn, and a
// message box is answered OK at once. The windows keep their size and place,
// so the run goes through exactly the steps it takes on a screen, and ends
// by itself with the same exit code. What a message would have said goes to
// the Application event log, for the administrator, under the event ID of its
// ending: the completion message as information, every other as an error.
class UnseenScreen : public ScreenApi {
 public:
  explicit UnseenScreen(PlatformApi& platform) : platform_(platform) {}

  void Create(WindowId window) override { rects_[window] = {}; }
  void Show(WindowId) override {}
  void Refresh(WindowId) override {}
  void Destroy(WindowId window) override { rects_.erase(window); }
  float Get(WindowId window, Measure measure) override { return rects_[window][Index(measure)]; }
  void Set(WindowId window, Measure measure, float twips) override {
    rects_[window][Index(measure)] = twips;
  }
  int32_t ShowMessage(const Text& prompt, const Text&, Ending ending) override {
    platform_.LogEvent(ending != Ending::kSetupComplete, static_cast<uint32_t>(ending), prompt);
    return 1;  // IDOK
  }

 private:
  static size_t Index(Measure measure) { return static_cast<size_t>(measure); }

  PlatformApi& platform_;
  std::map<WindowId, std::array<float, 4>> rects_;
};

// Whether nobody can see the process's screen: its window station is known
// not to be visible, as a service's own station is; or it runs in session 0
// of Windows Vista or later, which holds services only: no user logs on to
// it, yet its station reports itself visible. On XP and Server 2003 session
// 0 is the console user's own.
inline bool NobodySeesTheScreen(PlatformApi& platform) {
  constexpr uint32_t kWindowsNtPlatform = 2, kVistaMajorVersion = 6;
  if (platform.WindowStationVisible() == false) return true;
  if (platform.SessionId() != std::optional<uint32_t>(0)) return false;
  OsVersionRecord version;
  version.dwOSVersionInfoSize = sizeof version;
  return platform.GetVersionExA(version) && version.dwPlatformId == kWindowsNtPlatform &&
         version.dwMajorVersion >= kVistaMajorVersion;
}

// The screen a run shows itself on: the screen itself, unless nobody can see
// it. There a message box is never answered: the run must not wait for it.
inline ScreenApi& ScreenFor(PlatformApi& platform, ScreenApi& screen, ScreenApi& unseen) {
  return NobodySeesTheScreen(platform) ? unseen : screen;
}

}  // namespace levorn

#endif  // LEVORN_APP_SCREEN_H_
