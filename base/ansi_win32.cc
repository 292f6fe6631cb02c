#include "base/ansi.h"

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

}  // namespace levorn
