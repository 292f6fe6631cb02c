// Runs where nobody can see the screen: the same pass, the same registry
// calls and exit code, and nothing shown.
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/process_token_fake.h"
#include "app/program.h"
#include "app/screen.h"
#include "app/window_fake.h"
#include "app/window_station_fake.h"
#include "odbc/mdl_odbc.h"
#include "registry/registry_fake.h"
#include "odbc/system_info_fake.h"
#include "app/automation_fake.h"
#include "app/setup_toolkit_fake.h"
#include "app/clock_fake.h"

#ifdef _WIN32
#include "app/window_station_win32.h"
#endif

namespace levorn {
namespace {

// One whole run over the stand-ins, with the screen the window station
// allows; what it did to the registry, the screen and the exit code.
struct Outcome {
  std::vector<std::string> registry_calls;
  std::vector<std::string> seen;  // everything shown on the screen
  int exit_code;
};

Outcome RunWith(std::optional<bool> station_visible, bool writes_denied, bool system_directory) {
  FakeRegistry registry;
  registry.PutText("Hardware\\Description\\System\\CentralProcessor\\0", "Identifier", "x86");
  if (writes_denied) registry.DenyWritesBelow("SOFTWARE");
  FakeSystemInfo system;
  if (system_directory) system.system_directory = "C:\\WINDOWS\\system32";
  FakeWindowStation station;
  station.visible = station_visible;
  RecordingWindows screen_windows;
  UnseenScreen unseen;
  const Screen screen = ChooseScreen(station, {screen_windows, screen_windows}, unseen);
  MdlODBC writers(registry, system, screen.messages);
  FixedClock clock(2004);
  RecordingToolkit toolkit;
  RecordingAutomation automation;
  FakeProcessToken token;

  Outcome run;
  run.exit_code = RunLevornSetup({registry, writers, screen.windows, screen.messages, clock, system,
                                  toolkit, automation, token});
  for (const auto& call : registry.calls()) {
    run.registry_calls.push_back(std::to_string(static_cast<int>(call.op)) + " " + call.subject +
                                 " " + std::to_string(call.result));
  }
  run.seen = screen_windows.log();
  return run;
}

TEST(UnseenScreenTest, AnInvisibleStationRunsTheSamePassAndShowsNothing) {
  struct Case {
    const char* what;
    bool writes_denied;
    bool system_directory;
    int exit_code;
  };
  for (const Case& c : {Case{"registered", false, true, kExitSuccess},
                        Case{"denied", true, true, kExitSomeYearsNotRegistered},
                        Case{"no driver directory", false, false, kExitSomeYearsNotRegistered}}) {
    const Outcome on_screen = RunWith(true, c.writes_denied, c.system_directory);
    const Outcome unseen = RunWith(false, c.writes_denied, c.system_directory);
    const Outcome unknown = RunWith(std::nullopt, c.writes_denied, c.system_directory);

    EXPECT_EQ(on_screen.exit_code, c.exit_code) << c.what;
    EXPECT_FALSE(on_screen.seen.empty()) << c.what;
    EXPECT_EQ(unseen.exit_code, c.exit_code) << c.what;
    EXPECT_EQ(unseen.registry_calls, on_screen.registry_calls) << c.what;
    EXPECT_TRUE(unseen.seen.empty()) << c.what;
    // A station that cannot be asked about is taken for a visible one.
    EXPECT_EQ(unknown.exit_code, c.exit_code) << c.what;
    EXPECT_EQ(unknown.seen, on_screen.seen) << c.what;
  }
}

#ifdef _WIN32
TEST(Win32WindowStationTest, TheTestsOwnStationIsVisible) {
  Win32WindowStation station;
  EXPECT_EQ(station.IsVisible(), std::optional<bool>(true));
}
#endif

}  // namespace
}  // namespace levorn
