// The system's wording for Win32 error codes: Windows and Wine word them
// differently ("Access is denied." / "Access denied."), so only the shape is
// common to both.
#include <gtest/gtest.h>

#include "base/text.h"

namespace levorn {
namespace {

TEST(SystemErrorTest, CodesAreDescribedOnOneLineInTheSystemsWords) {
  for (int32_t code : {kErrorFileNotFound, kErrorAccessDenied, kErrorInvalidHandle}) {
    const Text text = DescribeSystemError(code);
    EXPECT_FALSE(text.empty()) << code;
    EXPECT_EQ(text.find_first_of(L"\r\n"), Text::npos) << code;
    EXPECT_NE(text.back(), L' ') << code;
  }
  EXPECT_NE(DescribeSystemError(kErrorAccessDenied).find(L"denied"), Text::npos);
}

TEST(SystemErrorTest, AnUnknownCodeStillSaysSomething) {
  EXPECT_FALSE(DescribeSystemError(0x7FFFFFF0).empty());
}

}  // namespace
}  // namespace levorn
