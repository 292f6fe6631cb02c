#ifndef LEVORN_APP_WINDOW_STATION_API_H_
#define LEVORN_APP_WINDOW_STATION_API_H_

#include <optional>

namespace levorn {

// The window station the process runs in. Deployment tools (software
// distribution, start-up scripts, management agents) run programs as the
// local system in a window station that is not visible: a window shown there
// reaches no screen, and a message box there is never answered.
class WindowStationApi {
 public:
  virtual ~WindowStationApi() = default;
  // Whether its windows reach a screen (WSF_VISIBLE); nothing when the
  // platform cannot say.
  virtual std::optional<bool> IsVisible() = 0;
};

}  // namespace levorn

#endif  // LEVORN_APP_WINDOW_STATION_API_H_
