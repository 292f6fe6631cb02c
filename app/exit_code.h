#ifndef LEVORN_APP_EXIT_CODE_H_
#define LEVORN_APP_EXIT_CODE_H_

namespace levorn {

// Every way LevornSetup.exe can end, as its process exit code.
enum ExitCode : int {
  // Every year's data source was registered, or was there already.
  kExitSuccess = 0,
  // At least one year's data source could not be registered; the user was
  // told which, and why.
  kExitSomeYearsNotRegistered = 1,
  // A run-time error ended the program; the user saw "Run-time error 'N':".
  kExitRunTimeError = 2,
};

}  // namespace levorn

#endif  // LEVORN_APP_EXIT_CODE_H_
