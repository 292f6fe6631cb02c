#ifndef LEVORN_BASE_ANSI_H_
#define LEVORN_BASE_ANSI_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "base/text.h"

namespace levorn {

// The one conversion between our wide texts and the ANSI code page that the
// ...A platform calls take: the process code page, with that code page's
// substitute for characters it cannot hold. Embedded NULs are kept. The host
// tests link a Windows-1252 stand-in instead (tests/support/ansi_fake.cc).
std::string ToAnsi(const Text& text);
Text FromAnsi(std::string_view ansi);

// Win32 error codes the program acts on or reports.
inline constexpr int32_t kErrorSuccess = 0;
inline constexpr int32_t kErrorFileNotFound = 2;
inline constexpr int32_t kErrorAccessDenied = 5;
inline constexpr int32_t kErrorInvalidHandle = 6;
inline constexpr int32_t kErrorMoreData = 234;

// The system's own wording for a Win32 error code, one line, no trailing
// line break ("Access is denied." on Windows). Never empty.
Text DescribeSystemError(int32_t code);

}  // namespace levorn

#endif  // LEVORN_BASE_ANSI_H_
