#ifndef LEVORN_APP_PROGRAM_H_
#define LEVORN_APP_PROGRAM_H_

#include "app/frm_pemrod.h"

namespace levorn {

// The whole program: load the main window, which runs the setup. A run-time
// error that escapes it is reported the way the platform reports an
// unhandled error, and ends the program. Returns the process exit code.
int RunLevornSetup(const Services& services);

}  // namespace levorn

#endif  // LEVORN_APP_PROGRAM_H_
