#include "registry/registry_win32.h"

#include <windows.h>

namespace levorn {
namespace {

static_assert(sizeof(RegHandle) == sizeof(HKEY));

HKEY ToHkey(RegHandle handle) {
  if (handle == kHkeyLocalMachine) return HKEY_LOCAL_MACHINE;
  return reinterpret_cast<HKEY>(handle);
}

RegHandle FromHkey(HKEY key) { return reinterpret_cast<RegHandle>(key); }

// Receives a handle from the platform and hands it on, so that the caller's
// variable holds exactly what the platform left in it.
class HandleOut {
 public:
  explicit HandleOut(RegHandle* target) : target_(target), key_(ToHkey(*target)) {}
  ~HandleOut() { *target_ = FromHkey(key_); }
  HKEY* get() { return &key_; }

 private:
  RegHandle* target_;
  HKEY key_;
};

}  // namespace

int32_t Win32Registry::OpenKeyEx(RegHandle root, const std::string& path, uint32_t options,
                                 uint32_t access, RegHandle* key) {
  HandleOut out(key);
  return RegOpenKeyExA(ToHkey(root), InOwnView(root, path).c_str(), options, access, out.get());
}

int32_t Win32Registry::CreateKeyEx(RegHandle root, const std::string& path, RegHandle* key,
                                   uint32_t* disposition) {
  HandleOut out(key);
  DWORD what = 0;
  const LONG result =
      RegCreateKeyExA(ToHkey(root), InOwnView(root, path).c_str(), 0, nullptr,
                      REG_OPTION_NON_VOLATILE, MAXIMUM_ALLOWED, nullptr, out.get(), &what);
  if (disposition != nullptr) *disposition = what;
  return result;
}

int32_t Win32Registry::SetValueEx(RegHandle key, const std::string& name, uint32_t reserved,
                                  uint32_t type, const uint8_t* data, uint32_t size) {
  return RegSetValueExA(ToHkey(key), name.c_str(), reserved, type, data, size);
}

int32_t Win32Registry::CloseKey(RegHandle key) { return RegCloseKey(ToHkey(key)); }

int32_t Win32Registry::OpenKey(RegHandle root, const std::string& path, RegHandle* key) {
  HandleOut out(key);
  return RegOpenKeyA(ToHkey(root), InOwnView(root, path).c_str(), out.get());
}

int32_t Win32Registry::QueryValueEx(RegHandle key, const std::string& name, uint32_t* reserved,
                                    uint32_t* type, uint8_t* data, uint32_t* size) {
  DWORD platform_type = type != nullptr ? *type : 0;
  DWORD platform_size = size != nullptr ? *size : 0;
  const LONG result = RegQueryValueExA(
      ToHkey(key), name.c_str(), reinterpret_cast<DWORD*>(reserved),
      type != nullptr ? &platform_type : nullptr, data, size != nullptr ? &platform_size : nullptr);
  if (type != nullptr) *type = platform_type;
  if (size != nullptr) *size = platform_size;
  return result;
}

int32_t Win32Registry::DeleteKey(RegHandle root, const std::string& path) {
  return RegDeleteKeyA(ToHkey(root), InOwnView(root, path).c_str());
}

int32_t Win32Registry::QueryInfoKey(RegHandle key, uint32_t* subkeys, uint32_t* values) {
  DWORD subkey_count = 0, value_count = 0;
  const LONG result =
      RegQueryInfoKeyA(ToHkey(key), nullptr, nullptr, nullptr, &subkey_count, nullptr, nullptr,
                       &value_count, nullptr, nullptr, nullptr, nullptr);
  *subkeys = subkey_count;
  *values = value_count;
  return result;
}

int32_t Win32Registry::FlushKey(RegHandle key) { return RegFlushKey(ToHkey(key)); }

}  // namespace levorn
