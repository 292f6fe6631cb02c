#ifndef LEVORN_APP_CLOCK_H_
#define LEVORN_APP_CLOCK_H_

#include <cstdint>

namespace levorn {

// The current local date, as far as the setup pass needs it.
class ClockApi {
 public:
  virtual ~ClockApi() = default;
  // The current local year, as its four (or more) digits read as a number.
  virtual int32_t CurrentYear() = 0;
};

// A clock set by the test.
class FixedClock : public ClockApi {
 public:
  explicit FixedClock(int32_t year) : year(year) {}
  int32_t CurrentYear() override { return year; }
  int32_t year;
};

// The system's local time (GetLocalTime).
class Win32Clock : public ClockApi {
 public:
  int32_t CurrentYear() override;
};

}  // namespace levorn

#endif  // LEVORN_APP_CLOCK_H_
