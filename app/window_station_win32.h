#ifndef LEVORN_APP_WINDOW_STATION_WIN32_H_
#define LEVORN_APP_WINDOW_STATION_WIN32_H_

#include "app/window_station_api.h"

namespace levorn {

// GetProcessWindowStation and GetUserObjectInformationA (UOI_FLAGS).
class Win32WindowStation : public WindowStationApi {
 public:
  std::optional<bool> IsVisible() override;
};

}  // namespace levorn

#endif  // LEVORN_APP_WINDOW_STATION_WIN32_H_
