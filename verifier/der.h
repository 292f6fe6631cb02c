// Strict DER, checked before OpenSSL reads a byte of a signature. OpenSSL's
// readers take BER too, and keep some parts of what they read (certificate
// bodies, values of type ANY) as they came, so anything looser than DER
// would otherwise reach every check after them.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace levorn::verify {

// Elements nest no deeper than this in any signature a signing tool writes.
inline constexpr int kMaxDerDepth = 24;

// Why `der` is not exactly one element in distinguished encoding, with its
// byte offset, or "" when it is one.
std::string DerProblem(std::span<const uint8_t> der);

}  // namespace levorn::verify
