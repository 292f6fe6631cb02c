#include "base/text.h"

#include <windows.h>

namespace levorn {

std::string ToAnsi(const Text& text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int bytes =
      WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), length, ansi.data(), bytes, nullptr, nullptr);
  return ansi;
}

Text FromAnsi(std::string_view ansi) {
  if (ansi.empty()) return {};
  const int length = static_cast<int>(ansi.size());
  const int chars = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
  Text text(static_cast<size_t>(chars), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, text.data(), chars);
  return text;
}

Text DescribeSystemError(int32_t code) {
  char buffer[512] = {};
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                     static_cast<DWORD>(code), 0, buffer, sizeof buffer, nullptr);
  std::string text(buffer, length);
  text.erase(text.find_last_not_of("\r\n ") + 1);
  if (text.empty()) return L"Error " + std::to_wstring(code) + L".";
  return FromAnsi(text);
}

}  // namespace levorn
