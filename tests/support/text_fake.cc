// Windows-1252 for builds without the platform, so that host tests see the
// same bytes a Western-European Windows would hand to the registry; and
// Windows' wording for the error codes the tests meet.
#include "base/text.h"

#include <array>
#include <string>

namespace levorn {
namespace {

// Bytes 0x80..0x9F; 0 marks the five bytes Windows-1252 leaves undefined,
// which map to the C1 control of the same number, as Windows does.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

wchar_t ByteToWide(unsigned char byte) {
  if (byte < 0x80 || byte >= 0xA0) return static_cast<wchar_t>(byte);
  const char16_t mapped = kHighControls[byte - 0x80];
  return static_cast<wchar_t>(mapped != 0 ? mapped : byte);
}

char WideToByte(wchar_t wide) {
  if (wide < 0x80 || (wide >= 0xA0 && wide <= 0xFF)) return static_cast<char>(wide);
  for (size_t i = 0; i < kHighControls.size(); ++i) {
    const char16_t mapped = kHighControls[i];
    const bool same =
        mapped != 0 ? static_cast<wchar_t>(mapped) == wide : static_cast<wchar_t>(0x80 + i) == wide;
    if (same) return static_cast<char>(0x80 + i);
  }
  return '?';
}

}  // namespace

std::string ToAnsi(const Text& text) {
  std::string ansi;
  ansi.reserve(text.size());
  for (wchar_t wide : text) ansi.push_back(WideToByte(wide));
  return ansi;
}

Text FromAnsi(std::string_view ansi) {
  Text text;
  text.reserve(ansi.size());
  for (char byte : ansi) text.push_back(ByteToWide(static_cast<unsigned char>(byte)));
  return text;
}

Text DescribeSystemError(int32_t code) {
  switch (code) {
    case kErrorSuccess:
      return L"The operation completed successfully.";
    case kErrorFileNotFound:
      return L"The system cannot find the file specified.";
    case kErrorAccessDenied:
      return L"Access is denied.";
    case kErrorInvalidHandle:
      return L"The handle is invalid.";
  }
  return L"Error " + std::to_wstring(code) + L".";
}

}  // namespace levorn
