#ifndef LEVORN_BASE_MESSAGE_BOX_FAKE_H_
#define LEVORN_BASE_MESSAGE_BOX_FAKE_H_

#include <vector>

#include "base/message_box_api.h"

namespace levorn {

// Shows nothing; remembers every message box for tests to inspect.
class RecordingMessageBox : public MessageBoxApi {
 public:
  struct Shown {
    Text prompt;
    Text title;
    uint32_t style;
  };
  int32_t Show(const Text& prompt, const Text& title, uint32_t style) override;
  const std::vector<Shown>& shown() const { return shown_; }

 private:
  std::vector<Shown> shown_;
};

}  // namespace levorn

#endif  // LEVORN_BASE_MESSAGE_BOX_FAKE_H_
