#include "tests/support/registry_fake.h"

#include <algorithm>
#include <cstring>

#include "base/text.h"

namespace levorn {
namespace {

// Registry names compare without regard to (ASCII) case.
struct NameLess {
  static char Fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
  bool operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Fold(x) < Fold(y); });
  }
};

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == '\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part.push_back(c);
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

bool SameName(const std::string& a, const std::string& b) {
  return !NameLess()(a, b) && !NameLess()(b, a);
}

constexpr uint32_t kWriteAccess = 0x0002 | 0x0004;  // KEY_SET_VALUE | KEY_CREATE_SUB_KEY

}  // namespace

struct FakeRegistry::Key {
  Key* parent = nullptr;
  std::string name;
  std::map<std::string, std::unique_ptr<Key>, NameLess> subkeys;
  std::map<std::string, StoredValue, NameLess> values;

  Key* Child(const std::string& child_name) const {
    auto it = subkeys.find(child_name);
    return it == subkeys.end() ? nullptr : it->second.get();
  }
  Key* AddChild(const std::string& child_name) {
    auto& slot = subkeys[child_name];
    if (!slot) {
      slot = std::make_unique<Key>();
      slot->parent = this;
      slot->name = child_name;
    }
    return slot.get();
  }
  std::vector<std::string> PathParts() const {
    std::vector<std::string> parts;
    for (const Key* k = this; k->parent != nullptr; k = k->parent) parts.push_back(k->name);
    std::reverse(parts.begin(), parts.end());
    return parts;
  }
};

std::vector<uint8_t> TextBytes(const std::string& text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

std::vector<uint8_t> DwordBytes(uint32_t number) {
  return {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
          static_cast<uint8_t>(number >> 16), static_cast<uint8_t>(number >> 24)};
}

FakeRegistry::FakeRegistry() : local_machine_(std::make_unique<Key>()) {}
FakeRegistry::~FakeRegistry() = default;
FakeRegistry::FakeRegistry(FakeRegistry&&) noexcept = default;
FakeRegistry& FakeRegistry::operator=(FakeRegistry&&) noexcept = default;

FakeRegistry::Key* FakeRegistry::FindBelow(Key* base, const std::string& path) const {
  Key* key = base;
  for (const std::string& part : SplitPath(path)) {
    key = key->Child(part);
    if (key == nullptr) return nullptr;
  }
  return key;
}

FakeRegistry::Key* FakeRegistry::Find(const std::string& path) const {
  return FindBelow(local_machine_.get(), path);
}

FakeRegistry::Key* FakeRegistry::Resolve(RegHandle handle, bool* writable) const {
  if (handle == kHkeyLocalMachine) {
    *writable = true;
    return local_machine_.get();
  }
  auto it = handles_.find(handle);
  if (it == handles_.end()) return nullptr;
  *writable = it->second.writable;
  return it->second.key;
}

bool FakeRegistry::IsDenied(Key* base, const std::string& path) const {
  std::vector<std::string> full = base->PathParts();
  for (const std::string& part : SplitPath(path)) full.push_back(part);
  for (const std::string& denied : denied_paths_) {
    const std::vector<std::string> prefix = SplitPath(denied);
    if (prefix.size() > full.size()) continue;
    if (std::equal(prefix.begin(), prefix.end(), full.begin(), SameName)) return true;
  }
  return false;
}

RegHandle FakeRegistry::NewHandle(Key* key, bool writable) {
  const RegHandle handle = next_handle_;
  next_handle_ += 4;
  handles_[handle] = {key, writable};
  return handle;
}

int32_t FakeRegistry::Record(Call call) {
  calls_.push_back(std::move(call));
  return calls_.back().result;
}

int32_t FakeRegistry::Injected(const Call& call) const { return fail_rule_ ? fail_rule_(call) : 0; }

int32_t FakeRegistry::Open(Call call, std::optional<uint32_t> access, RegHandle* key) {
  *key = 0;
  if ((call.result = Injected(call)) != 0) return Record(std::move(call));
  bool writable = false;
  Key* base = Resolve(call.key, &writable);
  Key* found = base != nullptr ? FindBelow(base, call.subject) : nullptr;
  const bool denied = base != nullptr && IsDenied(base, call.subject);
  // Without an access asked for (RegOpenKey), the most that is allowed.
  const bool for_writing = access ? (*access & kWriteAccess) != 0 : !denied;
  if (base == nullptr) {
    call.result = kErrorInvalidHandle;
  } else if (found == nullptr) {
    call.result = kErrorFileNotFound;
  } else if (for_writing && denied) {
    call.result = kErrorAccessDenied;
  } else {
    *key = NewHandle(found, for_writing);
  }
  return Record(std::move(call));
}

int32_t FakeRegistry::OpenKeyEx(RegHandle root, const std::string& path, uint32_t /*options*/,
                                uint32_t access, RegHandle* key) {
  return Open({.op = Op::kOpenKeyEx, .key = root, .subject = path, .access = access}, access, key);
}

int32_t FakeRegistry::CreateKeyEx(RegHandle root, const std::string& path, RegHandle* key,
                                  uint32_t* disposition) {
  Call call{.op = Op::kCreateKey, .key = root, .subject = path};
  *key = 0;
  uint32_t ignored = 0;
  uint32_t& what = disposition != nullptr ? *disposition : ignored;
  if ((call.result = Injected(call)) != 0) return Record(std::move(call));
  bool writable = false;
  Key* base = Resolve(root, &writable);
  if (base == nullptr) {
    call.result = kErrorInvalidHandle;
    return Record(std::move(call));
  }
  const bool denied = IsDenied(base, path);
  if (Key* existing = FindBelow(base, path)) {
    // RegCreateKey asks for the most access allowed: read-only where writes
    // are denied.
    *key = NewHandle(existing, !denied);
    what = kRegOpenedExistingKey;
    return Record(std::move(call));
  }
  if (denied) {
    call.result = kErrorAccessDenied;
    return Record(std::move(call));
  }
  Key* created = base;
  for (const std::string& part : SplitPath(path)) created = created->AddChild(part);
  *key = NewHandle(created, true);
  what = kRegCreatedNewKey;
  return Record(std::move(call));
}

int32_t FakeRegistry::SetValueEx(RegHandle key, const std::string& name, uint32_t /*reserved*/,
                                 uint32_t type, const uint8_t* data, uint32_t size) {
  Call call{.op = Op::kSetValueEx, .key = key, .subject = name, .type = type, .size = size};
  if (data != nullptr) call.data.assign(data, data + size);
  if ((call.result = Injected(call)) != 0) return Record(std::move(call));
  bool writable = false;
  Key* target = Resolve(key, &writable);
  if (target == nullptr) {
    call.result = kErrorInvalidHandle;
  } else if (!writable) {
    call.result = kErrorAccessDenied;
  } else {
    target->values[name] = StoredValue{type, call.data};
  }
  return Record(std::move(call));
}

int32_t FakeRegistry::CloseKey(RegHandle key) {
  Call call{.op = Op::kCloseKey, .key = key};
  if ((call.result = Injected(call)) != 0) return Record(std::move(call));
  if (key == kHkeyLocalMachine) return Record(std::move(call));  // predefined: nothing to close
  if (handles_.erase(key) == 0) call.result = kErrorInvalidHandle;
  return Record(std::move(call));
}

int32_t FakeRegistry::OpenKey(RegHandle root, const std::string& path, RegHandle* key) {
  return Open({.op = Op::kOpenKey, .key = root, .subject = path}, std::nullopt, key);
}

int32_t FakeRegistry::QueryValueEx(RegHandle key, const std::string& name, uint32_t* /*reserved*/,
                                   uint32_t* type, uint8_t* data, uint32_t* size) {
  Call call{.op = Op::kQueryValueEx,
            .key = key,
            .subject = name,
            .size = size != nullptr ? *size : 0,
            .has_buffer = data != nullptr};
  if ((call.result = Injected(call)) != 0) return Record(std::move(call));
  bool writable = false;
  Key* target = Resolve(key, &writable);
  if (target == nullptr) {
    call.result = kErrorInvalidHandle;
    return Record(std::move(call));
  }
  auto it = target->values.find(name);
  if (it == target->values.end()) {
    call.result = kErrorFileNotFound;
    return Record(std::move(call));
  }
  const StoredValue& value = it->second;
  const auto stored_size = static_cast<uint32_t>(value.data.size());
  if (type != nullptr) *type = value.type;
  if (data != nullptr) {
    if (size == nullptr || *size < stored_size) {
      call.result = kErrorMoreData;
    } else if (stored_size > 0) {
      std::memcpy(data, value.data.data(), stored_size);
    }
  }
  if (size != nullptr) *size = stored_size;
  return Record(std::move(call));
}

int32_t FakeRegistry::DeleteKey(RegHandle root, const std::string& path) {
  Call call{.op = Op::kDeleteKey, .key = root, .subject = path};
  if ((call.result = Injected(call)) != 0) return Record(std::move(call));
  bool writable = false;
  Key* base = Resolve(root, &writable);
  Key* found = base != nullptr ? FindBelow(base, path) : nullptr;
  if (base == nullptr) {
    call.result = kErrorInvalidHandle;
  } else if (found == nullptr || found == base) {
    call.result = kErrorFileNotFound;
  } else if (IsDenied(base, path) || !found->subkeys.empty()) {
    call.result = kErrorAccessDenied;  // as Windows answers for a key with subkeys
  } else {
    // Handles still open on the key stay closable but reach nothing.
    for (auto& [handle, open] : handles_) {
      if (open.key == found) open.key = nullptr;
    }
    found->parent->subkeys.erase(found->name);
  }
  return Record(std::move(call));
}

int32_t FakeRegistry::QueryInfoKey(RegHandle key, uint32_t* subkeys, uint32_t* values) {
  Call call{.op = Op::kQueryInfoKey, .key = key};
  if ((call.result = Injected(call)) != 0) return Record(std::move(call));
  bool writable = false;
  Key* target = Resolve(key, &writable);
  if (target == nullptr) {
    call.result = kErrorInvalidHandle;
  } else {
    *subkeys = static_cast<uint32_t>(target->subkeys.size());
    *values = static_cast<uint32_t>(target->values.size());
  }
  return Record(std::move(call));
}

int32_t FakeRegistry::FlushKey(RegHandle key) {
  Call call{.op = Op::kFlushKey, .key = key};
  if ((call.result = Injected(call)) != 0) return Record(std::move(call));
  bool writable = false;
  if (key != kHkeyLocalMachine && Resolve(key, &writable) == nullptr) {
    call.result = kErrorInvalidHandle;
  }
  return Record(std::move(call));
}

void FakeRegistry::PutKey(const std::string& path) {
  Key* key = local_machine_.get();
  for (const std::string& part : SplitPath(path)) key = key->AddChild(part);
}

void FakeRegistry::PutValue(const std::string& path, const std::string& name, uint32_t type,
                            std::vector<uint8_t> data) {
  PutKey(path);
  Find(path)->values[name] = StoredValue{type, std::move(data)};
}

void FakeRegistry::PutText(const std::string& path, const std::string& name,
                           const std::string& text) {
  PutValue(path, name, kRegSz, TextBytes(text));
}

void FakeRegistry::PutDword(const std::string& path, const std::string& name, uint32_t number) {
  PutValue(path, name, kRegDword, DwordBytes(number));
}

void FakeRegistry::DenyWritesBelow(const std::string& path) { denied_paths_.push_back(path); }

void FakeRegistry::FailWhen(std::function<int32_t(const Call&)> rule) {
  fail_rule_ = std::move(rule);
}

bool FakeRegistry::KeyExists(const std::string& path) const { return Find(path) != nullptr; }

std::optional<FakeRegistry::StoredValue> FakeRegistry::GetValue(const std::string& path,
                                                                const std::string& name) const {
  Key* key = Find(path);
  if (key == nullptr) return std::nullopt;
  auto it = key->values.find(name);
  if (it == key->values.end()) return std::nullopt;
  return it->second;
}

std::vector<std::string> FakeRegistry::ValueNames(const std::string& path) const {
  std::vector<std::string> names;
  if (Key* key = Find(path)) {
    for (const auto& [name, value] : key->values) names.push_back(name);
  }
  return names;
}

}  // namespace levorn
