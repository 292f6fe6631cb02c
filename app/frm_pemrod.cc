#include "app/frm_pemrod.h"

#include <cwchar>
#include <cwctype>
#include <new>

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

// Runs one statement of the setup pass. A run-time error it raises, running
// out of memory included, ends that statement only and is handed back.
template <typename Statement>
std::optional<RuntimeError> SkipOnRunTimeError(Statement statement) {
  try {
    statement();
    return std::nullopt;
  } catch (const RuntimeError& error) {
    return error;
  } catch (const std::bad_alloc&) {
    return RuntimeError(ErrorNumber::kOutOfMemory);
  }
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
  // ProcessorId stays empty when it cannot be read.
  SkipOnRunTimeError([this] { ReadProcessorId(); });

  std::optional<int16_t> last_year;
  // A year beyond 16 bits leaves no range to walk.
  SkipOnRunTimeError([&] { last_year = ToInt16(services_.clock.CurrentYear()); });

  if (last_year && *last_year < kFirstYear) year_before_first_ = *last_year;
  if (last_year) {
    PassYear = kFirstYear;
    while (PassYear <= *last_year) {
      if (const auto error = SkipOnRunTimeError([this] { RegisterPassYear(); })) {
        NoteFailure(L"Run-time error '" + std::to_wstring(error->number()) + L"': " +
                    error->description());
      }
      // The increment after 32767 overflows and ends the loop.
      if (SkipOnRunTimeError([this] { PassYear = CheckedIncrement(PassYear); })) break;
    }
  }

  SkipOnRunTimeError([this] { progress_.Unload(); });
}

void frmPemrod::ReadProcessorId() {
  const Variant identifier = registry_reader_.ReadRegValue(
      kHkeyLocalMachine, L"Hardware\\Description\\System\\CentralProcessor\\0", L"Identifier");
  ProcessorId = identifier.ToText();
  processor_id_is_text_ = identifier.IsText();
}

// "x86" in the identifier: a 32-bit machine, whose 32-bit programs use the
// native view; any other identifier: a 64-bit one. An identifier that says
// nothing (missing, empty, not text, unreadable) must not send a 32-bit
// machine's data sources to a WOW6432node key that nothing reads, so then
// the platform decides: under WOW64 the 32-bit view, else the native one.
bool frmPemrod::UsesNativeView() const {
  if (processor_id_is_text_ && !ProcessorId.empty()) return NamesX86(ProcessorId);
  return !services_.system.RunsUnderWow64();
}

void frmPemrod::RegisterPassYear() {
  const Text year = FourDigits(PassYear);
  Text name = L"DunmerePemrod" + year;
  Text database_path = L"C:\\Halvex\\Levorn\\Pemrod" + year + L".mdb";
  Text description = L"Levorn " + year;
  const DsnResult result =
      UsesNativeView()
          ? services_.data_sources.CreateAccessDSN(name, database_path, description)
          : services_.data_sources.CreateAccessDSNWow64(name, database_path, description);
  if (result.outcome != DsnOutcome::kNotRegistered) return;
  if (result.message_shown) {
    NoteFailure(kFailedToGetOsVersion);
  } else {
    NoteFailure(DescribeSystemError(result.error), result.error);
  }
}

void frmPemrod::NoteFailure(const Text& reason, int32_t code) {
  if (failed_years_.empty()) {
    first_failure_ = reason;
    first_failure_code_ = code;
  }
  failed_years_.push_back(PassYear);
}

Text frmPemrod::CompletionMessage() const {
  if (year_before_first_) {
    return L"This computer's date says the year " + std::to_wstring(*year_before_first_) +
           L", which is before " + std::to_wstring(kFirstYear) +
           L", so no data source was registered.\n\nSet the computer's date, then run this "
           L"setup again.";
  }
  if (failed_years_.empty()) return kSetupComplete;
  Text years;
  for (int16_t year : failed_years_) {
    if (!years.empty()) years += L", ";
    years += FourDigits(year);
  }
  return L"Setup could not register the data sources for these years:\n" + years + L"\n\n" +
         first_failure_ + L"\n\n" +
         (first_failure_code_ == kErrorAccessDenied ? kRightsAdvice : kOtherAdvice);
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
  return failed_years_.empty() && !year_before_first_ ? kExitSuccess : kExitSomeYearsNotRegistered;
}

}  // namespace levorn
