#include <windows.h>

#include "app/clock_win32.h"

namespace levorn {

int32_t Win32Clock::CurrentYear() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return now.wYear;
}

}  // namespace levorn
