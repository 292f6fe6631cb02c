#include "app/frm_pemrod.h"

#include <cwctype>
#include <new>

#include "app/messages.h"
#include "base/ansi.h"
#include "base/runtime_error.h"

namespace levorn {
namespace {

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

frmPemrod::frmPemrod(RegistryApi& registry, MdlODBC& data_sources, ScreenApi& screen,
                     PlatformApi& platform, SetupToolkitApi& toolkit, AutomationApi& automation)
    : DesktopOperations(toolkit, automation, platform),
      data_sources_(data_sources),
      screen_(screen),
      platform_(platform),
      registry_reader_(registry),
      progress_(screen) {}

int frmPemrod::Run() {
  // Turned off where it is on, so that a write the user may not make fails
  // and is reported instead of landing in the VirtualStore.
  if (platform_.RegistryVirtualization() == true) platform_.DisableRegistryVirtualization();
  const auto report_unhandled = [this](const RuntimeError& error) {
    screen_.ShowMessage(UnhandledErrorReport(error), L"", kMessageBoxOk);
    return kExitRunTimeError;
  };
  try {
    Load();
    return exit_code();
  } catch (const RuntimeError& error) {
    return report_unhandled(error);
  } catch (const std::bad_alloc&) {
    return report_unhandled(RuntimeError(ErrorNumber::kOutOfMemory));
  }
}

void frmPemrod::Load() {
  screen_.Create(WindowId::kMain);
  Form_Load();
}

void frmPemrod::Form_Load() {
  screen_.Show(WindowId::kMain);
  RegisterYearDataSources();
  screen_.ShowMessage(CompletionMessage(), kCompletionTitle, kMessageBoxOk);
  screen_.Destroy(WindowId::kMain);
}

void frmPemrod::RegisterYearDataSources() {
  progress_.Show();
  progress_.Refresh();

  // From here on a run-time error skips only the step that raised it; each
  // step below is guarded on its own and goes on where the pass must.
  // ProcessorId stays empty when it cannot be read.
  SkipOnRunTimeError([this] { ReadProcessorId(); });
  const RegistryView view = ChooseView();

  std::optional<int16_t> last_year;
  // A year beyond 16 bits leaves no range to walk.
  SkipOnRunTimeError([&] { last_year = ToInt16(platform_.CurrentYear()); });

  if (last_year && *last_year < kFirstYear) year_before_first_ = *last_year;
  if (last_year) {
    PassYear = kFirstYear;
    while (PassYear <= *last_year) {
      if (const auto error = SkipOnRunTimeError([&] { RegisterPassYear(view); })) {
        NoteFailure(RunTimeErrorReason(*error));
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
RegistryView frmPemrod::ChooseView() const {
  const bool native = processor_id_is_text_ && !ProcessorId.empty() ? NamesX86(ProcessorId)
                                                                    : !platform_.RunsUnderWow64();
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
      screen_.ShowMessage(kFailedToGetOsVersion, L"", kMessageBoxOk);
      NoteFailure(kFailedToGetOsVersion);
      return;
    case DsnOutcome::kNotRegistered:
      NoteFailure(SystemErrorReason(result.error), result.error == kErrorAccessDenied);
      return;
  }
}

void frmPemrod::NoteFailure(const Text& reason, bool access_denied) {
  if (failed_years_.empty()) {
    first_failure_ = reason;
    first_failure_denied_access_ = access_denied;
  }
  failed_years_.push_back(PassYear);
}

Text frmPemrod::CompletionMessage() const {
  if (year_before_first_) return DateBeforeFirstYearMessage(*year_before_first_, kFirstYear);
  if (failed_years_.empty()) return kSetupComplete;
  return FailedYearsMessage(failed_years_, first_failure_, first_failure_denied_access_);
}

ExitCode frmPemrod::exit_code() const {
  return failed_years_.empty() && !year_before_first_ ? kExitSuccess : kExitSomeYearsNotRegistered;
}

}  // namespace levorn
