#include <limits>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/frm_pemrod.h"
#include "app/process_token_fake.h"
#include "app/program.h"
#include "app/window_fake.h"
#include "base/ansi.h"
#include "base/runtime_error.h"
#include "base/system_error.h"
#include "odbc/mdl_odbc.h"
#include "registry/registry_fake.h"
#include "odbc/system_info_fake.h"
#include "app/automation_fake.h"
#include "app/setup_toolkit_fake.h"
#include "app/clock_fake.h"

namespace levorn {
namespace {

constexpr char kCpuKey[] = "Hardware\\Description\\System\\CentralProcessor\\0";
constexpr char kComplete[] = "Levorn Installation: Setup Complete - DO NOT run this setup again.";

// Records each writer call as "native|wow64 name|path|description" and
// answers as the test arranged.
class RecordingWriter : public DataSourceWriter {
 public:
  DsnResult CreateAccessDSN(Text& name, Text& path, Text& description) override {
    return Record("native", name, path, description);
  }
  DsnResult CreateAccessDSNWow64(Text& name, Text& path, Text& description) override {
    return Record("wow64", name, path, description);
  }

  std::vector<std::string> calls;
  Text throw_for;                    // a data-source name whose call raises a run-time error
  bool throw_out_of_memory = false;  // ... and that error is running out of memory
  Text fail_for;                     // a data-source name whose call reports access denied
  std::vector<std::string>* shared_log = nullptr;  // to interleave with the windows

 private:
  DsnResult Record(const char* view, const Text& name, const Text& path, const Text& desc) {
    calls.push_back(std::string(view) + " " + ToAnsi(name) + "|" + ToAnsi(path) + "|" +
                    ToAnsi(desc));
    if (name == throw_for && throw_out_of_memory) throw std::bad_alloc();
    if (name == throw_for) throw RuntimeError(ErrorNumber::kOverflow);
    if (name == fail_for) return {DsnOutcome::kNotRegistered, 5};
    return {DsnOutcome::kRegistered};
  }
};

class SetupPassTest : public ::testing::Test {
 protected:
  void SetIdentifier(const std::string& identifier) {
    registry_.PutText(kCpuKey, "Identifier", identifier);
  }
  int Run() { return RunLevornSetup(services_); }
  std::vector<std::string> Years() const {  // the years the writer was called for
    std::vector<std::string> years;
    for (const auto& call : writer_.calls) years.push_back(call.substr(call.find("Pemrod") + 6, 4));
    return years;
  }

  FakeRegistry registry_;
  RecordingWriter writer_;
  RecordingWindows windows_;
  FixedClock clock_{2026};
  FakeSystemInfo system_;
  RecordingToolkit toolkit_;
  RecordingAutomation automation_;
  FakeProcessToken token_;
  Services services_{registry_, writer_,  windows_,    windows_, clock_,
                     system_,   toolkit_, automation_, token_};
};

// The seams no setup pass touches.
struct Untouched {
  FakeSystemInfo system;
  RecordingToolkit toolkit;
  RecordingAutomation automation;
  FakeProcessToken token;
};

TEST_F(SetupPassTest, RegistersEveryYearFrom2002ThroughTheCurrentOneInAscendingOrder) {
  SetIdentifier("x86 Family 6 Model 158 Stepping 10, GenuineIntel");
  clock_.year = 2005;
  EXPECT_EQ(Run(), kExitSuccess);
  EXPECT_EQ(writer_.calls,
            (std::vector<std::string>{
                "native DunmerePemrod2002|C:\\Halvex\\Levorn\\Pemrod2002.mdb|Levorn 2002",
                "native DunmerePemrod2003|C:\\Halvex\\Levorn\\Pemrod2003.mdb|Levorn 2003",
                "native DunmerePemrod2004|C:\\Halvex\\Levorn\\Pemrod2004.mdb|Levorn 2004",
                "native DunmerePemrod2005|C:\\Halvex\\Levorn\\Pemrod2005.mdb|Levorn 2005"}));
  EXPECT_EQ(windows_.Messages(), std::vector<std::string>{kComplete});
}

TEST_F(SetupPassTest, YearRangeEnds) {
  clock_.year = 2002;
  Run();
  EXPECT_EQ(Years(), std::vector<std::string>{"2002"});

  writer_.calls.clear();
  clock_.year = 1999;  // clock set back: nothing registered, and the user is told why
  RecordingWindows windows;
  EXPECT_EQ(RunLevornSetup({registry_, writer_, windows, windows, clock_, system_, toolkit_,
                            automation_, token_}),
            kExitSomeYearsNotRegistered);
  EXPECT_TRUE(writer_.calls.empty());
  EXPECT_EQ(windows.Messages(),
            std::vector<std::string>{
                "Levorn Installation: This computer's date says the year 1999, which is before "
                "2002, so no data source was registered.\n\nSet the computer's date, then run "
                "this setup again."});
  EXPECT_FALSE(windows.IsCreated(WindowId::kProgress));
}

TEST_F(SetupPassTest, YearsAtTheEndOfSixteenBitsStopWithoutLoopingForever) {
  frmPemrod main_window(services_);
  windows_.Create(WindowId::kMain);

  clock_.year = 32767;  // the increment after 32767 overflows and ends the loop
  main_window.RegisterYearDataSources();
  EXPECT_EQ(writer_.calls.size(), 32767u - 2002 + 1);
  EXPECT_EQ(writer_.calls.back().substr(0, 26), "native DunmerePemrod32767|");
  EXPECT_EQ(main_window.PassYear, 32767);
  EXPECT_FALSE(windows_.IsCreated(WindowId::kProgress));

  writer_.calls.clear();
  clock_.year = 40000;  // beyond 16 bits: no range at all
  main_window.RegisterYearDataSources();
  EXPECT_TRUE(writer_.calls.empty());
  EXPECT_FALSE(windows_.IsCreated(WindowId::kProgress));
}

TEST_F(SetupPassTest, X86AnywhereInAnyCaseSelectsTheNativeView) {
  struct Case {
    const char* identifier;
    const char* view;
  };
  for (const Case& c : {Case{"x86 Family 6 Model 15", "native"}, Case{"Some X86 CPU", "native"},
                        Case{"generic-x86", "native"}, Case{"Intel64 Family 6 Model 158", "wow64"},
                        Case{"AMD64 Family 23", "wow64"}, Case{"x 86", "wow64"}}) {
    FakeRegistry registry;
    registry.PutText(kCpuKey, "Identifier", c.identifier);
    RecordingWriter writer;
    RecordingWindows windows;
    FixedClock clock(2003);
    Untouched u;
    RunLevornSetup(
        {registry, writer, windows, windows, clock, u.system, u.toolkit, u.automation, u.token});
    ASSERT_EQ(writer.calls.size(), 2u) << c.identifier;
    EXPECT_EQ(writer.calls[0].substr(0, writer.calls[0].find(' ')), c.view) << c.identifier;
    EXPECT_EQ(writer.calls[1].substr(0, writer.calls[1].find(' ')), c.view) << c.identifier;
  }
}

TEST_F(SetupPassTest, AnIdentifierThatSaysNothingLeavesTheViewToThePlatform) {
  std::vector<uint8_t> nul_too_far(32767, 'x');  // its reading overflows
  nul_too_far.push_back(0);
  struct Case {
    const char* what;
    std::optional<FakeRegistry::StoredValue> identifier;  // nothing: no value at all
  };
  const Case cases[] = {
      {"missing", std::nullopt},
      {"empty", FakeRegistry::StoredValue{kRegSz, TextBytes("")}},
      {"a number", FakeRegistry::StoredValue{kRegDword, DwordBytes(86)}},
      {"expandable text", FakeRegistry::StoredValue{2, TextBytes("x86 Family 6")}},
      {"too long", FakeRegistry::StoredValue{kRegSz, nul_too_far}},
  };
  for (const Case& c : cases) {
    for (const bool wow64 : {false, true}) {
      FakeRegistry registry;
      if (c.identifier)
        registry.PutValue(kCpuKey, "Identifier", c.identifier->type, c.identifier->data);
      RecordingWriter writer;
      RecordingWindows windows;
      FixedClock clock(2003);
      Untouched u;
      u.system.wow64 = wow64;
      EXPECT_EQ(RunLevornSetup({registry, writer, windows, windows, clock, u.system, u.toolkit,
                                u.automation, u.token}),
                kExitSuccess);
      ASSERT_EQ(writer.calls.size(), 2u) << c.what;
      for (const auto& call : writer.calls) {
        EXPECT_EQ(call.substr(0, call.find(' ')), wow64 ? "wow64" : "native") << c.what;
      }
    }
  }
}

TEST_F(SetupPassTest, ARunTimeErrorInOneYearSkipsOnlyThatYearAndIsReported) {
  SetIdentifier("x86");
  clock_.year = 2004;
  writer_.throw_for = L"DunmerePemrod2003";
  for (const bool out_of_memory : {false, true}) {
    writer_.calls.clear();
    writer_.throw_out_of_memory = out_of_memory;
    RecordingWindows windows;
    EXPECT_EQ(RunLevornSetup({registry_, writer_, windows, windows, clock_, system_, toolkit_,
                              automation_, token_}),
              kExitSomeYearsNotRegistered);
    EXPECT_EQ(Years(), (std::vector<std::string>{"2002", "2003", "2004"}));
    EXPECT_EQ(windows.Messages(),
              std::vector<std::string>{
                  "Levorn Installation: Setup could not register the data sources for these "
                  "years:\n2003\n\nRun-time error '" +
                  std::string(out_of_memory ? "7': Out of memory" : "6': Overflow") +
                  "\n\nCorrect the cause and run this setup again."});
  }
}

TEST_F(SetupPassTest, RunningOutOfMemoryReadingTheIdentifierSkipsOnlyTheRead) {
  SetIdentifier("x86");
  registry_.FailWhen([](const FakeRegistry::Call& call) -> int32_t {
    if (call.op == FakeRegistry::Op::kQueryValueEx) throw std::bad_alloc();
    return 0;
  });
  clock_.year = 2003;
  system_.wow64 = true;
  EXPECT_EQ(Run(), kExitSuccess);
  EXPECT_EQ(writer_.calls.size(), 2u);
  EXPECT_EQ(writer_.calls[0].substr(0, 6), "wow64 ");
}

TEST_F(SetupPassTest, YearsNotRegisteredAreListedWithTheFirstReasonInTheSystemsWords) {
  SetIdentifier("x86");
  clock_.year = 2005;
  writer_.fail_for = L"DunmerePemrod2003";
  writer_.throw_for = L"DunmerePemrod2005";
  EXPECT_EQ(Run(), kExitSomeYearsNotRegistered);
  EXPECT_EQ(writer_.calls.size(), 4u);
  EXPECT_EQ(windows_.Messages(),
            std::vector<std::string>{
                "Levorn Installation: Setup could not register the data sources for these "
                "years:\n2003, 2005\n\n" +
                ToAnsi(DescribeSystemError(kErrorAccessDenied)) +
                "\n\nRun this setup again with administrator rights."});
}

TEST_F(SetupPassTest, WindowsAppearAndGoInTheOrderTheUserSees) {
  SetIdentifier("x86");
  clock_.year = 2003;
  writer_.calls.clear();
  Run();
  const std::vector<std::string> expected = {"create main",
                                             "show main",
                                             "create progress",
                                             "height progress 2475",
                                             "width progress 4740",
                                             "left progress 832.5",
                                             "top progress 847.5",
                                             "show progress",
                                             "refresh progress",
                                             "destroy progress",
                                             std::string("message ") + kComplete,
                                             "destroy main"};
  EXPECT_EQ(windows_.log(), expected);
  EXPECT_EQ(writer_.calls.size(), 2u);
  // The shortcut and desktop-folder operations are not part of a run.
  EXPECT_TRUE(toolkit_.calls.empty());
  EXPECT_TRUE(automation_.log.empty());
}

TEST_F(SetupPassTest, ProgressWindowIsOnScreenForExactlyTheYearLoop) {
  clock_.year = 2004;
  class CheckingWriter : public RecordingWriter {
   public:
    explicit CheckingWriter(RecordingWindows& windows) : windows_(windows) {}
    DsnResult CreateAccessDSNWow64(Text& n, Text& p, Text& d) override {
      EXPECT_TRUE(windows_.IsVisible(WindowId::kProgress));
      EXPECT_TRUE(windows_.IsVisible(WindowId::kMain));
      EXPECT_TRUE(windows_.Messages().empty());
      return RecordingWriter::CreateAccessDSNWow64(n, p, d);
    }
    RecordingWindows& windows_;
  } writer(windows_);
  EXPECT_EQ(RunLevornSetup({registry_, writer, windows_, windows_, clock_, system_, toolkit_,
                            automation_, token_}),
            kExitSuccess);
  EXPECT_EQ(writer.calls.size(), 3u);
}

TEST_F(SetupPassTest, ProgressPlacementIsHalfTheSizeDifferenceUnroundedEvenWhenNegative) {
  windows_.design[WindowId::kMain] = {500, 700, 3001, 1000};  // smaller than the progress window
  Run();
  EXPECT_EQ(windows_.log()[5], "left progress -869.5");
  EXPECT_EQ(windows_.log()[6], "top progress -737.5");
}

TEST_F(SetupPassTest, AnErrorLoadingTheProgressWindowEndsTheProgramWithTheStandardReport) {
  windows_.design[WindowId::kMain].width = std::numeric_limits<float>::infinity();
  EXPECT_EQ(Run(), kExitRunTimeError);
  EXPECT_EQ(windows_.Messages(),
            std::vector<std::string>{"Levorn: Run-time error '6':\n\nOverflow"});
  EXPECT_TRUE(writer_.calls.empty());
}

// The pass with the real writers over the registry stand-in, for 2002-2004
// on a 32-bit machine.
class SetupPassRegistryTest : public ::testing::Test {
 protected:
  SetupPassRegistryTest() { registry_.PutText(kCpuKey, "Identifier", "x86 Family 6"); }
  int Run() {
    return RunLevornSetup(
        {registry_, writers_, windows_, windows_, clock_, system_, toolkit_, automation_, token_});
  }

  FakeRegistry registry_;
  FakeSystemInfo system_;
  RecordingWindows windows_;
  MdlODBC writers_{registry_, system_, windows_};
  FixedClock clock_{2004};
  RecordingToolkit toolkit_;
  RecordingAutomation automation_;
  FakeProcessToken token_;
};

TEST_F(SetupPassRegistryTest, AYearNotPresentCosts22CallsAndAPresentYearOnlyItsOpenAndClose) {
  registry_.PutKey("SOFTWARE\\ODBC\\ODBC.INI\\DunmerePemrod2003");
  system_.system_directory = "C:\\WINDOWS\\system32";

  EXPECT_EQ(Run(), kExitSuccess);
  EXPECT_EQ(registry_.calls().size(), 4u + 22 + 2 + 22);  // reader, 2002, 2003, 2004
  EXPECT_TRUE(registry_.ValueNames("SOFTWARE\\ODBC\\ODBC.INI\\DunmerePemrod2003").empty());
  EXPECT_EQ(registry_.ValueNames("SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources").size(), 2u);
  EXPECT_EQ(registry_.open_handle_count(), 0u);
}

TEST_F(SetupPassRegistryTest, NoDriverDirectoryIsToldOncePerYearBeforeTheLoopGoesOn) {
  system_.system_directory.reset();

  EXPECT_EQ(Run(), kExitSomeYearsNotRegistered);
  const std::vector<std::string> messages = windows_.Messages();
  ASSERT_EQ(messages.size(), 4u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(messages[i], "Levorn: Failed to get OS Version");
  EXPECT_EQ(messages[3],
            "Levorn Installation: Setup could not register the data sources for these years:\n"
            "2002, 2003, 2004\n\nFailed to get OS Version\n\nCorrect the cause and run this "
            "setup again.");
}

// The registry as Windows Vista and later show it to a 32-bit program
// without a manifest: while the token has virtualization on, its calls land
// in the user's VirtualStore (a registry of its own here), where writes
// "succeed" that HKEY_LOCAL_MACHINE would refuse.
class VirtualizingRegistry : public RegistryApi {
 public:
  explicit VirtualizingRegistry(FakeProcessToken& token) : token_(token) {}

  int32_t OpenKeyEx(RegHandle r, const std::string& p, uint32_t o, uint32_t a,
                    RegHandle* k) override {
    return Seen().OpenKeyEx(r, p, o, a, k);
  }
  int32_t CreateKey(RegHandle r, const std::string& p, RegHandle* k) override {
    return Seen().CreateKey(r, p, k);
  }
  int32_t SetValueEx(RegHandle k, const std::string& n, uint32_t r, uint32_t t, const uint8_t* d,
                     uint32_t s) override {
    return Seen().SetValueEx(k, n, r, t, d, s);
  }
  int32_t CloseKey(RegHandle k) override { return Seen().CloseKey(k); }
  int32_t OpenKey(RegHandle r, const std::string& p, RegHandle* k) override {
    return Seen().OpenKey(r, p, k);
  }
  int32_t QueryValueEx(RegHandle k, const std::string& n, uint32_t* r, uint32_t* t, uint8_t* d,
                       uint32_t* s) override {
    return Seen().QueryValueEx(k, n, r, t, d, s);
  }
  int32_t DeleteKey(RegHandle r, const std::string& p) override { return Seen().DeleteKey(r, p); }

  FakeRegistry machine;
  FakeRegistry virtual_store;

 private:
  FakeRegistry& Seen() { return token_.virtualization == true ? virtual_store : machine; }
  FakeProcessToken& token_;
};

TEST(RegistryVirtualizationTest, IsTurnedOffAtStartSoThatAStandardUsersWritesFailVisibly) {
  FakeProcessToken token;
  token.virtualization = true;
  VirtualizingRegistry registry(token);
  registry.machine.PutText(kCpuKey, "Identifier", "x86 Family 6");
  registry.machine.DenyWritesBelow("SOFTWARE");
  FakeSystemInfo system;
  system.system_directory = "C:\\WINDOWS\\system32";
  RecordingWindows windows;
  MdlODBC writers(registry, system, windows);
  FixedClock clock(2003);
  Untouched u;

  EXPECT_EQ(RunLevornSetup({registry, writers, windows, windows, clock, system, u.toolkit,
                            u.automation, token}),
            kExitSomeYearsNotRegistered);
  EXPECT_EQ(token.virtualization, false);
  EXPECT_TRUE(registry.virtual_store.calls().empty());
  ASSERT_EQ(windows.Messages().size(), 1u);
  EXPECT_NE(windows.Messages()[0].find("2002, 2003"), std::string::npos);
  EXPECT_NE(windows.Messages()[0].find("Run this setup again with administrator rights."),
            std::string::npos);
}

}  // namespace
}  // namespace levorn
