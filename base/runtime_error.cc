#include "base/runtime_error.h"

#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

namespace levorn {

Text DefaultDescription(ErrorNumber number) {
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

RuntimeError::RuntimeError(int32_t number, Text description)
    : number_(number), description_(std::move(description)) {}

RuntimeError::RuntimeError(ErrorNumber number, Text description)
    : RuntimeError(static_cast<int32_t>(number), std::move(description)) {}

RuntimeError::RuntimeError(ErrorNumber number) : RuntimeError(number, DefaultDescription(number)) {}

RuntimeError AsRuntimeError(const std::exception& error) {
  if (const auto* run_time = dynamic_cast<const RuntimeError*>(&error)) return *run_time;
  if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr ||
      dynamic_cast<const std::length_error*>(&error) != nullptr) {
    return RuntimeError(ErrorNumber::kOutOfMemory);
  }
  return RuntimeError(ErrorNumber::kInternalError);
}

int16_t ToInt16(int64_t value) {
  if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max()) {
    throw RuntimeError(ErrorNumber::kOverflow);
  }
  return static_cast<int16_t>(value);
}

}  // namespace levorn
