#include "app/desktop_operations.h"

#include <string>
#include <string_view>

#include "base/text.h"

namespace levorn {

Variant DesktopOperations::CreateShortcut(Text& folder_name, Text& shortcut_name,
                                          Text& target_path) {
  std::string folder = ToAnsi(folder_name), shortcut = ToAnsi(shortcut_name),
              target = ToAnsi(target_path), arguments = ToAnsi(L""),
              parent = ToAnsi(L"$(Programs)");
  toolkit_.fCreateShellLink(folder, shortcut, target, arguments, int32_t{ShortcutFlag}, parent);
  folder_name = FromAnsi(folder);
  shortcut_name = FromAnsi(shortcut);
  target_path = FromAnsi(target);
  return Variant();
}

Variant DesktopOperations::RemoveShortcut(Text& folder_name, Text& shortcut_name) {
  std::string folder = ToAnsi(folder_name), shortcut = ToAnsi(shortcut_name);
  toolkit_.fRemoveShellLink(folder, shortcut);
  folder_name = FromAnsi(folder);
  shortcut_name = FromAnsi(shortcut);
  return Variant();
}

void DesktopOperations::DeleteDesktopFolder(Text& folder_name) {
  ChangeDesktopFolder(folder_name, L"DeleteFolder");
}

void DesktopOperations::CreateDesktopFolder(Text& folder_name) {
  ChangeDesktopFolder(folder_name, L"CreateFolder");
}

void DesktopOperations::ChangeDesktopFolder(const Text& folder_name, const wchar_t* member) {
  const std::unique_ptr<AutomationObject> shell = automation_.CreateObject(L"WScript.Shell");
  const Text full_path = shell->CallForText(L"SpecialFolders", {L"Desktop"}) + L"\\" + folder_name;
  // The new object replaces (and so releases) the one held before; an error
  // before this point leaves FileSystem as it was.
  FileSystem = automation_.CreateObject(L"Scripting.FileSystemObject");
  FileSystem->Call(member, {full_path});
}

Text DesktopOperations::GetWindowsDir() {
  constexpr uint32_t kBufferSize = 256;
  std::string buffer(kBufferSize, '\0');
  const uint32_t count = platform_.GetWindowsDirectoryA(buffer.data(), kBufferSize);
  // A count beyond the buffer is the size it would have needed: the
  // directory did not fit, and nothing in the buffer is usable.
  if (count == 0 || count > kBufferSize) return Text();
  return FromAnsi(std::string_view(buffer.data(), count));
}

}  // namespace levorn
