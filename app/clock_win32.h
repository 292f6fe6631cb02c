#ifndef LEVORN_APP_CLOCK_WIN32_H_
#define LEVORN_APP_CLOCK_WIN32_H_

#include "app/clock_api.h"

namespace levorn {

// The system's local time (GetLocalTime).
class Win32Clock : public ClockApi {
 public:
  int32_t CurrentYear() override;
};

}  // namespace levorn

#endif  // LEVORN_APP_CLOCK_WIN32_H_
