#ifndef LEVORN_APP_WINDOW_STATION_FAKE_H_
#define LEVORN_APP_WINDOW_STATION_FAKE_H_

#include "app/window_station_api.h"

namespace levorn {

// A window station as the test sets it up; visible unless told otherwise.
class FakeWindowStation : public WindowStationApi {
 public:
  std::optional<bool> visible = true;
  std::optional<bool> IsVisible() override { return visible; }
};

}  // namespace levorn

#endif  // LEVORN_APP_WINDOW_STATION_FAKE_H_
