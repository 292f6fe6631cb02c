#ifndef LEVORN_BASE_SYSTEM_ERROR_H_
#define LEVORN_BASE_SYSTEM_ERROR_H_

#include <cstdint>

#include "base/text.h"

namespace levorn {

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

#endif  // LEVORN_BASE_SYSTEM_ERROR_H_
