// The code-page conversion every platform call goes through; the same
// expectations hold for the Windows code page under Wine and for the host's.
#include <gtest/gtest.h>

#include "base/text.h"

namespace levorn {
namespace {

TEST(AnsiTest, AsciiAndWesternTextRoundTripUnchanged) {
  const Text text = L"C:\\Halvex\\Levorn\\Pemrod2002.mdb \u00e9\u00fc\u00df";
  EXPECT_EQ(ToAnsi(L"Levorn 2002"), "Levorn 2002");
  EXPECT_EQ(FromAnsi(ToAnsi(text)), text);
}

TEST(AnsiTest, CharactersOutsideTheCodePageBecomeItsSubstitute) {
  EXPECT_EQ(ToAnsi(L"a\u4e2db"), "a?b");
  EXPECT_EQ(FromAnsi(ToAnsi(L"\u0416x")), L"?x");
}

TEST(AnsiTest, EmbeddedNulsAndLengthsAreKept) {
  const std::string bytes("ab\0\0cd", 6);
  EXPECT_EQ(FromAnsi(bytes), Text(L"ab\0\0cd", 6));
  EXPECT_EQ(ToAnsi(Text(4, L' ')), "    ");
  EXPECT_EQ(FromAnsi(""), L"");
}

}  // namespace
}  // namespace levorn
