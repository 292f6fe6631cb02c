#ifndef LEVORN_BASE_VARIANT_H_
#define LEVORN_BASE_VARIANT_H_

#include <cstdint>
#include <string>
#include <variant>

#include "base/text.h"

namespace levorn {

// A tagged value of the three shapes the program uses: empty, text and a
// signed 32-bit integer.
class Variant {
 public:
  Variant() = default;
  explicit Variant(Text text) : value_(std::move(text)) {}
  explicit Variant(int32_t number) : value_(number) {}

  bool IsText() const { return std::holds_alternative<Text>(value_); }
  const Text& AsText() const { return std::get<Text>(value_); }

  // The variant as text: a text unchanged, an integer in decimal, empty as "".
  Text ToText() const {
    if (const auto* number = std::get_if<int32_t>(&value_)) return std::to_wstring(*number);
    return IsText() ? AsText() : Text();
  }

  bool operator==(const Variant&) const = default;

 private:
  std::variant<std::monostate, Text, int32_t> value_;
};

}  // namespace levorn

#endif  // LEVORN_BASE_VARIANT_H_
