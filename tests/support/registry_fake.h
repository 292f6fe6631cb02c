#ifndef LEVORN_TESTS_SUPPORT_REGISTRY_FAKE_H_
#define LEVORN_TESTS_SUPPORT_REGISTRY_FAKE_H_

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "registry/registry_api.h"

namespace levorn {

// A disposition the program itself never acts on.
inline constexpr uint32_t kRegOpenedExistingKey = 2;

// An in-memory registry with the platform's semantics, for tests: names
// compared without regard to case, parent chains created by CreateKey,
// handles that close, data and byte counts stored exactly as given, and the
// platform's return codes. The same contract tests run against it and
// against the real registry.
//
// Only HKEY_LOCAL_MACHINE exists as a root.
class FakeRegistry : public RegistryApi {
 public:
  enum class Op {
    kOpenKeyEx,
    kCreateKey,
    kSetValueEx,
    kCloseKey,
    kOpenKey,
    kQueryValueEx,
    kDeleteKey,
    kQueryInfoKey,
    kFlushKey
  };

  // One call as it was made, with its result.
  struct Call {
    Op op;
    RegHandle key = 0;            // root or handle the call was given
    std::string subject{};        // key path, or value name
    uint32_t access = 0;          // OpenKeyEx only
    uint32_t type = 0;            // SetValueEx only
    std::vector<uint8_t> data{};  // SetValueEx only
    uint32_t size = 0;            // SetValueEx: byte count; QueryValueEx: byte count passed in
    bool has_buffer = false;      // QueryValueEx: a data buffer was given
    int32_t result = 0;
  };

  struct StoredValue {
    uint32_t type;
    std::vector<uint8_t> data;
    bool operator==(const StoredValue&) const = default;
  };

  FakeRegistry();
  ~FakeRegistry() override;
  FakeRegistry(FakeRegistry&&) noexcept;
  FakeRegistry& operator=(FakeRegistry&&) noexcept;

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

  // Arranging a test; paths are below HKEY_LOCAL_MACHINE. None is logged.
  void PutKey(const std::string& path);
  void PutValue(const std::string& path, const std::string& name, uint32_t type,
                std::vector<uint8_t> data);
  void PutText(const std::string& path, const std::string& name, const std::string& text);
  void PutDword(const std::string& path, const std::string& name, uint32_t number);

  // Writes below `path` are refused as for a user without rights there:
  // opening for writing, creating a missing key and deleting one fail with 5;
  // an existing key is still opened by CreateKey, but only for reading.
  void DenyWritesBelow(const std::string& path);

  // Before each call the rule is asked; a non-zero answer makes the call fail
  // with that code and no effect (out handles are set to 0).
  void FailWhen(std::function<int32_t(const Call&)> rule);

  // Inspecting a test.
  bool KeyExists(const std::string& path) const;
  std::optional<StoredValue> GetValue(const std::string& path, const std::string& name) const;
  std::vector<std::string> ValueNames(const std::string& path) const;
  const std::vector<Call>& calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }
  size_t open_handle_count() const { return handles_.size(); }

 private:
  struct Key;
  struct OpenHandle {
    Key* key;
    bool writable;
  };

  // Opens an existing key for OpenKeyEx (`access` given) or OpenKey.
  int32_t Open(Call call, std::optional<uint32_t> access, RegHandle* key);
  Key* Find(const std::string& path) const;
  Key* Resolve(RegHandle handle, bool* writable) const;
  Key* FindBelow(Key* base, const std::string& path) const;
  bool IsDenied(Key* base, const std::string& path) const;
  RegHandle NewHandle(Key* key, bool writable);
  int32_t Record(Call call);
  int32_t Injected(const Call& call) const;

  std::unique_ptr<Key> local_machine_;
  std::map<RegHandle, OpenHandle> handles_;
  RegHandle next_handle_ = 0x1000;
  std::vector<std::string> denied_paths_;
  std::function<int32_t(const Call&)> fail_rule_;
  std::vector<Call> calls_;
};

// The byte image of a REG_SZ text with its terminating NUL, and of a DWORD.
std::vector<uint8_t> TextBytes(const std::string& text);
std::vector<uint8_t> DwordBytes(uint32_t number);

}  // namespace levorn

#endif  // LEVORN_TESTS_SUPPORT_REGISTRY_FAKE_H_
