#include "verifier/der.h"

#include <optional>

namespace levorn::verify {
namespace {

class Reader {
 public:
  explicit Reader(std::span<const uint8_t> der) : der_(der) {}

  // Checks the element at `at`, which must end by `end`, and moves past it.
  bool Element(size_t& at, size_t end, int depth) {
    const size_t start = at;
    if (depth > kMaxDerDepth)
      return Fail("nesting deeper than " + std::to_string(kMaxDerDepth), at);
    if (end - at < 2) return Fail("a truncated element", at);
    const uint8_t tag = der_[at++];
    if ((tag & 0x1f) == 0x1f) return Fail("a high tag number", start);
    const bool constructed = tag & 0x20;
    if ((tag & 0xc0) == 0) {  // universal: only SEQUENCE and SET are constructed in DER
      const int number = tag & 0x1f;
      if (number == 0) return Fail("an end-of-contents marker", start);
      if ((number == 16 || number == 17) != constructed) {
        return Fail(constructed ? "a constructed string" : "a primitive SEQUENCE or SET", start);
      }
    }
    const std::optional<size_t> length = Length(at, end);
    if (!length) return false;
    if (*length > end - at) return Fail("a length beyond what holds it", start);
    const size_t content = at;
    at += *length;
    return !constructed || Elements(content, at, depth + 1);
  }

  const std::string& problem() const { return problem_; }

 private:
  bool Fail(std::string what, size_t at) {
    problem_ = what + " at byte " + std::to_string(at);
    return false;
  }

  // Checks the elements that fill [at, end) exactly.
  bool Elements(size_t at, size_t end, int depth) {
    while (at < end) {
      if (!Element(at, end, depth)) return false;
    }
    return true;
  }

  std::optional<size_t> Length(size_t& at, size_t end) {
    const size_t start = at;
    const uint8_t first = der_[at++];
    if (first < 0x80) return first;
    if (first == 0x80) return Fail("an indefinite length", start), std::nullopt;
    const size_t bytes = first & 0x7f;
    if (bytes > 4)
      return Fail("a length of " + std::to_string(bytes) + " bytes", start), std::nullopt;
    if (end - at < bytes) return Fail("a truncated length", start), std::nullopt;
    size_t length = 0;
    for (size_t i = 0; i < bytes; ++i) length = length << 8 | der_[at++];
    if (der_[start + 1] == 0 || length < 0x80) {
      return Fail("a length not in its shortest form", start), std::nullopt;
    }
    return length;
  }

  std::span<const uint8_t> der_;
  std::string problem_;
};

}  // namespace

std::string DerProblem(std::span<const uint8_t> der) {
  Reader reader(der);
  size_t at = 0;
  if (!reader.Element(at, der.size(), 0)) return reader.problem();
  if (at != der.size()) return "bytes after its end at byte " + std::to_string(at);
  return "";
}

}  // namespace levorn::verify
