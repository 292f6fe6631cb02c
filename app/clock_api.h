#ifndef LEVORN_APP_CLOCK_API_H_
#define LEVORN_APP_CLOCK_API_H_

#include <cstdint>

namespace levorn {

// The current local date, as far as the setup pass needs it.
class ClockApi {
 public:
  virtual ~ClockApi() = default;
  // The current local year, as its four (or more) digits read as a number.
  virtual int32_t CurrentYear() = 0;
};

}  // namespace levorn

#endif  // LEVORN_APP_CLOCK_API_H_
