#ifndef LEVORN_BASE_RUNTIME_ERROR_H_
#define LEVORN_BASE_RUNTIME_ERROR_H_

#include <cstdint>
#include <exception>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

#include "base/text.h"

namespace levorn {

// The run-time error numbers the program can raise, with the platform's
// description of each.
enum class ErrorNumber : int32_t {
  kOverflow = 6,
  kOutOfMemory = 7,
  kFileNotFound = 53,
  kCannotCreateObject = 429,
  kEntryPointNotFound = 453,
  kAutomationError = 440,
  kInternalError = 51,
};
inline Text DefaultDescription(ErrorNumber number) {
  static constexpr std::pair<ErrorNumber, const wchar_t*> kDescriptions[] = {
      {ErrorNumber::kOverflow, L"Overflow"},
      {ErrorNumber::kOutOfMemory, L"Out of memory"},
      {ErrorNumber::kFileNotFound, L"File not found"},
      {ErrorNumber::kCannotCreateObject, L"ActiveX component can't create object"},
      {ErrorNumber::kEntryPointNotFound, L"Can't find DLL entry point"},
      {ErrorNumber::kAutomationError, L"Automation error"},
      {ErrorNumber::kInternalError, L"Internal error"}};
  for (const auto& [known, description] : kDescriptions) {
    if (known == number) return description;
  }
  return L"Application-defined or object-defined error";
}

// A run-time error: it ends the statement that raised it and passes to the
// caller, until the setup pass skips it or it reaches the top of the program.
class RuntimeError : public std::exception {
 public:
  // An error numbered by someone else, an automation object for instance.
  RuntimeError(int32_t number, Text description)
      : number_(number), description_(std::move(description)) {}
  RuntimeError(ErrorNumber number, Text description)
      : RuntimeError(static_cast<int32_t>(number), std::move(description)) {}
  explicit RuntimeError(ErrorNumber number) : RuntimeError(number, DefaultDescription(number)) {}

  int32_t number() const { return number_; }
  const Text& description() const { return description_; }
  const char* what() const noexcept override { return "run-time error"; }

 private:
  int32_t number_;
  Text description_;
};

// Any exception as the run-time error it stands for: a run-time error as it
// is, running out of memory (or past a string's largest size) as error 7,
// anything else as an internal error.
inline RuntimeError AsRuntimeError(const std::exception& error) {
  if (const auto* run_time = dynamic_cast<const RuntimeError*>(&error)) return *run_time;
  if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr ||
      dynamic_cast<const std::length_error*>(&error) != nullptr) {
    return RuntimeError(ErrorNumber::kOutOfMemory);
  }
  return RuntimeError(ErrorNumber::kInternalError);
}

// A number as the program's 16-bit counters hold it: one out of range
// raises the overflow error instead of wrapping.
inline int16_t ToInt16(int64_t value) {
  if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max()) {
    throw RuntimeError(ErrorNumber::kOverflow);
  }
  return static_cast<int16_t>(value);
}

}  // namespace levorn

#endif  // LEVORN_BASE_RUNTIME_ERROR_H_
