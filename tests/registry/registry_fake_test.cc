// The stand-in's test-only abilities: refusing writes as for a user without
// rights, failing chosen calls, and logging every call.
#include <gtest/gtest.h>

#include "base/system_error.h"
#include "registry/registry_fake.h"

namespace levorn {
namespace {

TEST(FakeRegistryTest, DeniedPathRefusesWritesButStillOpensExistingKeysForReading) {
  FakeRegistry reg;
  reg.PutText("SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources", "Other", "x");
  reg.DenyWritesBelow("software\\odbc");

  RegHandle key = 0;
  EXPECT_EQ(reg.OpenKeyEx(kHkeyLocalMachine, "SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources", 0,
                          kKeyAllAccess, &key),
            kErrorAccessDenied);
  EXPECT_EQ(reg.CreateKey(kHkeyLocalMachine, "SOFTWARE\\ODBC\\ODBC.INI\\New", &key),
            kErrorAccessDenied);
  EXPECT_EQ(key, 0u);
  EXPECT_FALSE(reg.KeyExists("SOFTWARE\\ODBC\\ODBC.INI\\New"));

  ASSERT_EQ(reg.CreateKey(kHkeyLocalMachine, "SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources", &key),
            0);
  const uint8_t data[] = {'y', 0};
  EXPECT_EQ(reg.SetValueEx(key, "Mine", 0, kRegSz, data, 2), kErrorAccessDenied);
  EXPECT_EQ(reg.ValueNames("SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources"),
            std::vector<std::string>{"Other"});
  EXPECT_EQ(reg.CloseKey(key), 0);

  // Outside the denied path everything is writable.
  EXPECT_EQ(reg.CreateKey(kHkeyLocalMachine, "SOFTWARE\\ODBCX", &key), 0);
}

TEST(FakeRegistryTest, FailRuleFailsTheChosenCallWithoutEffectAndLogsEveryCall) {
  FakeRegistry reg;
  reg.FailWhen([](const FakeRegistry::Call& call) {
    return call.op == FakeRegistry::Op::kCreateKey && call.subject == "A\\B" ? 1450 : 0;
  });
  RegHandle key = 0x55;
  EXPECT_EQ(reg.CreateKey(kHkeyLocalMachine, "A\\B", &key), 1450);
  EXPECT_EQ(key, 0u);
  EXPECT_FALSE(reg.KeyExists("A"));
  EXPECT_EQ(reg.CreateKey(kHkeyLocalMachine, "A\\C", &key), 0);
  EXPECT_EQ(reg.CloseKey(key), 0);

  ASSERT_EQ(reg.calls().size(), 3u);
  EXPECT_EQ(reg.calls()[0].result, 1450);
  EXPECT_EQ(reg.calls()[1].subject, "A\\C");
  EXPECT_EQ(reg.calls()[2].op, FakeRegistry::Op::kCloseKey);
  EXPECT_EQ(reg.calls()[2].key, key);
  EXPECT_EQ(reg.open_handle_count(), 0u);
}

}  // namespace
}  // namespace levorn
