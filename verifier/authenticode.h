// The proof of a signed release: that a file is this commit's build with one
// Authenticode signature attached, of exactly the shape scripts/release
// writes, by a signer the trusted CAs vouch for. Everything it reports comes
// from the structures it parsed and checked, never from a tool's printout.
#pragma once

#include <openssl/x509.h>

#include <ctime>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "verifier/pe_image.h"

namespace levorn::verify {

// Signatures and files beyond these sizes are no release of ours.
inline constexpr size_t kMaxSignature = 256 * 1024;
inline constexpr size_t kMaxImage = 64 * 1024 * 1024;

struct Expectation {
  std::span<const uint8_t> build;  // this commit's build, unsigned
  std::string description;         // the program name signed with (osslsigncode -n)
  X509_STORE* cas;                 // trusted for code signing and for time-stamping
  X509* publisher;                 // the one signer accepted; null: any the CAs vouch for
  time_t now;                      // the time the chain is judged at, without a timestamp
};

struct Verdict {
  std::vector<std::string> refusals;  // what was found that a release never holds
  std::string signer;                 // the signing certificate's subject
  std::string fingerprint;            // its SHA-256, as AA:BB:...
  std::string timestamp;              // the verified timestamp's time, or ""
  std::string time_stamper;           // the subject of the authority that made it
  bool accepted() const { return refusals.empty(); }
};

Verdict VerifyRelease(std::span<const uint8_t> copy, const Expectation& expected);

// The content a signature of ours signs for an image of Authenticode
// digest `digest`: ContentInfo { SpcIndirectDataContent, [0] {
// SpcPeImageData { flags, file "<<<Obsolete>>>" }, DigestInfo { SHA-256,
// digest } } }, as osslsigncode writes it.
Bytes SignedContent(std::span<const uint8_t> digest);

// SpcSpOpusInfo { programName [0] { ascii [1] description } }, no URL: the
// description signed with osslsigncode's -n, of at most 100 characters.
Bytes OpusInfo(std::string_view description);

// `text` with every byte outside printable ASCII as \xNN.
std::string Escaped(std::string_view text);

}  // namespace levorn::verify
