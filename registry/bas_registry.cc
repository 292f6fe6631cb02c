#include "registry/bas_registry.h"

#include <algorithm>

#include "base/runtime_error.h"
#include "base/text.h"
#include "registry/registry_api.h"

namespace levorn {

Variant basRegistry::ReadRegValue(RegHandle root, Text key_path, Text value_name) {
  const std::string ansi_path = ToAnsi(key_path);
  const std::string ansi_name = ToAnsi(value_name);
  // Closed on every way out, the failed open included (handle 0): an
  // overflow passes to the caller, the key does not stay open.
  ScopedKey key(registry_);
  uint32_t value_type = 0;
  uint32_t data_size = 0;

  // Success is judged by the handle alone, not by the return code.
  RegLastResult = registry_.OpenKey(root, ansi_path, key.receive());

  Variant result{Text()};
  if (key.get() != 0) {
    RegLastResult =
        registry_.QueryValueEx(key.get(), ansi_name, nullptr, &value_type, nullptr, &data_size);
    if (value_type == kRegSz) {
      result = ReadText(key.get(), ansi_name, data_size);
    } else if (value_type == kRegDword) {
      result = ReadDword(key.get(), ansi_name);
    }
  }

  RegLastResult = key.Close();
  return result;
}

Variant basRegistry::ReadText(RegHandle key, const std::string& name, uint32_t size) {
  // The byte count doubles as the character count of a buffer of spaces.
  std::string buffer = ToAnsi(Text(size, L' '));
  uint32_t scratch_type = 0;
  uint32_t in_out_size = size;
  RegLastResult = registry_.QueryValueEx(key, name, nullptr, &scratch_type,
                                         reinterpret_cast<uint8_t*>(buffer.data()), &in_out_size);
  if (RegLastResult != 0) return Variant(Text());

  const Text text = FromAnsi(buffer);
  const auto nul = std::find(text.begin(), text.end(), L'\0');
  const int64_t position = nul == text.end() ? 0 : (nul - text.begin()) + 1;
  const int16_t nul_position = ToInt16(position);
  if (nul_position <= 0) return Variant(text);
  return Variant(text.substr(0, static_cast<size_t>(nul_position - 1)));
}

Variant basRegistry::ReadDword(RegHandle key, const std::string& name) {
  uint32_t value_type = 0;
  uint8_t number[4] = {};
  uint32_t in_out_size = sizeof number;
  RegLastResult = registry_.QueryValueEx(key, name, nullptr, &value_type, number, &in_out_size);
  if (RegLastResult != 0) return Variant(Text());
  const uint32_t bits = uint32_t{number[0]} | uint32_t{number[1]} << 8 | uint32_t{number[2]} << 16 |
                        uint32_t{number[3]} << 24;
  return Variant(static_cast<int32_t>(bits));
}

}  // namespace levorn
