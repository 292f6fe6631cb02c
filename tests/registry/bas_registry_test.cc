#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/runtime_error.h"
#include "base/text.h"
#include "registry/bas_registry.h"
#include "tests/support/registry_fake.h"

namespace levorn {
namespace {

using Op = FakeRegistry::Op;

constexpr char kCpu[] = "Hardware\\Description\\System\\CentralProcessor\\0";

class ReadRegValueTest : public ::testing::Test {
 protected:
  Variant Read(const std::string& name = "Identifier") {
    return reader_.ReadRegValue(kHkeyLocalMachine,
                                L"Hardware\\Description\\System\\CentralProcessor\\0",
                                std::wstring(name.begin(), name.end()));
  }
  std::vector<Op> Ops() const {
    std::vector<Op> ops;
    for (const auto& call : reg_.calls()) ops.push_back(call.op);
    return ops;
  }

  FakeRegistry reg_;
  basRegistry reader_{reg_};
};

TEST_F(ReadRegValueTest, MissingKeyYieldsEmptyTextAndStillClosesTheNullHandle) {
  const Variant result = Read();
  EXPECT_TRUE(result.IsText());
  EXPECT_EQ(result.AsText(), L"");
  EXPECT_EQ(Ops(), (std::vector<Op>{Op::kOpenKey, Op::kCloseKey}));
  EXPECT_EQ(reg_.calls()[1].key, 0u);
  EXPECT_EQ(reader_.RegLastResult, kErrorInvalidHandle);
}

TEST_F(ReadRegValueTest, MissingValueYieldsEmptyTextAndEndsWithTheSuccessfulClose) {
  reg_.PutKey(kCpu);
  EXPECT_EQ(Read(), Variant(Text()));
  EXPECT_EQ(Ops(), (std::vector<Op>{Op::kOpenKey, Op::kQueryValueEx, Op::kCloseKey}));
  EXPECT_EQ(reg_.calls()[1].result, kErrorFileNotFound);
  EXPECT_EQ(reader_.RegLastResult, 0);
  EXPECT_EQ(reg_.open_handle_count(), 0u);
}

TEST_F(ReadRegValueTest, TextIsCutAtItsFirstNulWhateverSizeWasReported) {
  reg_.PutText(kCpu, "Identifier", "x86 Family 6 Model 158 Stepping 10");
  EXPECT_EQ(Read(), Variant(Text(L"x86 Family 6 Model 158 Stepping 10")));
  EXPECT_EQ(Ops(),
            (std::vector<Op>{Op::kOpenKey, Op::kQueryValueEx, Op::kQueryValueEx, Op::kCloseKey}));
  EXPECT_FALSE(reg_.calls()[1].has_buffer);
  EXPECT_TRUE(reg_.calls()[2].has_buffer);
  EXPECT_EQ(reg_.calls()[2].size, 35u);

  // Padding behind the NUL, and a second NUL, never reach the result.
  reg_.PutValue(kCpu, "Padded", kRegSz, {'I', 'n', 't', 'e', 'l', '6', '4', 0, 'z', 'z', 0, 0});
  EXPECT_EQ(Read("Padded"), Variant(Text(L"Intel64")));
}

TEST_F(ReadRegValueTest, TextWithoutNulComesBackWhole) {
  reg_.PutValue(kCpu, "Raw", kRegSz, {'a', 'b', 'c'});
  EXPECT_EQ(Read("Raw"), Variant(Text(L"abc")));
}

TEST_F(ReadRegValueTest, UnfilledPositionsOfTheBufferStayAsSpaces) {
  // A query that fills fewer bytes than the probe reported leaves the rest of
  // the space-filled buffer, and no NUL, behind.
  reg_.PutValue(kCpu, "Short", kRegSz, {'a', 'b', 'c', 0});
  int queries = 0;
  reg_.FailWhen([&](const FakeRegistry::Call& call) {
    if (call.op == Op::kQueryValueEx && call.has_buffer && ++queries == 1) {
      reg_.PutValue(kCpu, "Short", kRegSz, {'a', 'b'});
    }
    return 0;
  });
  EXPECT_EQ(Read("Short"), Variant(Text(L"ab  ")));
}

TEST_F(ReadRegValueTest, EmptyTextValuesYieldTheEmptyText) {
  reg_.PutValue(kCpu, "Zero", kRegSz, {});
  reg_.PutValue(kCpu, "LeadingNul", kRegSz, {0, 'x', 0});
  EXPECT_EQ(Read("Zero"), Variant(Text()));
  EXPECT_EQ(Read("LeadingNul"), Variant(Text()));
}

TEST_F(ReadRegValueTest, FailingSecondQueryYieldsEmptyTextAndIsRecorded) {
  reg_.PutText(kCpu, "Identifier", "x86");
  reg_.FailWhen([](const FakeRegistry::Call& call) {
    return call.op == Op::kQueryValueEx && call.has_buffer ? 1450 : 0;
  });
  EXPECT_EQ(Read(), Variant(Text()));
  EXPECT_EQ(reg_.calls()[2].result, 1450);
  EXPECT_EQ(reader_.RegLastResult, 0);  // the close came after it
}

TEST_F(ReadRegValueTest, DwordValuesAreSignedIntegers) {
  reg_.PutDword(kCpu, "AllBits", 0xFFFFFFFF);
  reg_.PutDword(kCpu, "Answer", 42);
  EXPECT_EQ(Read("AllBits"), Variant(int32_t{-1}));
  EXPECT_EQ(Read("Answer"), Variant(int32_t{42}));
  EXPECT_EQ(reg_.calls()[2].size, 4u);
}

TEST_F(ReadRegValueTest, OtherTypesYieldEmptyTextWithoutASecondQuery) {
  for (uint32_t type : {2u, 3u, 7u, 11u}) {
    reg_.PutValue(kCpu, "Other", type, {'x', 0, 0, 0, 0, 0, 0, 0});
    reg_.ClearCalls();
    EXPECT_EQ(Read("Other"), Variant(Text())) << type;
    EXPECT_EQ(Ops(), (std::vector<Op>{Op::kOpenKey, Op::kQueryValueEx, Op::kCloseKey})) << type;
  }
}

TEST_F(ReadRegValueTest, NulBeyondPosition32767OverflowsButClosesTheKey) {
  std::vector<uint8_t> at_limit(32766, 'a');
  at_limit.push_back(0);  // NUL at position 32767: still fits
  reg_.PutValue(kCpu, "AtLimit", kRegSz, at_limit);
  EXPECT_EQ(Read("AtLimit").AsText().size(), 32766u);

  std::vector<uint8_t> beyond(32767, 'a');
  beyond.push_back(0);  // NUL at position 32768
  reg_.PutValue(kCpu, "Beyond", kRegSz, beyond);
  try {
    Read("Beyond");
    FAIL() << "no overflow";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), 6);
  }
  EXPECT_EQ(reg_.open_handle_count(), 0u);
}

TEST_F(ReadRegValueTest, CallerTextsAreNotChanged) {
  reg_.PutText(kCpu, "Identifier", "x86");
  Text path = L"Hardware\\Description\\System\\CentralProcessor\\0";
  Text name = L"Identifier";
  reader_.ReadRegValue(kHkeyLocalMachine, path, name);
  EXPECT_EQ(name, L"Identifier");
  EXPECT_EQ(reg_.calls()[0].subject, kCpu);
}

}  // namespace
}  // namespace levorn
