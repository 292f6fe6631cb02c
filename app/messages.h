#ifndef LEVORN_APP_MESSAGES_H_
#define LEVORN_APP_MESSAGES_H_

#include <cstdint>
#include <vector>

#include "base/runtime_error.h"
#include "base/text.h"

namespace levorn {

// Every text the user reads about how a run went is worded here.

inline constexpr wchar_t kCompletionTitle[] = L"Levorn Installation";
inline constexpr wchar_t kSetupComplete[] = L"Setup Complete - DO NOT run this setup again.";
// Shown, under the application title, for each year whose driver directory
// cannot be found, and then as that year's reason.
inline constexpr wchar_t kFailedToGetOsVersion[] = L"Failed to get OS Version";

// A year as the user reads it, and as the data-source names carry it: at
// least four digits, zero-padded.
Text FourDigits(int16_t year);

// Why a year was not registered: the system's words for a Win32 code, or a
// run-time error.
Text SystemErrorReason(int32_t code);
Text RunTimeErrorReason(const RuntimeError& error);

// The completion message of a run that could not register some years: which,
// the first reason, and what to do (administrator rights when that reason was
// a denied access).
Text FailedYearsMessage(const std::vector<int16_t>& years, const Text& first_reason,
                        bool access_denied);

// The completion message of a run whose clock says a year before 2002, or
// one beyond what the setup can count to.
Text UnusableDateMessage(int32_t year, int16_t first_year);

// The completion message of a run that could not switch registry
// virtualization off.
inline constexpr wchar_t kVirtualizedMessage[] =
    L"Windows would keep this setup's registry changes in your own user profile (registry "
    L"virtualization), where no ODBC program looks, so no data source was registered.\n\n"
    L"Run this setup again with administrator rights.";

// The platform's standard report of an unhandled run-time error.
Text UnhandledErrorReport(const RuntimeError& error);

}  // namespace levorn

#endif  // LEVORN_APP_MESSAGES_H_
