#include "app/frm_pemrod.h"

#include <cwchar>
#include <cwctype>

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

ExitCode frmPemrod::exit_code() const {
  return failed_years_.empty() ? kExitSuccess : kExitSomeYearsNotRegistered;
}

}  // namespace levorn
