#include <windows.h>

#include "app/clock.h"

namespace levorn {

int32_t Win32Clock::CurrentYear() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return now.wYear;
}

}  // namespace levorn
