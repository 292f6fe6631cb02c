#include "app/window_station_win32.h"

#include <windows.h>

namespace levorn {

std::optional<bool> Win32WindowStation::IsVisible() {
  HWINSTA station = GetProcessWindowStation();
  if (station == nullptr) return std::nullopt;
  USEROBJECTFLAGS flags = {};
  DWORD needed = 0;
  if (!GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags, &needed)) {
    return std::nullopt;
  }
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

}  // namespace levorn
