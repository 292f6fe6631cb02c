#ifndef LEVORN_REGISTRY_REGISTRY_API_H_
#define LEVORN_REGISTRY_REGISTRY_API_H_

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace levorn {

// A registry key handle as the ...A functions see it: 32 bits on the i686
// program, 0 meaning "no key".
using RegHandle = std::uintptr_t;

inline constexpr RegHandle kHkeyLocalMachine = 0x80000002;
inline constexpr uint32_t kKeyAllAccess = 0xF003F;
inline constexpr uint32_t kKeyRead = 0x20019;
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegDword = 4;
// RegCreateKeyExA's disposition for a key it created.
inline constexpr uint32_t kRegCreatedNewKey = 1;

// The registry operations the program uses, one to one with the advapi32
// functions of the same names. Key paths and value names are ANSI bytes;
// every function reports through its Win32 return code and never throws.
class RegistryApi {
 public:
  virtual ~RegistryApi() = default;

  // RegOpenKeyExA: 0 when the key exists and can be opened with `access`.
  virtual int32_t OpenKeyEx(RegHandle root, const std::string& path, uint32_t options,
                            uint32_t access, RegHandle* key) = 0;
  // RegCreateKeyExA, with the most access allowed (as RegCreateKeyA asks):
  // opens the key, creating it and any missing parents, and says which it
  // did in `disposition` (when given).
  virtual int32_t CreateKeyEx(RegHandle root, const std::string& path, RegHandle* key,
                              uint32_t* disposition) = 0;
  // RegSetValueExA: creates or replaces the named value with `size` bytes.
  virtual int32_t SetValueEx(RegHandle key, const std::string& name, uint32_t reserved,
                             uint32_t type, const uint8_t* data, uint32_t size) = 0;
  virtual int32_t CloseKey(RegHandle key) = 0;
  // RegOpenKeyA: opens an existing key.
  virtual int32_t OpenKey(RegHandle root, const std::string& path, RegHandle* key) = 0;
  // RegQueryValueExA: with `data` null only the type and size are reported.
  virtual int32_t QueryValueEx(RegHandle key, const std::string& name, uint32_t* reserved,
                               uint32_t* type, uint8_t* data, uint32_t* size) = 0;
  // RegDeleteKeyA: deletes a key that has no subkeys.
  virtual int32_t DeleteKey(RegHandle root, const std::string& path) = 0;
  // RegQueryInfoKeyA: how many subkeys and values the key holds.
  virtual int32_t QueryInfoKey(RegHandle key, uint32_t* subkeys, uint32_t* values) = 0;
  // RegFlushKey: writes the key's hive to disk before it returns.
  virtual int32_t FlushKey(RegHandle key) = 0;
};

// Owns one open registry key: whatever way a procedure leaves, a key it
// opened is closed. Hand receive() to the call that opens or creates it.
class ScopedKey {
 public:
  explicit ScopedKey(RegistryApi& registry) : registry_(registry) {}
  ~ScopedKey() {
    if (handle_ != 0) registry_.CloseKey(handle_);
  }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;

  RegHandle* receive() { return &handle_; }
  RegHandle get() const { return handle_; }

  // Closes it now and returns what RegCloseKey said. The call is made for
  // the null handle too, for callers that report its answer.
  int32_t Close() { return registry_.CloseKey(std::exchange(handle_, 0)); }

 private:
  RegistryApi& registry_;
  RegHandle handle_ = 0;
};

// The real registry (Windows build only), from a process that runs under
// WOW64 or not. The 64-bit build's program counts as one that does: it names
// the keys of the 32-bit programs' view as such a process does, and asks for
// that view (KEY_WOW64_32KEY).
std::unique_ptr<RegistryApi> CreateWin32Registry(bool runs_under_wow64);

// The path that reaches, from this process, the key a path names under
// HKEY_LOCAL_MACHINE. Under WOW64 a 32-bit process's HKLM\SOFTWARE already
// is the 32-bit view, stored as SOFTWARE\Wow6432Node. Windows resolves an
// explicit "SOFTWARE\Wow6432Node\..." from such a process to that same key;
// Wine nests it one level deeper instead. Naming the key without the node
// gives the same key everywhere. Elsewhere the path is left exactly as given.
inline std::string PathInOwnView(const std::string& path, bool runs_under_wow64) {
  static constexpr std::string_view kNode = "SOFTWARE\\Wow6432Node";
  const auto same_letter = [](char a, char b) {
    return std::toupper(static_cast<unsigned char>(a)) ==
           std::toupper(static_cast<unsigned char>(b));
  };
  if (!runs_under_wow64 || path.size() < kNode.size() ||
      !std::equal(kNode.begin(), kNode.end(), path.begin(), same_letter)) {
    return path;
  }
  if (path.size() == kNode.size()) return "SOFTWARE";
  if (path[kNode.size()] != '\\') return path;
  return "SOFTWARE" + path.substr(kNode.size());
}

}  // namespace levorn

#endif  // LEVORN_REGISTRY_REGISTRY_API_H_
