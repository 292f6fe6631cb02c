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

TEST(VariantTest, TextOfEachShape) {
  EXPECT_EQ(Variant().ToText(), L"");
  EXPECT_EQ(Variant(Text(L"x86 Family 6")).ToText(), L"x86 Family 6");
  EXPECT_EQ(Variant(int32_t{-1}).ToText(), L"-1");
  EXPECT_NE(Variant(), Variant(Text()));  // empty is not the empty text
}

}  // namespace
}  // namespace levorn
