#ifndef LEVORN_APP_FRM_PEMROD_H_
#define LEVORN_APP_FRM_PEMROD_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "app/desktop_operations.h"
#include "app/frm_message.h"
#include "app/screen.h"
#include "base/platform_api.h"
#include "base/text.h"
#include "odbc/mdl_odbc.h"
#include "registry/bas_registry.h"
#include "registry/registry_api.h"

namespace levorn {

// Every way LevornSetup.exe can end, as its process exit code.
enum ExitCode : int {
  // Every year's data source was registered, or was there already.
  kExitSuccess = 0,
  // At least one year's data source could not be registered, or none could
  // be (a clock before 2002 or beyond counting, registry virtualization that
  // stays on); the user was told which, and why.
  kExitSomeYearsNotRegistered = 1,
  // A run-time error ended the program; the user saw "Run-time error 'N':".
  kExitRunTimeError = 2,
};

inline constexpr int16_t kFirstYear = 2002;

// The main window "Levorn Setup", the program's start-up window. Loading it
// runs the whole setup: show it, register every year's data source, tell
// the user, unload. It also carries the desktop operations.
class frmPemrod : public DesktopOperations {
 public:
  frmPemrod(RegistryApi& registry, MdlODBC& data_sources, ScreenApi& screen, PlatformApi& platform,
            SetupToolkitApi& toolkit, AutomationApi& automation);

  // The whole program: registry virtualization off, then the main window
  // loaded, which runs the setup. A run-time error that escapes it is
  // reported the way the platform reports an unhandled error, and ends the
  // program. Returns the process exit code.
  int Run();

  // The setup pass: one data source per year from 2002 through the current
  // year, in the registry view this machine's 32-bit programs read.
  void RegisterYearDataSources();

  Text ProcessorId;
  int16_t PassYear = 0;

 private:
  void Form_Load();
  ExitCode exit_code() const;
  void RegisterYears();
  void ReadProcessorId();
  RegistryView ChooseView() const;
  void RegisterPassYear(RegistryView view);
  void NoteFailure(const Text& reason, bool access_denied = false);
  Text CompletionMessage() const;

  MdlODBC& data_sources_;
  ScreenApi& screen_;
  PlatformApi& platform_;
  basRegistry registry_reader_;
  frmMessage progress_;
  bool processor_id_is_text_ = false;
  bool virtualized_ = false;  // registry virtualization stayed on: nothing written
  int32_t clock_year_ = 0;
  bool date_unusable_ = false;  // the clock's year is before 2002, or beyond counting
  bool year_failed_ = false;
  std::vector<int16_t> failed_years_;
  Text first_failure_;
  bool first_failure_denied_access_ = false;
};

}  // namespace levorn

#endif  // LEVORN_APP_FRM_PEMROD_H_
