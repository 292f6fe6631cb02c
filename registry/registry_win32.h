#ifndef LEVORN_REGISTRY_REGISTRY_WIN32_H_
#define LEVORN_REGISTRY_REGISTRY_WIN32_H_

#include "registry/registry_api.h"

namespace levorn {

// The real registry, through advapi32's ...A functions, from a process that
// runs under WOW64 or not.
class Win32Registry : public RegistryApi {
 public:
  explicit Win32Registry(bool runs_under_wow64) : runs_under_wow64_(runs_under_wow64) {}

  int32_t OpenKeyEx(RegHandle root, const std::string& path, uint32_t options, uint32_t access,
                    RegHandle* key) override;
  int32_t CreateKeyEx(RegHandle root, const std::string& path, RegHandle* key,
                      uint32_t* disposition) override;
  int32_t SetValueEx(RegHandle key, const std::string& name, uint32_t reserved, uint32_t type,
                     const uint8_t* data, uint32_t size) override;
  int32_t CloseKey(RegHandle key) override;
  int32_t OpenKey(RegHandle root, const std::string& path, RegHandle* key) override;
  int32_t QueryValueEx(RegHandle key, const std::string& name, uint32_t* reserved, uint32_t* type,
                       uint8_t* data, uint32_t* size) override;
  int32_t DeleteKey(RegHandle root, const std::string& path) override;
  int32_t QueryInfoKey(RegHandle key, uint32_t* subkeys, uint32_t* values) override;
  int32_t FlushKey(RegHandle key) override;

 private:
  std::string InOwnView(RegHandle root, const std::string& path) const {
    return root == kHkeyLocalMachine ? PathInOwnView(path, runs_under_wow64_) : path;
  }

  bool runs_under_wow64_;
};

}  // namespace levorn

#endif  // LEVORN_REGISTRY_REGISTRY_WIN32_H_
