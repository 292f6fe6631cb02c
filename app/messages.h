#ifndef LEVORN_APP_MESSAGES_H_
#define LEVORN_APP_MESSAGES_H_

// Every text the user reads about how a run went is worded here.

#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "base/runtime_error.h"
#include "base/text.h"

namespace levorn {

// Which ending of a run a message tells of: 1000 and the run's exit code.
// Where nobody sees the screen it is the event ID of the message's record, so
// that monitoring can tell the endings apart without reading the text.
enum class Ending : uint32_t {
  kSetupComplete = 1000,
  // Some years not registered, or none; also each "Failed to get OS Version"
  // said on the way to that ending.
  kNotRegistered = 1001,
  kRunTimeError = 1002,
};

inline constexpr wchar_t kCompletionTitle[] = L"Levorn Installation";
inline constexpr wchar_t kSetupComplete[] = L"Setup Complete - DO NOT run this setup again.";
// Shown, under the application title, for each year whose driver directory
// cannot be found, and then as that year's reason.
inline constexpr wchar_t kFailedToGetOsVersion[] = L"Failed to get OS Version";

// A year as the user reads it, and as the data-source names carry it: at
// least four digits, zero-padded.
inline Text FourDigits(int16_t year) {
  wchar_t digits[16];
  std::swprintf(digits, 16, L"%04d", static_cast<int>(year));
  return digits;
}

// Why a year was not registered: the system's words for a Win32 code, or a
// run-time error.
inline Text SystemErrorReason(int32_t code) { return DescribeSystemError(code); }
inline Text RunTimeErrorReason(const RuntimeError& error) {
  return L"Run-time error '" + std::to_wstring(error.number()) + L"': " + error.description();
}

// The completion message of a run that could not register some years: which,
// the first reason, and what to do (administrator rights when that reason was
// a denied access).
inline Text FailedYearsMessage(const std::vector<int16_t>& years, const Text& first_reason,
                               bool access_denied) {
  Text listed;
  for (int16_t year : years) listed += (listed.empty() ? L"" : L", ") + FourDigits(year);
  return L"Setup could not register the data sources for these years:\n" + listed + L"\n\n" +
         first_reason + L"\n\n" +
         (access_denied ? L"Run this setup again with administrator rights."
                        : L"Correct the cause and run this setup again.");
}

// The completion message of a run whose clock says a year before 2002, or
// one beyond what the setup can count to.
inline Text UnusableDateMessage(int32_t year, int16_t first_year) {
  const Text why = year < first_year ? L"which is before " + std::to_wstring(first_year)
                                     : Text(L"which this setup cannot count to");
  return L"This computer's date says the year " + std::to_wstring(year) + L", " + why +
         L", so no data source was registered.\n\nSet the computer's date, then run this setup "
         L"again.";
}

// The completion message of a run that could not switch registry
// virtualization off.
inline constexpr wchar_t kVirtualizedMessage[] =
    L"Windows would keep this setup's registry changes in your own user profile (registry "
    L"virtualization), where no ODBC program looks, so no data source was registered.\n\n"
    L"Run this setup again with administrator rights.";

// The platform's standard report of an unhandled run-time error.
inline Text UnhandledErrorReport(const RuntimeError& error) {
  return L"Run-time error '" + std::to_wstring(error.number()) + L"':\n\n" + error.description();
}

}  // namespace levorn

#endif  // LEVORN_APP_MESSAGES_H_
