#ifndef LEVORN_BASE_TEXT_H_
#define LEVORN_BASE_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace levorn {

// Every text the program holds is a counted wide string; it becomes ANSI only
// for the moment a platform call needs it.
using Text = std::wstring;

// The application title: the caption of every message box that has no title
// of its own, and the product name in the version block.
inline constexpr wchar_t kApplicationTitle[] = L"Levorn";

// The one conversion between our wide texts and the ANSI code page that the
// ...A platform calls take: the process code page, with that code page's
// substitute for characters it cannot hold. Embedded NULs are kept. The host
// tests link a Windows-1252 stand-in instead (tests/support/text_fake.cc).
std::string ToAnsi(const Text& text);
Text FromAnsi(std::string_view ansi);

// Win32 error codes the program acts on or reports.
inline constexpr int32_t kErrorSuccess = 0;
inline constexpr int32_t kErrorFileNotFound = 2;
inline constexpr int32_t kErrorAccessDenied = 5;
inline constexpr int32_t kErrorInvalidHandle = 6;
inline constexpr int32_t kErrorMoreData = 234;  // the value is longer than the buffer

// The system's own wording for a Win32 error code, one line, no trailing
// line break ("Access is denied." on Windows). Never empty.
Text DescribeSystemError(int32_t code);

}  // namespace levorn

#endif  // LEVORN_BASE_TEXT_H_
