// What BER allows and DER does not, each refused with where it stands.
#include "verifier/der.h"

#include <gtest/gtest.h>

#include <vector>

namespace levorn::verify {
namespace {

TEST(DerProblemTest, TakesOneDistinguishedElementAndNamesWhatElseItFinds) {
  const struct {
    std::vector<uint8_t> der;
    const char* problem;
  } rows[] = {
      {{0x30, 0x03, 0x02, 0x01, 0x05}, ""},
      {{0x30, 0x81, 0x03, 0x02, 0x01, 0x05}, "a length not in its shortest form at byte 1"},
      {{0x30, 0x82, 0x00, 0x80}, "a length not in its shortest form at byte 1"},
      {{0x30, 0x80, 0x02, 0x01, 0x05, 0x00, 0x00}, "an indefinite length at byte 1"},
      {{0x30, 0x85, 1, 0, 0, 0, 0}, "a length of 5 bytes at byte 1"},
      {{0x30, 0x84, 0xff, 0xff, 0xff, 0xf6}, "a length beyond what holds it at byte 0"},
      {{0x30, 0x03, 0x02, 0x05, 0x05}, "a length beyond what holds it at byte 2"},
      {{0x24, 0x03, 0x04, 0x01, 0x05}, "a constructed string at byte 0"},
      {{0x10, 0x00}, "a primitive SEQUENCE or SET at byte 0"},
      {{0x30, 0x02, 0x00, 0x00}, "an end-of-contents marker at byte 2"},
      {{0xbf, 0x81, 0x00, 0x00}, "a high tag number at byte 0"},
      {{0x05, 0x00, 0x05, 0x00}, "bytes after its end at byte 2"},
      {{0x30}, "a truncated element at byte 0"},
  };
  for (const auto& row : rows) EXPECT_EQ(DerProblem(row.der), row.problem) << row.problem;

  std::vector<uint8_t> deep;
  for (int i = 0; i <= kMaxDerDepth + 1; ++i)
    deep.insert(deep.begin(), {0x30, uint8_t(deep.size())});
  EXPECT_EQ(DerProblem(deep), "nesting deeper than 24 at byte 50");
  deep.erase(deep.begin(), deep.begin() + 4);
  EXPECT_EQ(DerProblem(deep), "");
}

}  // namespace
}  // namespace levorn::verify
