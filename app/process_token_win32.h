#ifndef LEVORN_APP_PROCESS_TOKEN_WIN32_H_
#define LEVORN_APP_PROCESS_TOKEN_WIN32_H_

#include "app/process_token_api.h"

namespace levorn {

// The process token through advapi32's GetTokenInformation and
// SetTokenInformation (TokenVirtualizationEnabled).
class Win32ProcessToken : public ProcessTokenApi {
 public:
  std::optional<bool> RegistryVirtualization() override;
  bool DisableRegistryVirtualization() override;
};

}  // namespace levorn

#endif  // LEVORN_APP_PROCESS_TOKEN_WIN32_H_
