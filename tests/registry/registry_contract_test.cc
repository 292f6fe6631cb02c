// What the program relies on from the registry, checked against the
// in-memory stand-in everywhere and against the real registry on Windows,
// so that the stand-in cannot drift from the platform.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/text.h"
#include "tests/support/registry_fake.h"

#ifdef _WIN32
#include <windows.h>

#include "base/platform_api.h"
#include "registry/registry_api.h"
#endif

namespace levorn {
namespace {

// A registry and a scratch key below HKEY_LOCAL_MACHINE that the test may use.
class RegistryUnderTest {
 public:
  virtual ~RegistryUnderTest() = default;
  virtual RegistryApi& api() = 0;
  const std::string& scratch() const { return scratch_; }

 protected:
  std::string scratch_ = "SOFTWARE\\LevornSetupContract";
};

class FakeUnderTest : public RegistryUnderTest {
 public:
  RegistryApi& api() override { return registry_; }

 private:
  FakeRegistry registry_;
};

#ifdef _WIN32
// The registry as the program of this build makes it. The 64-bit build's
// keys are those of the 32-bit programs' view, where it writes.
class Win32UnderTest : public RegistryUnderTest {
 public:
  Win32UnderTest() {
    if (kBuiltFor64Bit) scratch_ = "SOFTWARE\\Wow6432Node\\LevornSetupContract";
    scratch_ += "\\" + std::to_string(GetCurrentProcessId());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, scratch_.c_str());
  }
  ~Win32UnderTest() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, scratch_.c_str()); }
  RegistryApi& api() override { return *registry_; }

 private:
  static constexpr bool kBuiltFor64Bit = sizeof(void*) == 8;
  std::unique_ptr<RegistryApi> registry_ = CreateWin32Registry(
      kBuiltFor64Bit || CreateWin32Platform()->RunsUnderWow64().value_or(false));
};
#endif

struct Implementation {
  const char* name;
  std::function<std::unique_ptr<RegistryUnderTest>()> make;
  friend void PrintTo(const Implementation& i, std::ostream* os) { *os << i.name; }
};

class RegistryContractTest : public ::testing::TestWithParam<Implementation> {
 protected:
  void SetUp() override { under_test_ = GetParam().make(); }

  RegistryApi& reg() { return under_test_->api(); }
  std::string Path(const std::string& relative) const {
    return under_test_->scratch() + "\\" + relative;
  }

  RegHandle Create(const std::string& relative) {
    RegHandle key = 0;
    EXPECT_EQ(reg().CreateKeyEx(kHkeyLocalMachine, Path(relative), &key, nullptr), 0);
    EXPECT_NE(key, 0u);
    return key;
  }

  void SetText(RegHandle key, const std::string& name, const std::string& text) {
    const std::vector<uint8_t> bytes = TextBytes(text);
    EXPECT_EQ(
        reg().SetValueEx(key, name, 0, kRegSz, bytes.data(), static_cast<uint32_t>(bytes.size())),
        0);
  }

  // The value read back in full: its type and bytes; the return code of a
  // failed read in place of the type.
  FakeRegistry::StoredValue Read(RegHandle key, const std::string& name) {
    uint32_t type = 0;
    uint32_t size = 0;
    int32_t result = reg().QueryValueEx(key, name, nullptr, &type, nullptr, &size);
    if (result != 0) return {static_cast<uint32_t>(0x10000 + result), {}};
    std::vector<uint8_t> data(size + 1, 0xCC);
    result = reg().QueryValueEx(key, name, nullptr, &type, data.data(), &size);
    if (result != 0) return {static_cast<uint32_t>(0x10000 + result), {}};
    data.resize(size);
    return {type, data};
  }

  std::unique_ptr<RegistryUnderTest> under_test_;
};

TEST_P(RegistryContractTest, CreateKeyBuildsTheParentChainAndOpenFindsEveryLevel) {
  const RegHandle key = Create("Chain\\Middle\\Leaf");
  EXPECT_EQ(reg().CloseKey(key), 0);

  for (const char* level : {"Chain", "Chain\\Middle", "Chain\\Middle\\Leaf"}) {
    RegHandle opened = 0;
    EXPECT_EQ(reg().OpenKeyEx(kHkeyLocalMachine, Path(level), 0, kKeyAllAccess, &opened), 0)
        << level;
    EXPECT_EQ(reg().CloseKey(opened), 0);
  }
}

TEST_P(RegistryContractTest, OpeningAMissingKeyFailsWithNotFoundAndLeavesNoHandle) {
  RegHandle key = 0x1234;
  EXPECT_EQ(reg().OpenKeyEx(kHkeyLocalMachine, Path("Missing"), 0, kKeyAllAccess, &key),
            kErrorFileNotFound);
  EXPECT_EQ(key, 0u);

  key = 0x1234;
  EXPECT_EQ(reg().OpenKey(kHkeyLocalMachine, Path("Missing"), &key), kErrorFileNotFound);
  EXPECT_EQ(key, 0u);
}

TEST_P(RegistryContractTest, KeyAndValueNamesIgnoreCase) {
  RegHandle key = Create("MixedCase\\Inner");
  SetText(key, "UserCommitSync", "Yes");
  reg().CloseKey(key);

  RegHandle again = 0;
  ASSERT_EQ(reg().OpenKey(kHkeyLocalMachine, Path("MIXEDCASE\\inner"), &again), 0);
  EXPECT_EQ(Read(again, "usercommitsync"), (FakeRegistry::StoredValue{kRegSz, TextBytes("Yes")}));
  reg().CloseKey(again);
}

TEST_P(RegistryContractTest, TextAndNumberValuesComeBackWithTheirExactByteCounts) {
  const RegHandle key = Create("Values");
  SetText(key, "FIL", "MS Access;");
  SetText(key, "UID", "");
  const uint32_t all_bits = 0xFFFFFFFF;
  ASSERT_EQ(
      reg().SetValueEx(key, "Minus", 0, kRegDword, reinterpret_cast<const uint8_t*>(&all_bits), 4),
      0);

  EXPECT_EQ(Read(key, "FIL"), (FakeRegistry::StoredValue{kRegSz, TextBytes("MS Access;")}));
  EXPECT_EQ(Read(key, "UID"), (FakeRegistry::StoredValue{kRegSz, {0}}));
  EXPECT_EQ(Read(key, "Minus"), (FakeRegistry::StoredValue{kRegDword, DwordBytes(all_bits)}));
  reg().CloseKey(key);
}

TEST_P(RegistryContractTest, ValuesOfOtherTypesReportTheirType) {
  const RegHandle key = Create("OtherTypes");
  const uint8_t bytes[8] = {'a', 0, 'b', 0, 0, 0, 0, 0};
  for (uint32_t type : {2u, 3u, 7u, 11u}) {
    const std::string name = "Type" + std::to_string(type);
    ASSERT_EQ(reg().SetValueEx(key, name, 0, type, bytes, 8), 0);
    uint32_t reported = 0;
    uint32_t size = 0;
    EXPECT_EQ(reg().QueryValueEx(key, name, nullptr, &reported, nullptr, &size), 0);
    EXPECT_EQ(reported, type);
  }
  reg().CloseKey(key);
}

TEST_P(RegistryContractTest, CreatingAnExistingKeyOpensItAndWritesReplaceOnlyTheirOwnValue) {
  RegHandle key = Create("Existing");
  SetText(key, "Keep", "kept");
  SetText(key, "Replace", "old");
  reg().CloseKey(key);

  key = Create("Existing");
  SetText(key, "Replace", "new");
  EXPECT_EQ(Read(key, "Keep"), (FakeRegistry::StoredValue{kRegSz, TextBytes("kept")}));
  EXPECT_EQ(Read(key, "Replace"), (FakeRegistry::StoredValue{kRegSz, TextBytes("new")}));
  reg().CloseKey(key);
}

TEST_P(RegistryContractTest, QueryingAMissingValueFailsAndReportsNoType) {
  const RegHandle key = Create("NoValues");
  uint32_t type = 0;
  uint32_t size = 0;
  EXPECT_EQ(reg().QueryValueEx(key, "Identifier", nullptr, &type, nullptr, &size),
            kErrorFileNotFound);
  EXPECT_EQ(type, 0u);
  reg().CloseKey(key);
}

TEST_P(RegistryContractTest, ABufferTooSmallReportsMoreDataAndTheSizeNeeded) {
  const RegHandle key = Create("Small");
  SetText(key, "Text", "0123456789");
  uint8_t buffer[4] = {};
  uint32_t type = 0;
  uint32_t size = sizeof buffer;
  EXPECT_EQ(reg().QueryValueEx(key, "Text", nullptr, &type, buffer, &size), kErrorMoreData);
  EXPECT_EQ(size, 11u);
  reg().CloseKey(key);
}

TEST_P(RegistryContractTest, HandlesCloseOnceAndTheNullHandleIsInvalid) {
  const RegHandle key = Create("Closing");
  EXPECT_EQ(reg().CloseKey(key), 0);
  EXPECT_EQ(reg().CloseKey(0), kErrorInvalidHandle);

  uint32_t type = 0;
  uint32_t size = 0;
  EXPECT_EQ(reg().QueryValueEx(0, "Identifier", nullptr, &type, nullptr, &size),
            kErrorInvalidHandle);
}

TEST_P(RegistryContractTest, DeleteKeyRemovesOnlyAKeyWithoutSubkeys) {
  reg().CloseKey(Create("Tree\\Leaf"));
  EXPECT_NE(reg().DeleteKey(kHkeyLocalMachine, Path("Tree")), 0);
  EXPECT_EQ(reg().DeleteKey(kHkeyLocalMachine, Path("tree\\leaf")), 0);
  EXPECT_EQ(reg().DeleteKey(kHkeyLocalMachine, Path("Tree\\Leaf")), kErrorFileNotFound);
  EXPECT_EQ(reg().DeleteKey(kHkeyLocalMachine, Path("Tree")), 0);

  RegHandle key = 0;
  EXPECT_EQ(reg().OpenKeyEx(kHkeyLocalMachine, Path("Tree"), 0, kKeyAllAccess, &key),
            kErrorFileNotFound);
}

TEST_P(RegistryContractTest, CreateSaysWhetherItCreatedAndInfoCountsWhatAKeyHolds) {
  uint32_t disposition = 0;
  RegHandle key = 0;
  ASSERT_EQ(reg().CreateKeyEx(kHkeyLocalMachine, Path("Counted\\Sub"), &key, &disposition), 0);
  EXPECT_EQ(disposition, kRegCreatedNewKey);
  reg().CloseKey(key);
  ASSERT_EQ(reg().CreateKeyEx(kHkeyLocalMachine, Path("counted"), &key, &disposition), 0);
  EXPECT_EQ(disposition, kRegOpenedExistingKey);
  SetText(key, "One", "1");
  SetText(key, "Two", "2");
  uint32_t subkeys = 99, values = 99;
  EXPECT_EQ(reg().QueryInfoKey(key, &subkeys, &values), 0);
  EXPECT_EQ(subkeys, 1u);
  EXPECT_EQ(values, 2u);
  EXPECT_EQ(reg().FlushKey(key), 0);
  reg().CloseKey(key);
}

std::vector<Implementation> Implementations() {
  std::vector<Implementation> all = {
      {"InMemory", [] { return std::make_unique<FakeUnderTest>(); }}};
#ifdef _WIN32
  all.push_back({"Win32", [] { return std::make_unique<Win32UnderTest>(); }});
#endif
  return all;
}

INSTANTIATE_TEST_SUITE_P(Registries, RegistryContractTest, ::testing::ValuesIn(Implementations()),
                         [](const auto& info) { return std::string(info.param.name); });

// How a 32-bit process names a key of the 32-bit view: the same key on
// Windows and on Wine, which nests an explicit Wow6432Node one level deeper.
TEST(PathInOwnViewTest, OnlyTheNodeRightBelowSoftwareIsDroppedAndOnlyUnderWow64) {
  struct Row {
    const char* path;
    bool wow64;
    const char* reached;
  };
  const Row rows[] = {
      {"SOFTWARE\\WOW6432node\\ODBC\\ODBC.INI", true, "SOFTWARE\\ODBC\\ODBC.INI"},
      {"software\\wow6432NODE", true, "SOFTWARE"},
      {"SOFTWARE\\WOW6432node\\ODBC\\ODBC.INI", false, "SOFTWARE\\WOW6432node\\ODBC\\ODBC.INI"},
      {"SOFTWARE\\WOW6432nodeX\\ODBC", true, "SOFTWARE\\WOW6432nodeX\\ODBC"},
      {"SOFTWARE\\ODBC\\ODBC.INI", true, "SOFTWARE\\ODBC\\ODBC.INI"},
      {"Hardware\\Description\\System", true, "Hardware\\Description\\System"},
      {"SOFTWARE\\WOW6", true, "SOFTWARE\\WOW6"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(PathInOwnView(row.path, row.wow64), row.reached) << row.path << " " << row.wow64;
  }
}

}  // namespace
}  // namespace levorn
