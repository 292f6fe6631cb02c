// The main window's shortcut and desktop-folder operations, with the
// toolkit library, COM and the system replaced by doubles.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/desktop_operations.h"
#include "base/runtime_error.h"
#include "tests/support/automation_fake.h"
#include "tests/support/platform_fake.h"
#include "tests/support/run_time_error.h"
#include "tests/support/setup_toolkit_fake.h"

namespace levorn {
namespace {

class DesktopOperationsTest : public ::testing::Test {
 protected:
  RecordingToolkit toolkit_;
  RecordingAutomation automation_;
  FakePlatform system_;
  DesktopOperations main_{toolkit_, automation_, system_};
};

TEST_F(DesktopOperationsTest, CreateShortcutPassesItsTextsThenTheFixedOnesInOrder) {
  Text folder = L"Levorn", name = L"Levorn 2026", target = L"C:\\Halvex\\Levorn\\Levorn.exe";
  for (int32_t library_result : {0, 1}) {
    toolkit_.result = library_result;
    EXPECT_EQ(main_.CreateShortcut(folder, name, target), Variant());
  }
  EXPECT_EQ(toolkit_.calls[0],
            "fCreateShellLink|Levorn|Levorn 2026|C:\\Halvex\\Levorn\\Levorn.exe||0|$(Programs)");
  EXPECT_EQ(toolkit_.calls.size(), 2u);
}

TEST_F(DesktopOperationsTest, ShortcutFlagGoesSignExtendedToThirtyTwoBits) {
  main_.ShortcutFlag = -2;
  Text folder = L"f", name = L"n", target = L"t";
  main_.CreateShortcut(folder, name, target);
  EXPECT_EQ(toolkit_.calls[0], "fCreateShellLink|f|n|t||-2|$(Programs)");
}

TEST_F(DesktopOperationsTest, CallerTextsComeBackAsTheLibraryLeftThemThroughTheCodePage) {
  Text folder = L"Levorn \u4e2d", name = L"caf\u00e9 \u0416", target = L"t";
  main_.CreateShortcut(folder, name, target);
  EXPECT_EQ(folder, L"Levorn ?");
  EXPECT_EQ(name, L"caf\u00e9 ?");
  EXPECT_EQ(toolkit_.calls[0], "fCreateShellLink|Levorn ?|caf\xe9 ?|t||0|$(Programs)");

  toolkit_.rewrite_folder_name_to = "LEVORN";
  name = L"caf\u00e9 \u0416";
  EXPECT_EQ(main_.RemoveShortcut(folder, name), Variant());
  EXPECT_EQ(toolkit_.calls[1], "fRemoveShellLink|Levorn ?|caf\xe9 ?");
  EXPECT_EQ(folder, L"LEVORN");
  EXPECT_EQ(name, L"caf\u00e9 ?");
}

TEST_F(DesktopOperationsTest, AMissingLibraryOrEntryPointIsARunTimeErrorForTheCaller) {
  Text folder = L"f", name = L"n", target = L"t";
  toolkit_.library_missing = true;
  EXPECT_EQ(RunTimeErrorNumberOf([&] { main_.CreateShortcut(folder, name, target); }), 53);
  EXPECT_EQ(RunTimeErrorNumberOf([&] { main_.RemoveShortcut(folder, name); }), 53);
  toolkit_.library_missing = false;
  toolkit_.entry_points_missing = true;
  EXPECT_EQ(RunTimeErrorNumberOf([&] { main_.RemoveShortcut(folder, name); }), 453);
  EXPECT_EQ(folder, L"f");
}

TEST_F(DesktopOperationsTest, DesktopFolderOperationsGoThroughTheShellThenTheFileSystemObject) {
  automation_.results[L"SpecialFolders"] = L"C:\\Users\\Clerk\\Desktop";
  Text folder = L"Levorn Data";
  main_.CreateDesktopFolder(folder);
  EXPECT_EQ(automation_.log,
            (std::vector<std::string>{"create WScript.Shell #1", "#1.SpecialFolders(Desktop)",
                                      "create Scripting.FileSystemObject #2",
                                      "#2.CreateFolder(C:\\Users\\Clerk\\Desktop\\Levorn Data)",
                                      "release #1"}));
  EXPECT_EQ(folder, L"Levorn Data");
  EXPECT_EQ(automation_.live_objects, 1);  // FileSystem
  ASSERT_NE(main_.FileSystem, nullptr);
}

TEST_F(DesktopOperationsTest, EachCallReplacesFileSystemAndReleasesTheOneBefore) {
  Text folder = L"x";
  main_.CreateDesktopFolder(folder);
  main_.DeleteDesktopFolder(folder);
  const std::vector<std::string> second(automation_.log.begin() + 5, automation_.log.end());
  EXPECT_EQ(second,
            (std::vector<std::string>{"create WScript.Shell #3", "#3.SpecialFolders(Desktop)",
                                      "create Scripting.FileSystemObject #4", "release #2",
                                      "#4.DeleteFolder(\\x)", "release #3"}));
  EXPECT_EQ(automation_.live_objects, 1);
}

TEST_F(DesktopOperationsTest, ErrorsBeforeTheFileSystemObjectLeaveFileSystemAsItWas) {
  Text folder = L"x";
  main_.CreateDesktopFolder(folder);
  const AutomationObject* before = main_.FileSystem.get();

  automation_.unavailable = {L"WScript.Shell"};
  EXPECT_EQ(RunTimeErrorNumberOf([&] { main_.DeleteDesktopFolder(folder); }), 429);
  EXPECT_EQ(main_.FileSystem.get(), before);

  automation_.unavailable = {L"Scripting.FileSystemObject"};
  EXPECT_EQ(RunTimeErrorNumberOf([&] { main_.DeleteDesktopFolder(folder); }), 429);
  EXPECT_EQ(main_.FileSystem.get(), before);

  automation_.unavailable.clear();
  automation_.failures.emplace(L"SpecialFolders", RuntimeError(5, L"Invalid procedure call"));
  EXPECT_EQ(RunTimeErrorNumberOf([&] { main_.DeleteDesktopFolder(folder); }), 5);
  EXPECT_EQ(main_.FileSystem.get(), before);
  EXPECT_EQ(automation_.live_objects, 1);  // every shell released on the error paths
}

TEST_F(DesktopOperationsTest, AnErrorOfTheFolderCallLeavesTheNewObjectInFileSystem) {
  Text folder = L"x";
  main_.CreateDesktopFolder(folder);
  const AutomationObject* before = main_.FileSystem.get();
  automation_.failures.emplace(L"DeleteFolder", RuntimeError(76, L"Path not found"));
  EXPECT_EQ(RunTimeErrorNumberOf([&] { main_.DeleteDesktopFolder(folder); }), 76);
  EXPECT_NE(main_.FileSystem.get(), before);
  EXPECT_NE(main_.FileSystem.get(), nullptr);
  EXPECT_EQ(automation_.live_objects, 1);
}

TEST(DesktopOperationsLifetimeTest, FileSystemIsReleasedWithTheWindow) {
  RecordingToolkit toolkit;
  RecordingAutomation automation;
  FakePlatform system;
  {
    DesktopOperations main_window(toolkit, automation, system);
    Text folder = L"x";
    main_window.CreateDesktopFolder(folder);
    EXPECT_EQ(automation.live_objects, 1);
  }
  EXPECT_EQ(automation.live_objects, 0);
}

TEST_F(DesktopOperationsTest, GetWindowsDirReturnsExactlyTheReportedCharacters) {
  system_.windows_directory = "C:\\Windows";
  EXPECT_EQ(main_.GetWindowsDir(), L"C:\\Windows");

  system_.windows_directory.reset();  // the call fails
  EXPECT_EQ(main_.GetWindowsDir(), L"");

  // A directory too long for the 256-character buffer: the call reports the
  // size it needs and writes nothing usable.
  system_.windows_directory = std::string(300, 'W');
  EXPECT_EQ(main_.GetWindowsDir(), L"");
  system_.windows_directory_result_only = 40000;
  EXPECT_EQ(main_.GetWindowsDir(), L"");
}

}  // namespace
}  // namespace levorn
