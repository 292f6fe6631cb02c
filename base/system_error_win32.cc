#include "base/system_error.h"

#include <windows.h>

#include <string>

#include "base/ansi.h"

namespace levorn {

Text DescribeSystemError(int32_t code) {
  char buffer[512] = {};
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                     static_cast<DWORD>(code), 0, buffer, sizeof buffer, nullptr);
  std::string text(buffer, length);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  if (text.empty()) return L"Error " + std::to_wstring(code) + L".";
  return FromAnsi(text);
}

}  // namespace levorn
