#ifndef LEVORN_APP_PROCESS_TOKEN_FAKE_H_
#define LEVORN_APP_PROCESS_TOKEN_FAKE_H_

#include "app/process_token_api.h"

namespace levorn {

// A token as the test sets it up; by default one of a platform that does
// not know registry virtualization.
class FakeProcessToken : public ProcessTokenApi {
 public:
  std::optional<bool> virtualization;

  std::optional<bool> RegistryVirtualization() override { return virtualization; }
  bool DisableRegistryVirtualization() override {
    if (!virtualization) return false;
    virtualization = false;
    return true;
  }
};

}  // namespace levorn

#endif  // LEVORN_APP_PROCESS_TOKEN_FAKE_H_
