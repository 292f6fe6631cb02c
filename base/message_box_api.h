#ifndef LEVORN_BASE_MESSAGE_BOX_API_H_
#define LEVORN_BASE_MESSAGE_BOX_API_H_

#include <cstdint>

#include "base/text.h"

namespace levorn {

// MB_OK: an OK button only, no icon, modal to the application.
inline constexpr uint32_t kMessageBoxOk = 0;

// Modal message boxes, the program's only way of talking to the user.
class MessageBoxApi {
 public:
  virtual ~MessageBoxApi() = default;
  // An empty title shows the application title instead.
  virtual int32_t Show(const Text& prompt, const Text& title, uint32_t style) = 0;
};

// The caption a message box is shown with.
inline Text MessageBoxCaption(const Text& title) {
  return title.empty() ? Text(kApplicationTitle) : title;
}

}  // namespace levorn

#endif  // LEVORN_BASE_MESSAGE_BOX_API_H_
