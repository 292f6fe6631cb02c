#include "app/screen.h"

namespace levorn {

namespace {
constexpr int32_t kIdOk = 1;
}  // namespace

int32_t UnseenScreen::Show(const Text&, const Text&, uint32_t) { return kIdOk; }

Screen ChooseScreen(WindowStationApi& station, const Screen& visible, UnseenScreen& unseen) {
  if (station.IsVisible() == false) return {unseen, unseen};
  return visible;
}

}  // namespace levorn
