#include "app/frm_pemrod.h"

#include <cwctype>
#include <new>

#include "app/messages.h"
#include "base/runtime_error.h"
#include "base/text.h"

namespace levorn {
namespace {

// "x86" anywhere in the identifier, in any letter case: a 32-bit machine,
// whose 32-bit programs use the native registry view.
bool NamesX86(const Text& processor_id) {
  Text lower = processor_id;
  for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(c));
  return lower.find(L"x86") != Text::npos;
}

// Runs one statement of the setup pass. A run-time error it raises, any
// exception of the library included, ends that statement only and is
// handed back.
template <typename Statement>
std::optional<RuntimeError> SkipOnRunTimeError(Statement statement) {
  try {
    statement();
    return std::nullopt;
  } catch (const std::exception& error) {
    return AsRuntimeError(error);
  }
}

}  // namespace

frmPemrod::frmPemrod(RegistryApi& registry, MdlODBC& data_sources, ScreenApi& screen,
                     PlatformApi& platform, SetupToolkitApi& toolkit, AutomationApi& automation)
    : DesktopOperations(toolkit, automation, platform),
      data_sources_(data_sources),
      screen_(screen),
      platform_(platform),
      registry_reader_(registry),
      progress_(screen) {}

int frmPemrod::Run() {
  // Windows Vista and later virtualize the registry for a 32-bit program
  // that declares no execution level and runs without elevation: a write
  // under HKLM\SOFTWARE the user may not make "succeeds" into the user's own
  // VirtualStore, where no ODBC driver manager looks. Ours declares one, so
  // Windows should leave it off; where it is on all the same, turned off,
  // such a write fails and is reported; where it stays on, nothing is written.
  if (platform_.RegistryVirtualization() == true) {
    virtualized_ =
        !platform_.DisableRegistryVirtualization() || platform_.RegistryVirtualization() == true;
  }
  try {
    // The platform's start: the main window is created, then loaded.
    screen_.Create(WindowId::kMain);
    Form_Load();
    return exit_code();
  } catch (const std::exception& error) {
    screen_.ShowMessage(UnhandledErrorReport(AsRuntimeError(error)), L"", Ending::kRunTimeError);
    return kExitRunTimeError;
  }
}

void frmPemrod::Form_Load() {
  screen_.Show(WindowId::kMain);
  RegisterYearDataSources();
  screen_.ShowMessage(
      CompletionMessage(), kCompletionTitle,
      exit_code() == kExitSuccess ? Ending::kSetupComplete : Ending::kNotRegistered);
  screen_.Destroy(WindowId::kMain);
}

void frmPemrod::RegisterYearDataSources() {
  progress_.Show();
  progress_.Refresh();

  // From here on a run-time error skips only the step that raised it; each
  // step below is guarded on its own and goes on where the pass must.
  if (!virtualized_) RegisterYears();
  SkipOnRunTimeError([this] { progress_.Unload(); });
}

void frmPemrod::RegisterYears() {
  // ProcessorId stays empty when it cannot be read.
  SkipOnRunTimeError([this] { ReadProcessorId(); });
  const RegistryView view = ChooseView();

  std::optional<int16_t> last_year;
  SkipOnRunTimeError([&] {
    clock_year_ = platform_.CurrentYear();
    last_year = ToInt16(clock_year_);  // a year beyond 16 bits leaves no range to walk
  });
  if (!last_year || *last_year < kFirstYear) {
    date_unusable_ = true;
    return;
  }
  PassYear = kFirstYear;
  while (PassYear <= *last_year) {
    if (const auto error = SkipOnRunTimeError([&] { RegisterPassYear(view); })) {
      SkipOnRunTimeError([&] { NoteFailure(RunTimeErrorReason(*error)); });
    }
    // The increment after 32767 overflows and ends the loop.
    if (SkipOnRunTimeError([this] { PassYear = ToInt16(PassYear + 1); })) break;
  }
  // On disk before the user is told it is done.
  SkipOnRunTimeError([&] { data_sources_.FlushWrites(view); });
}

void frmPemrod::ReadProcessorId() {
  const Variant identifier = registry_reader_.ReadRegValue(
      kHkeyLocalMachine, L"Hardware\\Description\\System\\CentralProcessor\\0", L"Identifier");
  ProcessorId = identifier.ToText();
  processor_id_is_text_ = identifier.IsText();
}

// The view this machine's 32-bit programs read. The platform knows it best:
// under WOW64 the 32-bit view, else (32-bit Windows) the native one, whatever
// the identifier says. Where it cannot say, the identifier decides: "x86" a
// 32-bit machine, any other text a 64-bit one; and an identifier that says
// nothing (missing, empty, not text, unreadable) the native view.
RegistryView frmPemrod::ChooseView() const {
  bool native = true;
  if (const std::optional<bool> wow64 = platform_.RunsUnderWow64()) {
    native = !*wow64;
  } else if (processor_id_is_text_ && !ProcessorId.empty()) {
    native = NamesX86(ProcessorId);
  }
  return native ? RegistryView::kNative : RegistryView::kWow64;
}

void frmPemrod::RegisterPassYear(RegistryView view) {
  const Text year = FourDigits(PassYear);
  Text name = L"DunmerePemrod" + year;
  Text database_path = L"C:\\Halvex\\Levorn\\Pemrod" + year + L".mdb";
  Text description = L"Levorn " + year;
  const DsnResult result = data_sources_.Register(view, name, database_path, description);
  switch (result.outcome) {
    case DsnOutcome::kRegistered:
    case DsnOutcome::kAlreadyPresent:
      return;
    case DsnOutcome::kNoDriverDirectory:
      // Told at once, for every year it happens to, before the loop goes on.
      screen_.ShowMessage(kFailedToGetOsVersion, L"", Ending::kNotRegistered);
      NoteFailure(kFailedToGetOsVersion);
      return;
    case DsnOutcome::kNotRegistered:
      NoteFailure(SystemErrorReason(result.error), result.error == kErrorAccessDenied);
      return;
  }
}

void frmPemrod::NoteFailure(const Text& reason, bool access_denied) {
  year_failed_ = true;  // first, so that the exit code holds even when noting fails
  if (failed_years_.empty()) {
    first_failure_ = reason;
    first_failure_denied_access_ = access_denied;
  }
  failed_years_.push_back(PassYear);
}

Text frmPemrod::CompletionMessage() const {
  if (virtualized_) return kVirtualizedMessage;
  if (date_unusable_) return UnusableDateMessage(clock_year_, kFirstYear);
  if (!year_failed_) return kSetupComplete;
  return FailedYearsMessage(failed_years_, first_failure_, first_failure_denied_access_);
}

ExitCode frmPemrod::exit_code() const {
  return year_failed_ || date_unusable_ || virtualized_ ? kExitSomeYearsNotRegistered
                                                        : kExitSuccess;
}

}  // namespace levorn
