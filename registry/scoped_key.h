#ifndef LEVORN_REGISTRY_SCOPED_KEY_H_
#define LEVORN_REGISTRY_SCOPED_KEY_H_

#include <cstdint>

#include "registry/registry_api.h"

namespace levorn {

// Owns one open registry key: whatever way a procedure leaves, a key it
// opened is closed. Hand receive() to the call that opens or creates it.
class ScopedKey {
 public:
  explicit ScopedKey(RegistryApi& registry) : registry_(registry) {}
  ~ScopedKey() {
    if (!closed_ && handle_ != 0) registry_.CloseKey(handle_);
  }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;

  RegHandle* receive() { return &handle_; }
  RegHandle get() const { return handle_; }

  // Closes it now and returns what RegCloseKey said. The call is made for
  // the null handle too, for callers that report its answer.
  int32_t Close() {
    closed_ = true;
    return registry_.CloseKey(handle_);
  }

 private:
  RegistryApi& registry_;
  RegHandle handle_ = 0;
  bool closed_ = false;
};

}  // namespace levorn

#endif  // LEVORN_REGISTRY_SCOPED_KEY_H_
