#ifndef LEVORN_TESTS_SUPPORT_SCREEN_FAKE_H_
#define LEVORN_TESTS_SUPPORT_SCREEN_FAKE_H_

#include <map>
#include <string>
#include <vector>

#include "app/screen.h"

namespace levorn {

// A screen that only records what was done to its windows and message
// boxes, in one log, so tests can check the order of everything the user would see:
//   "create main", "show progress", "refresh progress", "destroy progress",
//   "left progress -1234.5", "message Levorn Installation: Setup Complete ...".
class RecordingScreen : public ScreenApi {
 public:
  struct Rect {
    float left = 0, top = 0, width = 0, height = 0;
  };

  // The outer rectangle a window gets when it is created.
  std::map<WindowId, Rect> design = {{WindowId::kMain, {0, 0, 6405, 4170}},
                                     {WindowId::kProgress, {0, 0, 4740, 2475}}};

  void Create(WindowId window) override;
  void Show(WindowId window) override;
  void Refresh(WindowId window) override;
  void Destroy(WindowId window) override;
  float Get(WindowId window, Measure measure) override;
  void Set(WindowId window, Measure measure, float twips) override;

  int32_t ShowMessage(const Text& prompt, const Text& title, Ending ending) override;

  const std::vector<std::string>& log() const { return log_; }
  std::vector<std::string> Messages() const;  // the "message ..." lines only
  bool IsCreated(WindowId window) const { return rects_.count(window) != 0; }
  bool IsVisible(WindowId window) const { return visible_.count(window) != 0; }
  const Rect& At(WindowId window) const;

  std::vector<Ending> endings;  // each message's, in order

 private:
  void Note(const std::string& what, WindowId window, const std::string& detail = "");
  float& Field(WindowId window, Measure measure);

  std::map<WindowId, Rect> rects_;
  std::map<WindowId, bool> visible_;
  std::vector<std::string> log_;
};

}  // namespace levorn

#endif  // LEVORN_TESTS_SUPPORT_SCREEN_FAKE_H_
