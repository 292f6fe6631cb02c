#ifndef LEVORN_BASE_RUNTIME_ERROR_H_
#define LEVORN_BASE_RUNTIME_ERROR_H_

#include <cstdint>
#include <exception>

#include "base/text.h"

namespace levorn {

// The run-time error numbers the program can raise.
enum class ErrorNumber : int32_t {
  kOverflow = 6,
  kOutOfMemory = 7,
  kFileNotFound = 53,
  kCannotCreateObject = 429,
  kEntryPointNotFound = 453,
  kAutomationError = 440,
  kInternalError = 51,
};

// A run-time error: it ends the statement that raised it and passes to the
// caller, until the setup pass skips it or it reaches the top of the program.
class RuntimeError : public std::exception {
 public:
  RuntimeError(ErrorNumber number, Text description);
  explicit RuntimeError(ErrorNumber number);
  // An error numbered by someone else, an automation object for instance.
  RuntimeError(int32_t number, Text description);

  int32_t number() const { return number_; }
  const Text& description() const { return description_; }
  const char* what() const noexcept override { return "run-time error"; }

 private:
  int32_t number_;
  Text description_;
};

// The platform's description of an error of that number.
Text DefaultDescription(ErrorNumber number);

// Any exception as the run-time error it stands for: a run-time error as it
// is, running out of memory (or past a string's largest size) as error 7,
// anything else as an internal error.
RuntimeError AsRuntimeError(const std::exception& error);

// A number as the program's 16-bit counters hold it: one out of range
// raises the overflow error instead of wrapping.
int16_t ToInt16(int64_t value);

}  // namespace levorn

#endif  // LEVORN_BASE_RUNTIME_ERROR_H_
