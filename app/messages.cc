#include "app/messages.h"

#include <cwchar>
#include <string>

#include "base/text.h"

namespace levorn {

Text FourDigits(int16_t year) {
  wchar_t digits[16];
  std::swprintf(digits, 16, L"%04d", static_cast<int>(year));
  return digits;
}

Text SystemErrorReason(int32_t code) { return DescribeSystemError(code); }

Text RunTimeErrorReason(const RuntimeError& error) {
  return L"Run-time error '" + std::to_wstring(error.number()) + L"': " + error.description();
}

Text FailedYearsMessage(const std::vector<int16_t>& years, const Text& first_reason,
                        bool access_denied) {
  Text listed;
  for (int16_t year : years) {
    if (!listed.empty()) listed += L", ";
    listed += FourDigits(year);
  }
  return L"Setup could not register the data sources for these years:\n" + listed + L"\n\n" +
         first_reason + L"\n\n" +
         (access_denied ? L"Run this setup again with administrator rights."
                        : L"Correct the cause and run this setup again.");
}

Text UnusableDateMessage(int32_t year, int16_t first_year) {
  const Text why = year < first_year ? L"which is before " + std::to_wstring(first_year)
                                     : Text(L"which this setup cannot count to");
  return L"This computer's date says the year " + std::to_wstring(year) + L", " + why +
         L", so no data source was registered.\n\nSet the computer's date, then run this setup "
         L"again.";
}

Text UnhandledErrorReport(const RuntimeError& error) {
  return L"Run-time error '" + std::to_wstring(error.number()) + L"':\n\n" + error.description();
}

}  // namespace levorn
