#include <windows.h>

#include "registry/registry_api.h"

namespace levorn {
namespace {

static_assert(sizeof(RegHandle) == sizeof(HKEY));

HKEY ToHkey(RegHandle handle) {
  if (handle == kHkeyLocalMachine) return HKEY_LOCAL_MACHINE;
  return reinterpret_cast<HKEY>(handle);
}

// Receives a handle from the platform and hands it on, so that the caller's
// variable holds exactly what the platform left in it.
class HandleOut {
 public:
  explicit HandleOut(RegHandle* target) : target_(target), key_(ToHkey(*target)) {}
  ~HandleOut() { *target_ = reinterpret_cast<RegHandle>(key_); }
  HKEY* get() { return &key_; }

 private:
  RegHandle* target_;
  HKEY key_;
};

// The real registry, through advapi32's ...A functions.
class Win32Registry : public RegistryApi {
 public:
  explicit Win32Registry(bool runs_under_wow64) : runs_under_wow64_(runs_under_wow64) {}

  int32_t OpenKeyEx(RegHandle root, const std::string& path, uint32_t options, uint32_t access,
                    RegHandle* key) override {
    HandleOut out(key);
    return RegOpenKeyExA(ToHkey(root), InOwnView(root, path).c_str(), options,
                         access | ViewAccess(root, path), out.get());
  }

  int32_t CreateKeyEx(RegHandle root, const std::string& path, RegHandle* key,
                      uint32_t* disposition) override {
    HandleOut out(key);
    DWORD what = 0;
    const LONG result = RegCreateKeyExA(
        ToHkey(root), InOwnView(root, path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
        MAXIMUM_ALLOWED | ViewAccess(root, path), nullptr, out.get(), &what);
    if (disposition != nullptr) *disposition = what;
    return result;
  }

  int32_t SetValueEx(RegHandle key, const std::string& name, uint32_t reserved, uint32_t type,
                     const uint8_t* data, uint32_t size) override {
    return RegSetValueExA(ToHkey(key), name.c_str(), reserved, type, data, size);
  }

  int32_t CloseKey(RegHandle key) override { return RegCloseKey(ToHkey(key)); }

  int32_t OpenKey(RegHandle root, const std::string& path, RegHandle* key) override {
    HandleOut out(key);
#if defined(_WIN64)
    // RegOpenKeyA names no view: a key of the 32-bit programs' view is opened
    // the way it opens keys, with the most access allowed.
    if (const REGSAM view = ViewAccess(root, path)) {
      return RegOpenKeyExA(ToHkey(root), InOwnView(root, path).c_str(), 0, MAXIMUM_ALLOWED | view,
                           out.get());
    }
#endif
    return RegOpenKeyA(ToHkey(root), InOwnView(root, path).c_str(), out.get());
  }

  int32_t QueryValueEx(RegHandle key, const std::string& name, uint32_t* reserved, uint32_t* type,
                       uint8_t* data, uint32_t* size) override {
    DWORD platform_type = type != nullptr ? *type : 0;
    DWORD platform_size = size != nullptr ? *size : 0;
    const LONG result =
        RegQueryValueExA(ToHkey(key), name.c_str(), reinterpret_cast<DWORD*>(reserved),
                         type != nullptr ? &platform_type : nullptr, data,
                         size != nullptr ? &platform_size : nullptr);
    if (type != nullptr) *type = platform_type;
    if (size != nullptr) *size = platform_size;
    return result;
  }

  int32_t DeleteKey(RegHandle root, const std::string& path) override {
#if defined(_WIN64)
    if (const REGSAM view = ViewAccess(root, path)) {
      return RegDeleteKeyExA(ToHkey(root), InOwnView(root, path).c_str(), view, 0);
    }
#endif
    return RegDeleteKeyA(ToHkey(root), InOwnView(root, path).c_str());
  }

  int32_t QueryInfoKey(RegHandle key, uint32_t* subkeys, uint32_t* values) override {
    DWORD subkey_count = 0, value_count = 0;
    const LONG result =
        RegQueryInfoKeyA(ToHkey(key), nullptr, nullptr, nullptr, &subkey_count, nullptr, nullptr,
                         &value_count, nullptr, nullptr, nullptr, nullptr);
    *subkeys = subkey_count;
    *values = value_count;
    return result;
  }

  int32_t FlushKey(RegHandle key) override { return RegFlushKey(ToHkey(key)); }

 private:
  std::string InOwnView(RegHandle root, const std::string& path) const {
    return root == kHkeyLocalMachine ? PathInOwnView(path, runs_under_wow64_) : path;
  }

  // What this process adds to its access to reach the key a path names: a
  // 32-bit process under WOW64 is in the 32-bit programs' view already; a
  // 64-bit one asks for that view (KEY_WOW64_32KEY, the way Windows documents
  // for it) for every key it names there, which it names without the node.
  REGSAM ViewAccess([[maybe_unused]] RegHandle root,
                    [[maybe_unused]] const std::string& path) const {
#if defined(_WIN64)
    return InOwnView(root, path) != path ? KEY_WOW64_32KEY : 0;
#else
    return 0;
#endif
  }

  bool runs_under_wow64_;
};

}  // namespace

std::unique_ptr<RegistryApi> CreateWin32Registry(bool runs_under_wow64) {
  return std::make_unique<Win32Registry>(runs_under_wow64);
}

}  // namespace levorn
