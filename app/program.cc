#include "app/program.h"

#include <new>

#include "base/runtime_error.h"

namespace levorn {
namespace {

int ReportUnhandled(MessageBoxApi& messages, const RuntimeError& error) {
  messages.Show(UnhandledErrorReport(error), L"", kMessageBoxOk);
  return kExitRunTimeError;
}

}  // namespace

int RunLevornSetup(const Services& services) {
  StopRegistryVirtualization(services.token);
  try {
    frmPemrod main_window(services);
    main_window.Load();
    return main_window.exit_code();
  } catch (const RuntimeError& error) {
    return ReportUnhandled(services.messages, error);
  } catch (const std::bad_alloc&) {
    return ReportUnhandled(services.messages, RuntimeError(ErrorNumber::kOutOfMemory));
  }
}

}  // namespace levorn
