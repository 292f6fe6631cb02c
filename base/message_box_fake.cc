#include "base/message_box_fake.h"

namespace levorn {

int32_t RecordingMessageBox::Show(const Text& prompt, const Text& title, uint32_t style) {
  shown_.push_back({prompt, MessageBoxCaption(title), style});
  return 1;  // IDOK
}

}  // namespace levorn
