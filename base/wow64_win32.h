#ifndef LEVORN_BASE_WOW64_WIN32_H_
#define LEVORN_BASE_WOW64_WIN32_H_

namespace levorn {

// True for a 32-bit process on 64-bit Windows (IsWow64Process). False where
// the function is missing: Windows XP before SP2, which is never 64-bit.
bool RunsUnderWow64();

}  // namespace levorn

#endif  // LEVORN_BASE_WOW64_WIN32_H_
