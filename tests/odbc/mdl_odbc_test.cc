#include <algorithm>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/text.h"
#include "odbc/mdl_odbc.h"
#include "tests/support/platform_fake.h"
#include "tests/support/registry_fake.h"

namespace levorn {
namespace {

using Op = FakeRegistry::Op;
using Stored = FakeRegistry::StoredValue;

constexpr char kNativeRoot[] = "SOFTWARE\\ODBC\\ODBC.INI\\";
constexpr char kWowRoot[] = "SOFTWARE\\WOW6432node\\ODBC\\ODBC.INI\\";
constexpr char kNativeList[] = "SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources";
constexpr char kWowList[] = "SOFTWARE\\WOW6432node\\ODBC\\ODBC.INI\\ODBC Data Sources";

class MdlOdbcTest : public ::testing::Test {
 protected:
  DsnResult Native(const Text& name = L"DunmerePemrod2002") {
    Text n = name, p = L"C:\\Halvex\\Levorn\\Pemrod2002.mdb", d = L"Levorn 2002";
    return odbc_.CreateAccessDSN(n, p, d);
  }
  DsnResult Wow64(const Text& name = L"DunmerePemrod2002") {
    Text n = name, p = L"C:\\Halvex\\Levorn\\Pemrod2002.mdb", d = L"Levorn 2002";
    return odbc_.CreateAccessDSNWow64(n, p, d);
  }

  // Every value of the data source and its list entry, checked against the
  // registry layout Levorn's ODBC driver expects.
  void ExpectLayout(const std::string& root, const std::string& list, const std::string& driver) {
    const std::string key = root + "DunmerePemrod2002";
    const std::string jet = key + "\\Engines\\Jet";
    EXPECT_EQ(reg_.GetValue(key, "DBQ"),
              (Stored{kRegSz, TextBytes("C:\\Halvex\\Levorn\\Pemrod2002.mdb")}));
    EXPECT_EQ(reg_.GetValue(key, "Description"), (Stored{kRegSz, TextBytes("Levorn 2002")}));
    EXPECT_EQ(reg_.GetValue(key, "Driver"), (Stored{kRegSz, TextBytes(driver)}));
    EXPECT_EQ(reg_.GetValue(key, "DriverId"), (Stored{kRegDword, DwordBytes(25)}));
    EXPECT_EQ(reg_.GetValue(key, "FIL"), (Stored{kRegSz, TextBytes("MS Access;")}));
    EXPECT_EQ(reg_.GetValue(key, "SafeTransactions"), (Stored{kRegDword, DwordBytes(0)}));
    EXPECT_EQ(reg_.GetValue(key, "UID"), (Stored{kRegSz, {0}}));
    EXPECT_EQ(reg_.ValueNames(key).size(), 7u);
    EXPECT_TRUE(reg_.ValueNames(key + "\\Engines").empty());
    EXPECT_EQ(reg_.GetValue(jet, "ImplicitCommitSync"), (Stored{kRegSz, {0}}));
    EXPECT_EQ(reg_.GetValue(jet, "MaxBufferSize"), (Stored{kRegDword, DwordBytes(2048)}));
    EXPECT_EQ(reg_.GetValue(jet, "PageTimeout"), (Stored{kRegDword, DwordBytes(5)}));
    EXPECT_EQ(reg_.GetValue(jet, "Threads"), (Stored{kRegDword, DwordBytes(3)}));
    EXPECT_EQ(reg_.GetValue(jet, "UserCommitSync"), (Stored{kRegSz, TextBytes("Yes")}));
    EXPECT_EQ(reg_.ValueNames(jet).size(), 5u);
    EXPECT_EQ(reg_.GetValue(list, "DunmerePemrod2002"),
              (Stored{kRegSz, TextBytes("Microsoft Access Driver (*.mdb)")}));
  }

  // The log as "op subject" lines, for checking the order of calls.
  std::vector<std::string> Trace() const {
    static const char* const kNames[] = {"OpenKeyEx", "CreateKey",    "SetValueEx",
                                         "CloseKey",  "OpenKey",      "QueryValueEx",
                                         "DeleteKey", "QueryInfoKey", "FlushKey"};
    std::vector<std::string> lines;
    for (const auto& call : reg_.calls()) {
      lines.push_back(std::string(kNames[static_cast<int>(call.op)]) +
                      (call.subject.empty() ? "" : " " + call.subject));
    }
    return lines;
  }

  FakeRegistry reg_;
  FakePlatform system_;
  MdlODBC odbc_{reg_, system_};
};

TEST_F(MdlOdbcTest, NativeWriterWritesTheFullLayoutInOrderWithExactByteCounts) {
  EXPECT_EQ(Native(), DsnResult{DsnOutcome::kRegistered});
  ExpectLayout(kNativeRoot, kNativeList, "C:\\windows\\system32\\odbcjt32.dll");

  const std::string key = std::string(kNativeRoot) + "DunmerePemrod2002";
  EXPECT_EQ(Trace(), (std::vector<std::string>{"OpenKeyEx " + key,
                                               "CreateKey " + key,
                                               "SetValueEx DBQ",
                                               "SetValueEx Description",
                                               "SetValueEx Driver",
                                               "SetValueEx DriverId",
                                               "SetValueEx FIL",
                                               "SetValueEx SafeTransactions",
                                               "SetValueEx UID",
                                               "CloseKey",
                                               "CreateKey " + key + "\\Engines",
                                               "CloseKey",
                                               "CreateKey " + key + "\\Engines\\Jet",
                                               "SetValueEx ImplicitCommitSync",
                                               "SetValueEx MaxBufferSize",
                                               "SetValueEx PageTimeout",
                                               "SetValueEx Threads",
                                               "SetValueEx UserCommitSync",
                                               "CloseKey",
                                               "CreateKey " + std::string(kNativeList),
                                               "SetValueEx DunmerePemrod2002",
                                               "CloseKey"}));
  EXPECT_EQ(reg_.calls()[0].access, kKeyAllAccess);
  for (const auto& call : reg_.calls()) {
    if (call.op == Op::kSetValueEx) {
      EXPECT_EQ(call.size, call.data.size()) << call.subject;  // NUL counted, nothing more
    }
  }
  EXPECT_EQ(reg_.open_handle_count(), 0u);
  EXPECT_EQ(system_.version_calls, 0);
}

TEST_F(MdlOdbcTest, Wow64WriterUsesTheWow6432NodePrefixAndTheSystemDirectory) {
  EXPECT_EQ(Wow64(), DsnResult{DsnOutcome::kRegistered});
  ExpectLayout(kWowRoot, kWowList, "C:\\windows\\system32\\odbcjt32.dll");
  EXPECT_FALSE(reg_.KeyExists("SOFTWARE\\ODBC\\ODBC.INI"));
}

TEST_F(MdlOdbcTest, AKeyWithItsListEntryIsLeftAloneInAFewCallsWithoutProbingTheSystem) {
  reg_.PutKey(std::string(kNativeRoot) + "dunmerepemrod2002");
  reg_.PutText(kNativeList, "DunmerePemrod2002", "SQL Server");
  reg_.PutKey(std::string(kWowRoot) + "DunmerePemrod2002");
  reg_.PutText(kWowList, "DunmerePemrod2002", "Microsoft Access Driver (*.mdb)");
  system_.version.reset();
  system_.system_directory.reset();

  EXPECT_EQ(Native(), DsnResult{DsnOutcome::kAlreadyPresent});
  EXPECT_EQ(Wow64(), DsnResult{DsnOutcome::kAlreadyPresent});
  EXPECT_EQ(Trace().size(), 10u);  // the key's open and close, the entry's open, query, close
  EXPECT_TRUE(reg_.ValueNames(std::string(kNativeRoot) + "DunmerePemrod2002").empty());
  EXPECT_EQ(system_.version_calls + system_.system_directory_calls, 0);
  EXPECT_EQ(reg_.open_handle_count(), 0u);
}

// A key without its list entry: this program's interrupted write is
// finished; anything else is someone's own data source, left untouched; and
// one whose entry or contents cannot be read is not registered, untouched.
TEST_F(MdlOdbcTest, AKeyWithoutItsListEntryIsFinishedOnlyWhenAllItHoldsIsOurs) {
  const std::string key = std::string(kNativeRoot) + "DunmerePemrod2002";
  const std::string jet = key + "\\Engines\\Jet";
  const auto ours_but_failing = [&](Op op, const std::string& subject) {
    return [&, op, subject](FakeRegistry& r) {
      r.PutText(key, "DBQ", "C:\\Halvex\\Levorn\\Pemrod2002.mdb");
      r.FailWhen([=](const FakeRegistry::Call& call) {
        return call.op == op && call.subject == subject ? 1450 : 0;
      });
    };
  };
  const auto driver = [&](const char* path) {
    return [&, path](FakeRegistry& r) { r.PutText(key, "Driver", path); };
  };
  struct Case {
    const char* what;
    std::function<void(FakeRegistry&)> arrange;
    DsnResult result;
    bool driver_directory_known = true;
  };
  const Case cases[] = {
      {"an empty key", [&](FakeRegistry& r) { r.PutKey(key); }, DsnOutcome::kRegistered},
      {"some of our values",
       [&](FakeRegistry& r) { r.PutText(key, "DBQ", "C:\\Halvex\\Levorn\\Pemrod2002.mdb"); },
       DsnOutcome::kRegistered},
      {"all but Jet's last value",
       [&](FakeRegistry& r) {
         r.PutText(key, "UID", "");
         r.PutDword(jet, "Threads", 3);
       },
       DsnOutcome::kRegistered},
      {"another database", [&](FakeRegistry& r) { r.PutText(key, "DBQ", "D:\\Other.mdb"); },
       DsnOutcome::kAlreadyPresent},
      {"a value of its own", [&](FakeRegistry& r) { r.PutText(key, "PWD", "secret"); },
       DsnOutcome::kAlreadyPresent},
      {"our name, another type", [&](FakeRegistry& r) { r.PutText(key, "DriverId", "25"); },
       DsnOutcome::kAlreadyPresent},
      {"a subkey of its own", [&](FakeRegistry& r) { r.PutKey(key + "\\Options"); },
       DsnOutcome::kAlreadyPresent},
      {"Jet tuned otherwise", [&](FakeRegistry& r) { r.PutDword(jet, "Threads", 8); },
       DsnOutcome::kAlreadyPresent},
      {"a subkey of Jet's own", [&](FakeRegistry& r) { r.PutKey(jet + "\\Options"); },
       DsnOutcome::kAlreadyPresent},
      {"a value longer than ours",
       [&](FakeRegistry& r) { r.PutText(key, "FIL", "MS Access; Excel; Paradox;"); },
       DsnOutcome::kAlreadyPresent},
      {"ours, no driver directory to finish it with", driver("D:\\WINNT\\system32\\odbcjt32.dll"),
       DsnResult{DsnOutcome::kNoDriverDirectory}, false},
      {"another driver, no driver directory", driver("C:\\windows\\system32\\sqlsrv32.dll"),
       DsnResult{DsnOutcome::kAlreadyPresent}, false},
      {"its counts cannot be read", ours_but_failing(Op::kQueryInfoKey, ""),
       DsnResult{DsnOutcome::kNotRegistered, 1450}},
      {"a subkey cannot be opened", ours_but_failing(Op::kOpenKeyEx, key + "\\Engines"),
       DsnResult{DsnOutcome::kNotRegistered, 1450}},
      {"the list cannot be read", ours_but_failing(Op::kOpenKeyEx, kNativeList),
       DsnResult{DsnOutcome::kNotRegistered, 1450}},
      {"a value cannot be read", ours_but_failing(Op::kQueryValueEx, "DBQ"),
       DsnResult{DsnOutcome::kNotRegistered, 1450}},
  };
  for (const Case& c : cases) {
    FakeRegistry reg;
    c.arrange(reg);
    const auto before = reg.ValueNames(key);
    FakePlatform system;
    if (!c.driver_directory_known) system.system_directory.reset();
    MdlODBC odbc(reg, system);
    Text n = L"DunmerePemrod2002", p = L"C:\\Halvex\\Levorn\\Pemrod2002.mdb", d = L"Levorn 2002";
    EXPECT_EQ(odbc.CreateAccessDSN(n, p, d), c.result) << c.what;
    if (c.result.outcome == DsnOutcome::kRegistered) {
      reg_ = std::move(reg);
      ExpectLayout(kNativeRoot, kNativeList, "C:\\windows\\system32\\odbcjt32.dll");
      reg = std::move(reg_);
    } else {
      EXPECT_EQ(reg.ValueNames(key), before) << c.what;
      EXPECT_FALSE(reg.KeyExists(kNativeList)) << c.what;
    }
    EXPECT_EQ(reg.open_handle_count(), 0u) << c.what;
  }
}

// Whatever write a run was stopped after (a crash, a shutdown), or where its
// undo failed, the next run ends with the whole data source.
TEST_F(MdlOdbcTest, AWriteStoppedAfterAnyCallIsFinishedByTheNextRun) {
  for (int stop_after = 0; stop_after <= 16; ++stop_after) {
    FakeRegistry reg;
    reg.PutKey(kNativeList);
    int writes = 0;
    reg.FailWhen([&](const FakeRegistry::Call& call) {
      const bool write = call.op == Op::kCreateKey || call.op == Op::kSetValueEx;
      if (write && ++writes > stop_after) return 1450;
      return call.op == Op::kDeleteKey ? kErrorAccessDenied : 0;  // nor can it be undone
    });
    MdlODBC odbc(reg, system_);
    Text n = L"DunmerePemrod2002", p = L"C:\\Halvex\\Levorn\\Pemrod2002.mdb", d = L"Levorn 2002";
    const DsnResult failed = odbc.CreateAccessDSN(n, p, d);
    EXPECT_EQ(failed.outcome, DsnOutcome::kNotRegistered) << stop_after;
    if (stop_after > 0) {
      EXPECT_EQ(failed.error, kErrorAccessDenied) << stop_after;
    }

    reg.FailWhen(nullptr);
    EXPECT_EQ(odbc.CreateAccessDSN(n, p, d), DsnResult{DsnOutcome::kRegistered}) << stop_after;
    reg_ = std::move(reg);
    ExpectLayout(kNativeRoot, kNativeList, "C:\\windows\\system32\\odbcjt32.dll");
  }
}

// Another run (or the ODBC administrator) creates the year between this
// run's test and its write: a failure then undoes nothing of theirs.
TEST_F(MdlOdbcTest, AKeyThatAppearedMeanwhileIsNeverUndone) {
  const std::string key = std::string(kNativeRoot) + "DunmerePemrod2002";
  reg_.FailWhen([&](const FakeRegistry::Call& call) {
    if (call.op == Op::kOpenKeyEx && call.subject == key) {
      reg_.PutText(key, "DBQ", "C:\\Halvex\\Levorn\\Pemrod2002.mdb");
      return kErrorFileNotFound;  // it was not there yet when asked
    }
    return call.op == Op::kCreateKey && call.subject == kNativeList ? kErrorAccessDenied : 0;
  });
  EXPECT_EQ(Native(), (DsnResult{DsnOutcome::kNotRegistered, kErrorAccessDenied}));
  EXPECT_TRUE(reg_.KeyExists(key));
}

TEST_F(MdlOdbcTest, AStaleListEntryIsReplacedAndOtherEntriesKept) {
  reg_.PutText(kNativeList, "DunmerePemrod2002", "SQL Server");
  reg_.PutText(kNativeList, "Payroll", "SQL Server");
  EXPECT_EQ(Native(), DsnResult{DsnOutcome::kRegistered});
  EXPECT_EQ(reg_.GetValue(kNativeList, "DunmerePemrod2002"),
            (Stored{kRegSz, TextBytes("Microsoft Access Driver (*.mdb)")}));
  EXPECT_EQ(reg_.GetValue(kNativeList, "Payroll"), (Stored{kRegSz, TextBytes("SQL Server")}));
}

TEST_F(MdlOdbcTest, DeniedWritesReportNotRegisteredWithTheFirstCode) {
  reg_.PutKey(kNativeList);
  reg_.DenyWritesBelow("SOFTWARE\\ODBC");
  EXPECT_EQ(Native(), (DsnResult{DsnOutcome::kNotRegistered, kErrorAccessDenied}));
  EXPECT_FALSE(reg_.KeyExists(std::string(kNativeRoot) + "DunmerePemrod2002"));
  EXPECT_TRUE(reg_.ValueNames(kNativeList).empty());
  for (const auto& call : reg_.calls()) {
    EXPECT_NE(call.op == Op::kSetValueEx && call.key == 0, true) << "write through handle 0";
  }
  EXPECT_EQ(reg_.open_handle_count(), 0u);
}

TEST_F(MdlOdbcTest, AFailureAtAnyStepStopsTheYearAndLeavesNothingOfIt) {
  const std::string key = std::string(kNativeRoot) + "DunmerePemrod2002";
  struct Case {
    Op op;
    std::string subject;  // key path or value name whose call fails
    bool throws;          // out of memory instead of an error code
  };
  const Case cases[] = {
      {Op::kCreateKey, key, false},
      {Op::kSetValueEx, "DBQ", false},
      {Op::kSetValueEx, "Driver", false},
      {Op::kCreateKey, key + "\\Engines", false},
      {Op::kCreateKey, key + "\\Engines\\Jet", false},
      {Op::kSetValueEx, "Threads", false},
      {Op::kCreateKey, kNativeList, false},
      {Op::kSetValueEx, "DunmerePemrod2002", false},
      {Op::kSetValueEx, "UserCommitSync", true},
  };
  for (const Case& c : cases) {
    FakeRegistry reg;
    reg.PutText(kNativeList, "DunmerePemrod2002", "SQL Server");  // stale, replaced on success
    reg.PutKey(std::string(kNativeRoot) + "Payroll");
    reg.FailWhen([&](const FakeRegistry::Call& call) -> int32_t {
      if (call.op != c.op || call.subject != c.subject) return 0;
      if (c.throws) throw std::bad_alloc();
      return 1450;
    });
    MdlODBC odbc(reg, system_);
    Text n = L"DunmerePemrod2002", p = L"C:\\Halvex\\Levorn\\Pemrod2002.mdb", d = L"Levorn 2002";
    if (c.throws) {
      EXPECT_THROW(odbc.CreateAccessDSN(n, p, d), std::bad_alloc);
    } else {
      EXPECT_EQ(odbc.CreateAccessDSN(n, p, d), (DsnResult{DsnOutcome::kNotRegistered, 1450}))
          << c.subject;
    }
    EXPECT_FALSE(reg.KeyExists(key)) << c.subject;
    EXPECT_TRUE(reg.KeyExists(std::string(kNativeRoot) + "Payroll")) << c.subject;
    EXPECT_EQ(reg.GetValue(kNativeList, "DunmerePemrod2002"),
              (Stored{kRegSz, TextBytes("SQL Server")}))
        << c.subject;
    EXPECT_EQ(reg.open_handle_count(), 0u) << c.subject;
    // Nothing is written after the failing call.
    const auto failed = std::find_if(reg.calls().begin(), reg.calls().end(), [&](const auto& call) {
      return call.op == c.op && call.subject == c.subject;
    });
    EXPECT_TRUE(std::none_of(failed + 1, reg.calls().end(), [](const auto& call) {
      return call.op == Op::kSetValueEx || call.op == Op::kCreateKey;
    })) << c.subject;
  }
}

TEST_F(MdlOdbcTest, AYearThatFailedIsRegisteredCompletelyOnceTheCauseIsGone) {
  reg_.PutKey(kNativeList);
  int32_t denied = kErrorAccessDenied;
  reg_.FailWhen([&](const FakeRegistry::Call& call) {
    return call.op == Op::kSetValueEx && call.subject == "DunmerePemrod2002" ? denied : 0;
  });
  EXPECT_EQ(Native(), (DsnResult{DsnOutcome::kNotRegistered, kErrorAccessDenied}));
  denied = 0;
  EXPECT_EQ(Native(), DsnResult{DsnOutcome::kRegistered});
  ExpectLayout(kNativeRoot, kNativeList, "C:\\windows\\system32\\odbcjt32.dll");
}

TEST_F(MdlOdbcTest, AKeyThatCannotBeOpenedForWritingIsTestedForReading) {
  const std::string key = std::string(kNativeRoot) + "DunmerePemrod2002";
  struct Case {
    const char* what;
    bool exists;
    int32_t full_access;  // forced answer to the open for every access, 0: as the registry says
    int32_t read_access;  // likewise for the open for reading
    DsnResult expected;
  };
  const Case cases[] = {
      {"may read, not write", true, 0, 0, {DsnOutcome::kAlreadyPresent}},
      {"may not even read",
       true,
       kErrorAccessDenied,
       kErrorAccessDenied,
       {DsnOutcome::kAlreadyPresent}},
      {"cannot tell", false, 1450, 1450, {DsnOutcome::kNotRegistered, 1450}},
      {"missing after all", false, kErrorAccessDenied, 0, {DsnOutcome::kRegistered}},
  };
  for (const Case& c : cases) {
    FakeRegistry reg;
    if (c.exists) {
      reg.PutText(key, "DBQ", "D:\\Custom.mdb");
      reg.DenyWritesBelow(key);
    }
    reg.FailWhen([&](const FakeRegistry::Call& call) {
      if (call.op != Op::kOpenKeyEx) return 0;
      return call.access == kKeyAllAccess ? c.full_access : c.read_access;
    });
    FakePlatform system;
    MdlODBC odbc(reg, system);
    Text n = L"DunmerePemrod2002", p = L"C:\\Halvex\\Levorn\\Pemrod2002.mdb", d = L"Levorn 2002";
    EXPECT_EQ(odbc.CreateAccessDSN(n, p, d), c.expected) << c.what;
    ASSERT_GE(reg.calls().size(), 2u);
    EXPECT_EQ(reg.calls()[1].access, kKeyRead) << c.what;
    if (c.exists) {
      EXPECT_EQ(reg.ValueNames(key), std::vector<std::string>{"DBQ"}) << c.what;
      EXPECT_FALSE(reg.KeyExists(kNativeList)) << c.what;
    }
    if (c.expected.outcome == DsnOutcome::kNotRegistered) {
      EXPECT_EQ(system.system_directory_calls, 0) << c.what;
    }
    EXPECT_EQ(reg.open_handle_count(), 0u) << c.what;
  }
}

TEST_F(MdlOdbcTest, NoSystemDirectoryWritesNothing) {
  system_.system_directory.reset();
  EXPECT_EQ(Native(), DsnResult{DsnOutcome::kNoDriverDirectory});
  EXPECT_EQ(Trace().size(), 1u);  // the existence test only
  // A call that reports a size but writes nothing counts as none.
  system_.system_directory_result_only = 19;
  EXPECT_EQ(odbc_.GetSystemDir(), Variant(Text()));
  EXPECT_EQ(Native(), DsnResult{DsnOutcome::kNoDriverDirectory});
}

// The version name, and the driver directory the 32-bit view's writer takes
// from it (nullptr: none, nothing written).
TEST_F(MdlOdbcTest, VersionNamesAndTheWow64DriverDirectoryTheyGive) {
  constexpr char kNt[] = "C:\\WinNT\\System32\\odbcjt32.dll";
  constexpr char k9x[] = "C:\\Windows\\System\\odbcjt32.dll";
  constexpr char kSystem[] = "C:\\windows\\system32\\odbcjt32.dll";
  struct Row {
    uint32_t platform, major, minor;
    bool version_call_fails;
    bool has_system_directory;
    const wchar_t* name;
    const char* driver;
  };
  const Row rows[] = {
      {0, 9, 9, false, true, L"Win32s", kSystem},
      {1, 4, 0, false, true, L"Win95", k9x},
      {1, 4, 10, false, true, L"Win98", k9x},
      {1, 4, 90, false, true, L"", kSystem},
      {2, 3, 51, false, true, L"WinNT361", kSystem},
      {2, 4, 0, false, true, L"WinNT4", kNt},
      {2, 5, 0, false, true, L"Win2000", kNt},
      {2, 5, 1, false, true, L"WinXP", kSystem},
      {2, 5, 2, false, true, L"Win2003", kSystem},
      {2, 5, 3, false, true, L"", kSystem},
      {2, 6, 0, false, true, L"Vista", kSystem},
      {2, 6, 2, false, true, L"Vista", kSystem},
      {2, 10, 0, false, true, L"", kSystem},
      {2, 10, 0, false, false, L"", kNt},
      {3, 0, 0, false, true, L"WinCE", kSystem},
      {4, 0, 0, false, true, L"Failed", nullptr},
      {0xFFFFFFFF, 0, 0, false, true, L"Failed", nullptr},
      // A failed call is "Failed", not the "Win32s" of the untouched record.
      {0, 0, 0, true, true, L"Failed", nullptr},
  };
  for (const Row& row : rows) {
    FakeRegistry reg;
    FakePlatform system;
    system.version = FakePlatform::Version(row.platform, row.major, row.minor);
    if (row.version_call_fails) system.version.reset();
    if (!row.has_system_directory) system.system_directory.reset();
    MdlODBC odbc(reg, system);
    const std::string what = std::to_string(row.platform) + "." + std::to_string(row.major) + "." +
                             std::to_string(row.minor);
    EXPECT_EQ(odbc.GetOSVersionName(), row.name) << what;
    Text n = L"DunmerePemrod2002", p = L"p", d = L"d";
    const DsnResult result = odbc.CreateAccessDSNWow64(n, p, d);
    if (row.driver == nullptr) {
      EXPECT_EQ(result, DsnResult{DsnOutcome::kNoDriverDirectory}) << what;
      EXPECT_FALSE(reg.KeyExists(kWowRoot)) << what;
    } else {
      EXPECT_EQ(reg.GetValue(std::string(kWowRoot) + "DunmerePemrod2002", "Driver"),
                (Stored{kRegSz, TextBytes(row.driver)}))
          << what;
    }
  }
}

TEST_F(MdlOdbcTest, CallerTextsComeBackThroughTheCodePage) {
  Text name = L"Pemrod\u4e2d", path = L"C:\\caf\u00e9.mdb", description = L"Levorn \u0416";
  EXPECT_EQ(odbc_.CreateAccessDSN(name, path, description).outcome, DsnOutcome::kRegistered);
  EXPECT_EQ(name, L"Pemrod?");
  EXPECT_EQ(path, L"C:\\caf\u00e9.mdb");
  EXPECT_EQ(description, L"Levorn ?");
  EXPECT_TRUE(reg_.KeyExists(std::string(kNativeRoot) + "Pemrod?"));
}

}  // namespace
}  // namespace levorn
