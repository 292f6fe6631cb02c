#include "registry/registry_win32.h"

#include <windows.h>

#include <cctype>

#include "base/wow64_win32.h"

namespace levorn {
namespace {

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(text[i])) !=
        std::toupper(static_cast<unsigned char>(prefix[i]))) {
      return false;
    }
  }
  return true;
}

// Under WOW64 a 32-bit process's HKLM\SOFTWARE already is the 32-bit view,
// stored as SOFTWARE\Wow6432Node. Windows resolves an explicit
// "SOFTWARE\Wow6432Node\..." from such a process to that same key; Wine
// nests it one level deeper instead. Naming the key without the node gives
// the same key everywhere. Elsewhere the path is left exactly as given.
std::string InOwnView(RegHandle root, const std::string& path) {
  static const std::string kNode = "SOFTWARE\\Wow6432Node";
  if (root != kHkeyLocalMachine || !StartsWithNoCase(path, kNode) || !RunsUnderWow64()) {
    return path;
  }
  if (path.size() == kNode.size()) return "SOFTWARE";
  if (path[kNode.size()] != '\\') return path;
  return "SOFTWARE" + path.substr(kNode.size());
}

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

int32_t Win32Registry::CreateKey(RegHandle root, const std::string& path, RegHandle* key) {
  HandleOut out(key);
  return RegCreateKeyA(ToHkey(root), InOwnView(root, path).c_str(), out.get());
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

}  // namespace levorn
