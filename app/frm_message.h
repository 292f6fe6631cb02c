#ifndef LEVORN_APP_FRM_MESSAGE_H_
#define LEVORN_APP_FRM_MESSAGE_H_

#include "app/screen.h"

namespace levorn {

// The progress window "Searching": on screen while the setup pass walks the
// years. Loaded on first use; its load handler sizes it and places it
// relative to the main window's size.
class frmMessage {
 public:
  explicit frmMessage(ScreenApi& screen) : screen_(screen) {}

  void Show();     // modeless, no owner; loads the window first
  void Refresh();  // repaints it now
  void Unload();

 private:
  void EnsureLoaded();
  void Form_Load();

  ScreenApi& screen_;
  bool loaded_ = false;
};

}  // namespace levorn

#endif  // LEVORN_APP_FRM_MESSAGE_H_
