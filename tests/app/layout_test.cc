#include <gtest/gtest.h>

#include "app/layout.h"

namespace levorn {
namespace {

TEST(ReadableTextColourTest, KeepsTheAskedColourWhenItCanBeRead) {
  EXPECT_EQ(ReadableTextColour(0xFFFFFF, 0x000000), 0x000000u);  // classic: black on white
  EXPECT_EQ(ReadableTextColour(0x000000, 0x00FFFF), 0x00FFFFu);  // yellow on black
}

TEST(ReadableTextColourTest, ReplacesTextThatVanishesIntoItsBackground) {
  EXPECT_EQ(ReadableTextColour(0x000000, 0x000000), 0xFFFFFFu);  // Windows 10, Wine
  EXPECT_EQ(ReadableTextColour(0x202020, 0x101010), 0xFFFFFFu);
  EXPECT_EQ(ReadableTextColour(0xF0F0F0, 0xFFFFFF), 0x000000u);
  // Red counts more than blue: orange-red is light enough for black, blue
  // with a little green is not.
  EXPECT_EQ(ReadableTextColour(0x0028FF, 0x000000), 0x000000u);
  EXPECT_EQ(ReadableTextColour(0xFF2800, 0x000000), 0xFFFFFFu);
}

}  // namespace
}  // namespace levorn
