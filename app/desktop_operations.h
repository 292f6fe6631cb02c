#ifndef LEVORN_APP_DESKTOP_OPERATIONS_H_
#define LEVORN_APP_DESKTOP_OPERATIONS_H_

#include <cstdint>
#include <memory>

#include "app/automation_api.h"
#include "app/setup_toolkit_api.h"
#include "base/platform_api.h"
#include "base/text.h"
#include "base/variant.h"

namespace levorn {

// The shortcut and desktop-folder operations the main window carries.
// Nothing in a run calls them; a caller gets every error they meet as a
// run-time error.
class DesktopOperations {
 public:
  DesktopOperations(SetupToolkitApi& toolkit, AutomationApi& automation, PlatformApi& platform)
      : toolkit_(toolkit), automation_(automation), platform_(platform) {}

  // A program-group shortcut through the setup toolkit library; the texts
  // come back as the library left them, through the ANSI code page. The
  // result is always empty.
  Variant CreateShortcut(Text& folder_name, Text& shortcut_name, Text& target_path);
  Variant RemoveShortcut(Text& folder_name, Text& shortcut_name);
  // A folder on the user's desktop, through WScript.Shell and
  // Scripting.FileSystemObject; the latter stays in FileSystem.
  void DeleteDesktopFolder(Text& folder_name);
  void CreateDesktopFolder(Text& folder_name);
  // The Windows directory, or the empty text.
  Text GetWindowsDir();

  int16_t ShortcutFlag = 0;
  std::unique_ptr<AutomationObject> FileSystem;

 private:
  void ChangeDesktopFolder(const Text& folder_name, const wchar_t* member);

  SetupToolkitApi& toolkit_;
  AutomationApi& automation_;
  PlatformApi& platform_;
};

}  // namespace levorn

#endif  // LEVORN_APP_DESKTOP_OPERATIONS_H_
