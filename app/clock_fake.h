#ifndef LEVORN_APP_CLOCK_FAKE_H_
#define LEVORN_APP_CLOCK_FAKE_H_

#include "app/clock_api.h"

namespace levorn {

// A clock set by the test.
class FixedClock : public ClockApi {
 public:
  explicit FixedClock(int32_t year) : year(year) {}
  int32_t CurrentYear() override { return year; }
  int32_t year;
};

}  // namespace levorn

#endif  // LEVORN_APP_CLOCK_FAKE_H_
