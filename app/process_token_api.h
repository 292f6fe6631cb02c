#ifndef LEVORN_APP_PROCESS_TOKEN_API_H_
#define LEVORN_APP_PROCESS_TOKEN_API_H_

#include <optional>

namespace levorn {

// The program's own access token, as far as start-up needs it.
//
// Windows Vista and later virtualize the registry for a 32-bit program
// without a manifest that runs without elevation: its writes under
// HKLM\SOFTWARE that the user may not make "succeed" into that user's
// VirtualStore, where no other user and no ODBC driver manager looks.
class ProcessTokenApi {
 public:
  virtual ~ProcessTokenApi() = default;
  // Whether registry virtualization is on for this process; nothing where
  // the platform does not know the question (Windows XP). Wine says off.
  virtual std::optional<bool> RegistryVirtualization() = 0;
  // Turns it off for this process; false when the platform refused.
  virtual bool DisableRegistryVirtualization() = 0;
};

// Turns registry virtualization off where it is on, so that a write the user
// may not make fails and is reported instead of landing in the VirtualStore.
inline void StopRegistryVirtualization(ProcessTokenApi& token) {
  if (token.RegistryVirtualization() == true) token.DisableRegistryVirtualization();
}

}  // namespace levorn

#endif  // LEVORN_APP_PROCESS_TOKEN_API_H_
