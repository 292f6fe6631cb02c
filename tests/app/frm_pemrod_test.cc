// Whole runs of the program over the stand-ins, judged by what users and
// administrators see: the registry tree, the messages and the exit code.
#include <algorithm>
#include <functional>
#include <limits>
#include <new>
#include <stdexcept>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "app/frm_pemrod.h"
#include "base/platform_64bit_build.h"
#include "base/runtime_error.h"
#include "base/text.h"
#include "odbc/mdl_odbc.h"
#include "tests/support/automation_fake.h"
#include "tests/support/platform_fake.h"
#include "tests/support/registry_fake.h"
#include "tests/support/screen_fake.h"
#include "tests/support/setup_toolkit_fake.h"

namespace levorn {
namespace {

using Op = FakeRegistry::Op;
using Call = FakeRegistry::Call;

constexpr char kCpuKey[] = "Hardware\\Description\\System\\CentralProcessor\\0";
constexpr char kNativeList[] = "SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources";
constexpr char kWowList[] = "SOFTWARE\\WOW6432node\\ODBC\\ODBC.INI\\ODBC Data Sources";
constexpr char kComplete[] = "Levorn Installation: Setup Complete - DO NOT run this setup again.";
constexpr char kFailed[] =
    "Levorn Installation: Setup could not register the data sources for these years:\n";

// A machine for one run of the program: 32-bit, in 2004, unless a test says
// otherwise, with the real writers over the registry stand-in.
struct Machine {
  Machine() {
    registry.PutText(kCpuKey, "Identifier", "x86 Family 6 Model 158 Stepping 10");
    platform.year = 2004;
  }
  // The data sources in a view's list, in the order they were written.
  std::vector<std::string> Listed(const char* list) const {
    std::vector<std::string> names;
    for (const Call& call : registry.calls()) {
      if (call.op == Op::kSetValueEx && call.subject.rfind("DunmerePemrod", 0) == 0 &&
          registry.GetValue(list, call.subject)) {
        names.push_back(call.subject.substr(13));
      }
    }
    return names;
  }

  FakeRegistry registry;
  FakePlatform platform;
  RecordingScreen screen;
  MdlODBC data_sources{registry, platform};
  RecordingToolkit toolkit;
  RecordingAutomation automation;
  frmPemrod main{registry, data_sources, screen, platform, toolkit, automation};
};

class SetupRunTest : public ::testing::Test, protected Machine {};

TEST_F(SetupRunTest, RegistersEveryYearThroughTheCurrentOneInAscendingOrder) {
  for (const int32_t clock : {2004, 2002}) {
    Machine m;
    m.platform.year = clock;
    EXPECT_EQ(m.main.Run(), kExitSuccess) << clock;
    const std::vector<std::string> all = {"2002", "2003", "2004"};
    EXPECT_EQ(m.Listed(kNativeList),
              std::vector<std::string>(all.begin(), all.end() - (2004 - clock)))
        << clock;
    EXPECT_EQ(m.screen.Messages(), std::vector<std::string>{kComplete}) << clock;
  }
  // The texts of a year, each with the year in four digits.
  EXPECT_EQ(main.Run(), kExitSuccess);
  const std::string key = "SOFTWARE\\ODBC\\ODBC.INI\\DunmerePemrod2002";
  EXPECT_EQ(registry.GetValue(key, "DBQ")->data, TextBytes("C:\\Halvex\\Levorn\\Pemrod2002.mdb"));
  EXPECT_EQ(registry.GetValue(key, "Description")->data, TextBytes("Levorn 2002"));
}

TEST_F(SetupRunTest, TheViewFollowsTheIdentifierOrTheProcessWhenItSaysNothing) {
  std::vector<uint8_t> nul_too_far(32767, 'x');  // its reading overflows
  nul_too_far.push_back(0);
  using Value = FakeRegistry::StoredValue;
  struct Case {
    const char* what;
    std::optional<Value> identifier;  // nothing: no value at all
    std::optional<bool> wow64;        // nothing: the platform cannot say
    const char* list;
    bool built_for_64_bit = false;  // the program of the win64 preset
  };
  const Case cases[] = {
      // The platform knows best, whatever the identifier says.
      {"x86, under WOW64", Value{kRegSz, TextBytes("x86 Family 6")}, true, kWowList},
      {"Intel64, 32-bit Windows", Value{kRegSz, TextBytes("Intel64 Family 6")}, false, kNativeList},
      {"missing, under WOW64", std::nullopt, true, kWowList},
      {"missing, 32-bit Windows", std::nullopt, false, kNativeList},
      // The 64-bit build's process is never under WOW64, and is on 64-bit Windows.
      {"x86, the 64-bit build", Value{kRegSz, TextBytes("x86 Family 6")}, false, kWowList, true},
      // Where it cannot say, "x86" anywhere in any case is a 32-bit machine.
      {"x86 first", Value{kRegSz, TextBytes("x86 Family 6")}, std::nullopt, kNativeList},
      {"X86 inside", Value{kRegSz, TextBytes("Some X86 CPU")}, std::nullopt, kNativeList},
      {"x86 last", Value{kRegSz, TextBytes("generic-x86")}, std::nullopt, kNativeList},
      {"Intel64", Value{kRegSz, TextBytes("Intel64 Family 6")}, std::nullopt, kWowList},
      {"AMD64", Value{kRegSz, TextBytes("AMD64 Family 23")}, std::nullopt, kWowList},
      {"x 86", Value{kRegSz, TextBytes("x 86")}, std::nullopt, kWowList},
      // An identifier that says nothing never sends a machine to WOW6432node.
      {"missing", std::nullopt, std::nullopt, kNativeList},
      {"empty", Value{kRegSz, TextBytes("")}, std::nullopt, kNativeList},
      {"a number", Value{kRegDword, DwordBytes(86)}, std::nullopt, kNativeList},
      {"expandable", Value{2, TextBytes("AMD64 Family 23")}, std::nullopt, kNativeList},
      {"too long", Value{kRegSz, nul_too_far}, std::nullopt, kNativeList},
  };
  for (const Case& c : cases) {
    Machine m;
    m.registry.DeleteKey(kHkeyLocalMachine, kCpuKey);
    if (c.identifier)
      m.registry.PutValue(kCpuKey, "Identifier", c.identifier->type, c.identifier->data);
    m.registry.ClearCalls();
    m.platform.wow64 = c.wow64;
    Platform64BitBuild built(m.platform);
    frmPemrod main64{m.registry, m.data_sources, m.screen, built, m.toolkit, m.automation};
    EXPECT_EQ((c.built_for_64_bit ? main64 : m.main).Run(), kExitSuccess) << c.what;
    EXPECT_EQ(m.Listed(c.list), (std::vector<std::string>{"2002", "2003", "2004"})) << c.what;
    EXPECT_TRUE(m.Listed(c.list == kNativeList ? kWowList : kNativeList).empty()) << c.what;
  }
}

TEST_F(SetupRunTest, AYearThatFailsIsSkippedListedAndGivenItsReason) {
  const std::string key2003 = "SOFTWARE\\ODBC\\ODBC.INI\\DunmerePemrod2003";
  struct Case {
    const char* what;
    Op op;
    std::string subject;
    std::function<int32_t()> outcome;
    std::string reason;
  };
  const Case cases[] = {
      {"denied", Op::kSetValueEx, "DunmerePemrod2003", [] { return kErrorAccessDenied; },
       ToAnsi(DescribeSystemError(kErrorAccessDenied)) +
           "\n\nRun this setup again with administrator rights."},
      {"another code", Op::kCreateKey, key2003, [] { return 1450; },
       ToAnsi(DescribeSystemError(1450)) + "\n\nCorrect the cause and run this setup again."},
      {"run-time error", Op::kCreateKey, key2003,
       []() -> int32_t { throw RuntimeError(ErrorNumber::kOverflow); },
       "Run-time error '6': Overflow\n\nCorrect the cause and run this setup again."},
      {"a library exception", Op::kSetValueEx, "DunmerePemrod2003",
       []() -> int32_t { throw std::length_error("basic_string"); },
       "Run-time error '7': Out of memory\n\nCorrect the cause and run this setup again."},
      {"out of memory", Op::kSetValueEx, "Driver", []() -> int32_t { throw std::bad_alloc(); },
       "Run-time error '7': Out of memory\n\nCorrect the cause and run this setup again."},
      {"an exception of no known kind", Op::kCreateKey, key2003,
       []() -> int32_t { throw std::runtime_error("?"); },
       "Run-time error '51': Internal error\n\nCorrect the cause and run this setup again."},
  };
  for (const Case& c : cases) {
    Machine m;
    // Only 2003's calls fail: from the test of its key to its list entry.
    bool in_2003 = false;
    m.registry.FailWhen([&](const Call& call) -> int32_t {
      if (call.op == Op::kOpenKeyEx) in_2003 = call.subject == key2003;
      return in_2003 && call.op == c.op && call.subject == c.subject ? c.outcome() : 0;
    });
    EXPECT_EQ(m.main.Run(), kExitSomeYearsNotRegistered) << c.what;
    EXPECT_EQ(m.Listed(kNativeList), (std::vector<std::string>{"2002", "2004"})) << c.what;
    EXPECT_FALSE(m.registry.KeyExists(key2003)) << c.what;
    EXPECT_EQ(m.screen.Messages(),
              std::vector<std::string>{kFailed + std::string("2003\n\n") + c.reason})
        << c.what;
  }
}

TEST_F(SetupRunTest, OnlyTheFirstReasonIsGivenForSeveralYears) {
  registry.FailWhen([](const Call& call) -> int32_t {
    if (call.op == Op::kCreateKey && call.subject.find("2002\\Engines") != std::string::npos)
      throw RuntimeError(ErrorNumber::kOverflow);
    return call.op == Op::kSetValueEx && call.subject == "DunmerePemrod2004" ? kErrorAccessDenied
                                                                             : 0;
  });
  EXPECT_EQ(main.Run(), kExitSomeYearsNotRegistered);
  EXPECT_EQ(screen.Messages(),
            std::vector<std::string>{kFailed + std::string("2002, 2004\n\nRun-time error '6': "
                                                           "Overflow\n\nCorrect the cause and run "
                                                           "this setup again.")});
}

TEST_F(SetupRunTest, NoDriverDirectoryIsToldOncePerYearBeforeTheLoopGoesOn) {
  platform.system_directory.reset();
  EXPECT_EQ(main.Run(), kExitSomeYearsNotRegistered);
  EXPECT_EQ(screen.Messages(),
            (std::vector<std::string>{
                "Levorn: Failed to get OS Version", "Levorn: Failed to get OS Version",
                "Levorn: Failed to get OS Version",
                kFailed + std::string("2002, 2003, 2004\n\nFailed to get OS Version\n\nCorrect the "
                                      "cause and run this setup again.")}));
  EXPECT_FALSE(registry.KeyExists("SOFTWARE\\ODBC"));
}

TEST_F(SetupRunTest, AClockBeforeTheFirstYearOrBeyondCountingRegistersNothingAndSaysSo) {
  struct Case {
    int32_t year;
    const char* why;
  };
  for (const Case& c :
       {Case{1999, "which is before 2002"}, Case{40000, "which this setup cannot count to"}}) {
    Machine m;
    m.platform.year = c.year;
    EXPECT_EQ(m.main.Run(), kExitSomeYearsNotRegistered) << c.year;
    EXPECT_FALSE(m.registry.KeyExists("SOFTWARE\\ODBC")) << c.year;
    EXPECT_EQ(m.screen.Messages(),
              std::vector<std::string>{"Levorn Installation: This computer's date says the year " +
                                       std::to_string(c.year) + ", " + c.why +
                                       ", so no data source was registered.\n\nSet the "
                                       "computer's date, then run this setup again."});
    // The progress window was shown, and is gone.
    EXPECT_NE(std::find(m.screen.log().begin(), m.screen.log().end(), "destroy progress"),
              m.screen.log().end());
  }
}

TEST_F(SetupRunTest, YearsAtTheEndOfSixteenBitsStopWithoutLoopingForever) {
  // No key can be created: each year costs its existence test and one create.
  registry.FailWhen([](const Call& call) { return call.op == Op::kCreateKey ? 1450 : 0; });
  screen.Create(WindowId::kMain);
  platform.year = 32767;  // the increment after 32767 overflows and ends the loop
  main.RegisterYearDataSources();
  EXPECT_EQ(main.PassYear, 32767);
  const auto years_tested =
      std::count_if(registry.calls().begin(), registry.calls().end(), [](const Call& call) {
        return call.op == Op::kOpenKeyEx && call.subject.find("DunmerePemrod") != std::string::npos;
      });
  EXPECT_EQ(years_tested, 32767 - 2002 + 1);
  EXPECT_FALSE(screen.IsCreated(WindowId::kProgress));
}

TEST_F(SetupRunTest, WritesAreFlushedOnceBeforeTheUserIsToldAndOnlyWhenThereWereAny) {
  int flushes = 0;
  registry.FailWhen([&](const Call& call) {
    if (call.op == Op::kFlushKey) {
      ++flushes;
      EXPECT_TRUE(screen.Messages().empty());
    }
    return 0;
  });
  EXPECT_EQ(main.Run(), kExitSuccess);
  EXPECT_EQ(flushes, 1);

  // A rerun finds every year and writes nothing: nothing to flush.
  MdlODBC data_sources_again(registry, platform);
  RecordingScreen screen_again;
  frmPemrod rerun(registry, data_sources_again, screen_again, platform, toolkit, automation);
  EXPECT_EQ(rerun.Run(), kExitSuccess);
  EXPECT_EQ(flushes, 1);
}

TEST_F(SetupRunTest, OutOfMemoryReadingTheIdentifierSkipsOnlyTheRead) {
  registry.FailWhen([](const Call& call) -> int32_t {
    if (call.op == Op::kQueryValueEx) throw std::bad_alloc();
    return 0;
  });
  platform.wow64 = true;
  EXPECT_EQ(main.Run(), kExitSuccess);
  EXPECT_EQ(Listed(kWowList), (std::vector<std::string>{"2002", "2003", "2004"}));
}

TEST_F(SetupRunTest, WindowsAppearAndGoInTheOrderTheUserSees) {
  // The progress window is on screen while the registry is written, and
  // nothing has been said yet.
  registry.FailWhen([this](const Call& call) {
    if (call.op == Op::kCreateKey) {
      EXPECT_TRUE(screen.IsVisible(WindowId::kProgress) && screen.IsVisible(WindowId::kMain));
      EXPECT_TRUE(screen.Messages().empty());
    }
    return 0;
  });
  EXPECT_EQ(main.Run(), kExitSuccess);
  EXPECT_EQ(screen.log(), (std::vector<std::string>{
                              "create main", "show main", "create progress", "height progress 2475",
                              "width progress 4740", "left progress 832.5", "top progress 847.5",
                              "show progress", "refresh progress", "destroy progress",
                              std::string("message ") + kComplete, "destroy main"}));
  // The shortcut and desktop-folder operations are not part of a run.
  EXPECT_TRUE(toolkit.calls.empty());
  EXPECT_TRUE(automation.log.empty());
}

TEST_F(SetupRunTest, ProgressPlacementIsHalfTheSizeDifferenceUnroundedEvenWhenNegative) {
  screen.design[WindowId::kMain] = {500, 700, 3001, 1000};  // smaller than the progress window
  main.Run();
  EXPECT_EQ(screen.log()[5], "left progress -869.5");
  EXPECT_EQ(screen.log()[6], "top progress -737.5");
}

TEST_F(SetupRunTest, AnErrorLoadingTheProgressWindowEndsTheProgramWithTheStandardReport) {
  screen.design[WindowId::kMain].width = std::numeric_limits<float>::infinity();
  EXPECT_EQ(main.Run(), 2);  // the exit code scripts are told of
  EXPECT_EQ(screen.Messages(), std::vector<std::string>{"Levorn: Run-time error '6':\n\nOverflow"});
  EXPECT_EQ(screen.endings, std::vector<Ending>{static_cast<Ending>(1002)});  // its event ID
  EXPECT_FALSE(registry.KeyExists("SOFTWARE\\ODBC"));
}

// Windows Vista and later send the registry calls of a 32-bit program that
// declares no execution level to the user's VirtualStore while its token has
// virtualization on: there, writes that HKEY_LOCAL_MACHINE would refuse
// "succeed". No call may be made while it is on.
TEST_F(SetupRunTest, VirtualizationIsTurnedOffAtStartOrNothingIsWritten) {
  // Refused: the call fails; stays on: the call succeeds, and it is still on.
  for (const auto& [refused, stays_on] : {std::pair{false, false}, {true, false}, {false, true}}) {
    const bool sticks = refused || stays_on;
    Machine m;
    m.platform.virtualization = true;
    m.platform.virtualization_refused = refused;
    m.platform.virtualization_stays_on = stays_on;
    m.registry.DenyWritesBelow("SOFTWARE");
    int virtualized_calls = 0;
    m.registry.FailWhen([&](const Call&) {
      virtualized_calls += m.platform.virtualization == true;
      return 0;
    });

    EXPECT_EQ(m.main.Run(), kExitSomeYearsNotRegistered) << sticks;
    EXPECT_EQ(virtualized_calls, 0) << sticks;
    ASSERT_EQ(m.screen.Messages().size(), 1u) << sticks;
    // Turned off: the writes fail visibly. Stuck: nothing is tried at all.
    EXPECT_EQ(m.registry.calls().empty(), sticks);
    EXPECT_NE(m.screen.Messages()[0].find(sticks ? "registry virtualization" : "2002, 2003, 2004"),
              std::string::npos);
    EXPECT_NE(m.screen.Messages()[0].find("Run this setup again with administrator rights."),
              std::string::npos);
  }
}

// Nobody sees a station known not to be visible, nor session 0 from Vista
// on (services only); on XP session 0 is the console user's.
TEST(ScreenForTest, TheUnseenScreenWhereNobodyCanSeeTheWindows) {
  // The station's visibility, the session, Windows' major version, unseen.
  const std::tuple<std::optional<bool>, std::optional<uint32_t>, uint32_t, bool> rows[] = {
      {true, 1, 6, false}, {std::nullopt, 1, 6, false}, {false, 1, 6, true},
      {true, 0, 6, true},  {true, 0, 5, false},         {true, std::nullopt, 6, false}};
  for (const auto& [station_visible, session, major, nobody_sees] : rows) {
    FakePlatform platform;
    platform.station_visible = station_visible;
    platform.session = session;
    platform.version = FakePlatform::Version(2, major, 1);
    RecordingScreen visible;
    UnseenScreen unseen(platform);
    EXPECT_EQ(&ScreenFor(platform, visible, unseen) == &unseen, nobody_sees)
        << session.value_or(99) << " on " << major;
  }
}

// Where nobody sees the screen, every message becomes one event-log record,
// whose event ID tells the ending, as the exit code does: the numbers that
// deployment scripts and monitoring rely on.
TEST(UnseenScreenTest, EveryMessageIsLoggedAndNothingWaits) {
  const std::string denied =
      "error 1001: Setup could not register the data sources for these years:\n2002\n\n" +
      ToAnsi(DescribeSystemError(kErrorAccessDenied)) +
      "\n\nRun this setup again with administrator rights.";
  struct Case {
    const char* what;
    std::function<void(FakeRegistry&)> arrange;
    int exit_code;
    std::vector<std::string> events;
  };
  const Case cases[] = {
      {"registered",
       [](FakeRegistry&) {},
       0,
       {"information 1000: Setup Complete - DO NOT run this setup again."}},
      {"denied", [](FakeRegistry& r) { r.DenyWritesBelow("SOFTWARE"); }, 1, {denied}},
      // A user who may read the whole tree but not write it, rerunning over
      // a year an interrupted run half-wrote: its entry and its key are
      // looked into for reading, and writing them is refused.
      {"a tree that may only be read, over a half-written year",
       [](FakeRegistry& r) {
         r.PutText("SOFTWARE\\ODBC\\ODBC.INI\\DunmerePemrod2002", "DBQ",
                   "C:\\Halvex\\Levorn\\Pemrod2002.mdb");
         r.PutText(kNativeList, "Payroll", "SQL Server");
         r.DenyWritesBelow("SOFTWARE\\ODBC");
       },
       1,
       {denied}},
  };
  for (const Case& c : cases) {
    FakeRegistry registry;
    c.arrange(registry);
    FakePlatform platform;
    platform.year = 2002;
    UnseenScreen unseen(platform);
    MdlODBC data_sources(registry, platform);
    RecordingToolkit toolkit;
    RecordingAutomation automation;
    frmPemrod main(registry, data_sources, unseen, platform, toolkit, automation);
    EXPECT_EQ(main.Run(), c.exit_code) << c.what;
    EXPECT_EQ(platform.events, c.events) << c.what;
  }
}

}  // namespace
}  // namespace levorn
