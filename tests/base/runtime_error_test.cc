#include <utility>

#include <gtest/gtest.h>

#include "base/runtime_error.h"
#include "base/variant.h"
#include "tests/support/run_time_error.h"

namespace levorn {
namespace {

TEST(Int16Test, RangeEndsConvertAndOneBeyondOverflows) {
  EXPECT_EQ(ToInt16(32767), 32767);
  EXPECT_EQ(ToInt16(-32768), -32768);
  EXPECT_EQ(RunTimeErrorNumberOf([] { ToInt16(32768); }), 6);
  EXPECT_EQ(RunTimeErrorNumberOf([] { ToInt16(-32769); }), 6);
}

// The numbers and descriptions users read in "Run-time error 'N':", as the
// platform words them.
TEST(RuntimeErrorTest, EachNumberTheProgramRaisesHasThePlatformsDescription) {
  const std::pair<ErrorNumber, std::pair<int32_t, const wchar_t*>> rows[] = {
      {ErrorNumber::kOverflow, {6, L"Overflow"}},
      {ErrorNumber::kOutOfMemory, {7, L"Out of memory"}},
      {ErrorNumber::kInternalError, {51, L"Internal error"}},
      {ErrorNumber::kFileNotFound, {53, L"File not found"}},
      {ErrorNumber::kCannotCreateObject, {429, L"ActiveX component can't create object"}},
      {ErrorNumber::kAutomationError, {440, L"Automation error"}},
      {ErrorNumber::kEntryPointNotFound, {453, L"Can't find DLL entry point"}},
  };
  for (const auto& [number, expected] : rows) {
    const RuntimeError error(number);
    EXPECT_EQ(error.number(), expected.first);
    EXPECT_EQ(error.description(), expected.second) << expected.first;
  }
}

TEST(VariantTest, TextOfEachShape) {
  EXPECT_EQ(Variant().ToText(), L"");
  EXPECT_EQ(Variant(Text(L"x86 Family 6")).ToText(), L"x86 Family 6");
  EXPECT_EQ(Variant(int32_t{-1}).ToText(), L"-1");
  EXPECT_NE(Variant(), Variant(Text()));  // empty is not the empty text
}

}  // namespace
}  // namespace levorn
