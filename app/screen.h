#ifndef LEVORN_APP_SCREEN_H_
#define LEVORN_APP_SCREEN_H_

#include <map>

#include "app/window_api.h"
#include "app/window_station_api.h"
#include "base/message_box_api.h"

namespace levorn {

// Where the run shows its windows and messages.
struct Screen {
  WindowApi& windows;
  MessageBoxApi& messages;
};

// Windows and message boxes that nobody can see: nothing is drawn, and a
// message box is answered OK at once. The windows keep their size and place,
// so the run goes through exactly the steps it takes on a screen.
class UnseenScreen : public WindowApi, public MessageBoxApi {
 public:
  void Create(WindowId window) override { rects_[window] = {}; }
  void Show(WindowId) override {}
  void Refresh(WindowId) override {}
  void Destroy(WindowId window) override { rects_.erase(window); }
  float Left(WindowId window) override { return rects_[window].left; }
  float Top(WindowId window) override { return rects_[window].top; }
  float Width(WindowId window) override { return rects_[window].width; }
  float Height(WindowId window) override { return rects_[window].height; }
  void SetLeft(WindowId window, float twips) override { rects_[window].left = twips; }
  void SetTop(WindowId window, float twips) override { rects_[window].top = twips; }
  void SetWidth(WindowId window, float twips) override { rects_[window].width = twips; }
  void SetHeight(WindowId window, float twips) override { rects_[window].height = twips; }

  int32_t Show(const Text& prompt, const Text& title, uint32_t style) override;

 private:
  struct Rect {
    float left = 0, top = 0, width = 0, height = 0;
  };
  std::map<WindowId, Rect> rects_;
};

// The screen itself, unless the process's window station is known not to be
// visible: then nobody could see the windows or answer a message, and the
// run must not wait for it, so it shows them nowhere. The pass and its exit
// code are the same either way.
Screen ChooseScreen(WindowStationApi& station, const Screen& visible, UnseenScreen& unseen);

}  // namespace levorn

#endif  // LEVORN_APP_SCREEN_H_
