#include "app/frm_pemrod.h"

#include <cwchar>
#include <cwctype>

#include "base/ansi.h"
#include "base/runtime_error.h"
#include "base/system_error.h"

namespace levorn {
namespace {

// The year with at least four digits, zero-padded.
Text FourDigits(int16_t year) {
  wchar_t digits[16];
  std::swprintf(digits, 16, L"%04d", static_cast<int>(year));
  return digits;
}

// "x86" anywhere in the identifier, in any letter case: a 32-bit machine,
// whose 32-bit programs use the native registry view.
bool NamesX86(const Text& processor_id) {
  Text lower = processor_id;
  for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(c));
  return lower.find(L"x86") != Text::npos;
}

}  // namespace

frmPemrod::frmPemrod(const Services& services)
    : services_(services), registry_reader_(services.registry), progress_(services.windows) {}

void frmPemrod::Load() {
  services_.windows.Create(WindowId::kMain);
  Form_Load();
}

void frmPemrod::Form_Load() {
  services_.windows.Show(WindowId::kMain);
  RegisterYearDataSources();
  services_.messages.Show(CompletionMessage(), kCompletionTitle, kMessageBoxOk);
  services_.windows.Destroy(WindowId::kMain);
}

void frmPemrod::RegisterYearDataSources() {
  progress_.Show();
  progress_.Refresh();

  // From here on a run-time error skips only the step that raised it; each
  // step below is guarded on its own and goes on where the pass must.
  try {
    ProcessorId =
        registry_reader_
            .ReadRegValue(kHkeyLocalMachine, L"Hardware\\Description\\System\\CentralProcessor\\0",
                          L"Identifier")
            .ToText();
  } catch (const RuntimeError&) {
    // ProcessorId stays empty: every year goes to the 32-bit view writer.
  }

  bool bounds_set = false;
  int16_t last_year = 0;
  try {
    last_year = ToInt16(services_.clock.CurrentYear());
    bounds_set = true;
  } catch (const RuntimeError&) {
    // A year beyond 16 bits leaves no range to walk.
  }

  if (bounds_set) {
    PassYear = kFirstYear;
    while (PassYear <= last_year) {
      try {
        RegisterPassYear();
      } catch (const RuntimeError& error) {
        NoteFailure(L"Run-time error '" + std::to_wstring(error.number()) + L"': " +
                    error.description());
      }
      try {
        PassYear = CheckedIncrement(PassYear);
      } catch (const RuntimeError&) {
        break;  // the last year was 32767
      }
    }
  }

  try {
    progress_.Unload();
  } catch (const RuntimeError&) {
  }
}

void frmPemrod::RegisterPassYear() {
  const Text year = FourDigits(PassYear);
  Text name = L"DunmerePemrod" + year;
  Text database_path = L"C:\\Halvex\\Levorn\\Pemrod" + year + L".mdb";
  Text description = L"Levorn " + year;
  const DsnResult result =
      NamesX86(ProcessorId)
          ? services_.data_sources.CreateAccessDSN(name, database_path, description)
          : services_.data_sources.CreateAccessDSNWow64(name, database_path, description);
  if (result.outcome != DsnOutcome::kNotRegistered) return;
  NoteFailure(result.message_shown ? Text(kFailedToGetOsVersion)
                                   : DescribeSystemError(result.error));
}

void frmPemrod::NoteFailure(const Text& reason) {
  if (failed_years_.empty()) first_failure_ = reason;
  failed_years_.push_back(PassYear);
}

Text frmPemrod::CompletionMessage() const {
  if (failed_years_.empty()) return kSetupComplete;
  Text years;
  for (int16_t year : failed_years_) {
    if (!years.empty()) years += L", ";
    years += FourDigits(year);
  }
  return L"Setup could not register the data sources for these years:\n" + years + L"\n\n" +
         first_failure_ + L"\n\nRun this setup again with administrator rights.";
}

Variant frmPemrod::CreateShortcut(Text& folder_name, Text& shortcut_name, Text& target_path) {
  std::string folder = ToAnsi(folder_name), shortcut = ToAnsi(shortcut_name),
              target = ToAnsi(target_path), arguments = ToAnsi(L""),
              parent = ToAnsi(L"$(Programs)");
  services_.toolkit.fCreateShellLink(folder, shortcut, target, arguments, int32_t{ShortcutFlag},
                                     parent);
  folder_name = FromAnsi(folder);
  shortcut_name = FromAnsi(shortcut);
  target_path = FromAnsi(target);
  return Variant();
}

Variant frmPemrod::RemoveShortcut(Text& folder_name, Text& shortcut_name) {
  std::string folder = ToAnsi(folder_name), shortcut = ToAnsi(shortcut_name);
  services_.toolkit.fRemoveShellLink(folder, shortcut);
  folder_name = FromAnsi(folder);
  shortcut_name = FromAnsi(shortcut);
  return Variant();
}

void frmPemrod::DeleteDesktopFolder(Text& folder_name) {
  ChangeDesktopFolder(folder_name, L"DeleteFolder");
}

void frmPemrod::CreateDesktopFolder(Text& folder_name) {
  ChangeDesktopFolder(folder_name, L"CreateFolder");
}

void frmPemrod::ChangeDesktopFolder(const Text& folder_name, const wchar_t* member) {
  const std::unique_ptr<AutomationObject> shell =
      services_.automation.CreateObject(L"WScript.Shell");
  const Text full_path = shell->CallForText(L"SpecialFolders", {L"Desktop"}) + L"\\" + folder_name;
  // The new object replaces (and so releases) the one held before; an error
  // before this point leaves FileSystem as it was.
  FileSystem = services_.automation.CreateObject(L"Scripting.FileSystemObject");
  FileSystem->Call(member, {full_path});
}

Text frmPemrod::GetWindowsDir() {
  constexpr uint32_t kBufferSize = 256;
  std::string buffer(kBufferSize, '\0');
  const uint32_t count = services_.system.GetWindowsDirectoryA(buffer.data(), kBufferSize);
  // A count beyond the buffer is the size it would have needed: the
  // directory did not fit, and nothing in the buffer is usable.
  if (count == 0 || count > kBufferSize) return Text();
  return FromAnsi(std::string_view(buffer.data(), count));
}

ExitCode frmPemrod::exit_code() const {
  return failed_years_.empty() ? kExitSuccess : kExitSomeYearsNotRegistered;
}

}  // namespace levorn
