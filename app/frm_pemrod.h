#ifndef LEVORN_APP_FRM_PEMROD_H_
#define LEVORN_APP_FRM_PEMROD_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "app/automation_api.h"
#include "app/clock_api.h"
#include "app/exit_code.h"
#include "app/frm_message.h"
#include "app/process_token_api.h"
#include "app/setup_toolkit_api.h"
#include "app/window_api.h"
#include "base/message_box_api.h"
#include "base/text.h"
#include "odbc/mdl_odbc.h"
#include "odbc/system_info_api.h"
#include "registry/bas_registry.h"
#include "registry/registry_api.h"

namespace levorn {

// Everything the main window reaches outside itself.
struct Services {
  RegistryApi& registry;
  DataSourceWriter& data_sources;
  WindowApi& windows;
  MessageBoxApi& messages;
  ClockApi& clock;
  SystemInfoApi& system;
  SetupToolkitApi& toolkit;
  AutomationApi& automation;
  ProcessTokenApi& token;
};

inline constexpr int16_t kFirstYear = 2002;
inline constexpr wchar_t kCompletionTitle[] = L"Levorn Installation";
inline constexpr wchar_t kSetupComplete[] = L"Setup Complete - DO NOT run this setup again.";
inline constexpr wchar_t kRightsAdvice[] = L"Run this setup again with administrator rights.";
inline constexpr wchar_t kOtherAdvice[] = L"Correct the cause and run this setup again.";

// The main window "Levorn Setup", the program's start-up window. Loading it
// runs the whole setup: show it, register every year's data source, tell
// the user, unload.
class frmPemrod {
 public:
  explicit frmPemrod(const Services& services);

  // Creates the window and runs its load handler, as the program does at
  // start. A run-time error outside the setup pass's own handling passes on.
  void Load();

  // The setup pass: one data source per year from 2002 through the current
  // year, in the registry view the processor identifier selects (or, when it
  // says nothing, the view this process's 32-bit programs use).
  void RegisterYearDataSources();

  // How the run ended, for the process exit code.
  ExitCode exit_code() const;

  // Shortcut and desktop-folder operations. Nothing in a run calls them; a
  // caller gets every error they meet as a run-time error.
  //
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

  Text ProcessorId;
  int16_t PassYear = 0;
  int16_t ShortcutFlag = 0;
  std::unique_ptr<AutomationObject> FileSystem;

 private:
  void ChangeDesktopFolder(const Text& folder_name, const wchar_t* member);
  void Form_Load();
  void ReadProcessorId();
  void RegisterPassYear();
  bool UsesNativeView() const;
  void NoteFailure(const Text& reason, int32_t code = 0);
  Text CompletionMessage() const;

  Services services_;
  basRegistry registry_reader_;
  frmMessage progress_;
  bool processor_id_is_text_ = false;
  std::optional<int16_t> year_before_first_;  // the clock's year, when before 2002
  std::vector<int16_t> failed_years_;
  Text first_failure_;
  int32_t first_failure_code_ = 0;  // its Win32 code; 0 for other reasons
};

}  // namespace levorn

#endif  // LEVORN_APP_FRM_PEMROD_H_
