#ifndef LEVORN_BASE_MESSAGE_BOX_WIN32_H_
#define LEVORN_BASE_MESSAGE_BOX_WIN32_H_

#include "base/message_box_api.h"

namespace levorn {

// MessageBoxA, owned by the thread's active window so that it is modal to the
// application.
class Win32MessageBox : public MessageBoxApi {
 public:
  int32_t Show(const Text& prompt, const Text& title, uint32_t style) override;
};

}  // namespace levorn

#endif  // LEVORN_BASE_MESSAGE_BOX_WIN32_H_
