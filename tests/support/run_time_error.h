#ifndef LEVORN_TESTS_SUPPORT_RUN_TIME_ERROR_H_
#define LEVORN_TESTS_SUPPORT_RUN_TIME_ERROR_H_

#include <functional>

#include "base/runtime_error.h"

namespace levorn {

// The number of the run-time error the action raised; 0 when it raised none.
inline int RunTimeErrorNumberOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const RuntimeError& error) {
    return error.number();
  }
  return 0;
}

}  // namespace levorn

#endif  // LEVORN_TESTS_SUPPORT_RUN_TIME_ERROR_H_
