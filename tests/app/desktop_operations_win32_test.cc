// The shortcut and desktop-folder operations against the real platform
// under Wine: Wine's own WScript.Shell and Scripting.FileSystemObject, the
// real GetWindowsDirectoryA, and the toolkit library absent or stood in for.
#ifdef _WIN32
#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/automation_api.h"
#include "app/desktop_operations.h"
#include "app/setup_toolkit_api.h"
#include "base/platform_api.h"
#include "base/text.h"
#include "tests/support/run_time_error.h"

namespace levorn {
namespace {

class DesktopOperationsWin32Test : public ::testing::Test {
 protected:
  std::unique_ptr<SetupToolkitApi> toolkit_ = CreateWin32SetupToolkit();
  std::unique_ptr<AutomationApi> automation_ = CreateWin32Automation();
  std::unique_ptr<PlatformApi> system_ = CreateWin32Platform();
  DesktopOperations main_{*toolkit_, *automation_, *system_};
};

TEST_F(DesktopOperationsWin32Test, GetWindowsDirIsThePrefixWindowsDirectory) {
  EXPECT_EQ(main_.GetWindowsDir(), L"C:\\windows");
}

TEST_F(DesktopOperationsWin32Test, CreateDesktopFolderThenDeleteDesktopFolderOnTheRealDesktop) {
  char desktop[MAX_PATH] = {};
  ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktop), S_OK);
  const std::string name = "Levorn Test " + std::to_string(GetCurrentProcessId());
  const std::string path = std::string(desktop) + "\\" + name;
  Text folder = FromAnsi(name);

  main_.CreateDesktopFolder(folder);
  const DWORD created = GetFileAttributesA(path.c_str());
  EXPECT_NE(created, INVALID_FILE_ATTRIBUTES) << path;
  EXPECT_TRUE(created & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_NE(main_.FileSystem, nullptr);

  main_.DeleteDesktopFolder(folder);
  EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << path;
  EXPECT_EQ(folder, FromAnsi(name));

  // Deleting it again: the object's own error number reaches the caller
  // (Windows' says 76 "Path not found", Wine's 53 "File not found"; not a
  // bare HRESULT), and the new object stays in FileSystem.
  const AutomationObject* before = main_.FileSystem.get();
  const int error = RunTimeErrorNumberOf([&] { main_.DeleteDesktopFolder(folder); });
  EXPECT_TRUE(error == 76 || error == 53) << error;
  EXPECT_NE(main_.FileSystem.get(), before);
}

TEST_F(DesktopOperationsWin32Test, WithoutTheToolkitLibraryShortcutsRaiseFileNotFound) {
  Text folder = L"Levorn", name = L"Levorn", target = L"C:\\Halvex\\Levorn\\Levorn.exe";
  EXPECT_EQ(RunTimeErrorNumberOf([&] { main_.CreateShortcut(folder, name, target); }), 53);
  EXPECT_EQ(RunTimeErrorNumberOf([&] { main_.RemoveShortcut(folder, name); }), 53);
}

TEST(SetupToolkitWin32Test, ALibraryWithoutTheEntryPointRaises453) {
  const auto toolkit = CreateWin32SetupToolkit("kernel32.dll");
  std::string folder = "f", name = "n";
  try {
    toolkit->fRemoveShellLink(folder, name);
    FAIL() << "no error";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), 453);
  }
}

// With the library search confined to the system directory, as the program
// confines it at start, the toolkit installed beside the program is still
// found, and receives its arguments in order as ANSI texts.
TEST(SetupToolkitWin32Test, BesideTheProgramItIsFoundAndReceivesTheArgumentsAsAnsiTexts) {
  RestrictLibrarySearch();
  char program[MAX_PATH] = {};
  ASSERT_NE(GetModuleFileNameA(nullptr, program, MAX_PATH), 0u);
  std::string beside(program);
  beside = beside.substr(0, beside.find_last_of('\\') + 1) + "Vb6stkit.dll";
  ASSERT_TRUE(CopyFileA(LEVORN_TOOLKIT_STANDIN_DIR "\\Vb6stkit.dll", beside.c_str(), FALSE));
  {
    const auto toolkit = CreateWin32SetupToolkit();
    const auto automation = CreateWin32Automation();
    const auto system = CreateWin32Platform();
    DesktopOperations main(*toolkit, *automation, *system);
    Text folder = L"Levorn caf\u00e9 \u4e2d", name = L"Levorn 2026",
         target = L"C:\\Halvex\\Levorn\\Levorn.exe";
    EXPECT_EQ(main.CreateShortcut(folder, name, target), Variant());

    using LastCall = void(WINAPI*)(LPSTR, LONG);
    auto last_call = reinterpret_cast<LastCall>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("Vb6stkit.dll"), "StandInLastCall")));
    ASSERT_NE(last_call, nullptr);
    char received[512] = {};
    last_call(received, sizeof received);
    EXPECT_STREQ(received,
                 "fCreateShellLink|Levorn caf\xe9 ?|Levorn 2026|C:\\Halvex\\Levorn\\Levorn.exe||0|"
                 "$(Programs)");
    // The library upper-cased the folder name in its buffer; that comes back.
    EXPECT_EQ(folder, L"LEVORN CAF\u00e9 ?");
    EXPECT_EQ(name, L"Levorn 2026");

    EXPECT_EQ(main.RemoveShortcut(folder, name), Variant());
    last_call(received, sizeof received);
    EXPECT_STREQ(received, "fRemoveShellLink|LEVORN CAF\xe9 ?|Levorn 2026");
  }
  DeleteFileA(beside.c_str());
}

}  // namespace
}  // namespace levorn
#endif  // _WIN32
