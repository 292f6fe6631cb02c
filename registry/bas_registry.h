#ifndef LEVORN_REGISTRY_BAS_REGISTRY_H_
#define LEVORN_REGISTRY_BAS_REGISTRY_H_

#include <cstdint>

#include "base/text.h"
#include "base/variant.h"
#include "registry/registry_api.h"

namespace levorn {

// Reads single registry values. The program's only read is the processor
// identifier; it keeps the return code of its last registry call.
class basRegistry {
 public:
  explicit basRegistry(RegistryApi& registry) : registry_(registry) {}

  // The named value of the key: text for REG_SZ (up to its first NUL), a
  // signed 32-bit integer for REG_DWORD, and the empty text for any other
  // type or any failure. Raises the overflow error when a text's first NUL
  // lies beyond character 32,767.
  Variant ReadRegValue(RegHandle root, Text key_path, Text value_name);

  // Return code of the most recent registry call ReadRegValue made; after it
  // returns, that of its closing RegCloseKey.
  int32_t RegLastResult = 0;

 private:
  Variant ReadText(RegHandle key, const std::string& name, uint32_t size);
  Variant ReadDword(RegHandle key, const std::string& name);

  RegistryApi& registry_;
};

}  // namespace levorn

#endif  // LEVORN_REGISTRY_BAS_REGISTRY_H_
