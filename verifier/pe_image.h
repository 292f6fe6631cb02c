// The parts of a PE image that an Authenticode signature covers or lives in.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace levorn::verify {

using Bytes = std::vector<uint8_t>;

// Where the header fields that signing changes stand in one PE image.
struct PeLayout {
  size_t checksum_at;           // the optional header's CheckSum
  size_t certificate_entry_at;  // the certificate table's data directory entry
};

// The layout of `image`, or nullopt with why it is no PE image.
std::optional<PeLayout> ReadPeLayout(std::span<const uint8_t> image, std::string& why);

// The certificate table's offset and size as the image's directory gives them.
struct CertificateTable {
  uint32_t offset;
  uint32_t size;
};
CertificateTable ReadCertificateTable(std::span<const uint8_t> image, const PeLayout& layout);

// The image's checksum, computed as the loader and signing tools compute it.
uint32_t PeChecksum(std::span<const uint8_t> image, const PeLayout& layout);

// `unsigned_image` with the DER signature attached as osslsigncode attaches
// it: the image padded with zeros to 8 bytes, one WIN_CERTIFICATE (revision
// 2.0, PKCS#7 signed data) padded likewise, the directory entry pointing at
// it and the checksum made anew.
Bytes AttachSignature(std::span<const uint8_t> unsigned_image, const PeLayout& layout,
                      std::span<const uint8_t> signature);

// The signature that the image's certificate table holds, as attached above,
// or nullopt when it holds none that can be told apart from the rest.
std::optional<Bytes> ExtractSignature(std::span<const uint8_t> image, const PeLayout& layout);

// The SHA-256 Authenticode digest of an unsigned image: every byte but the
// checksum and the certificate entry, with the padding that signing adds.
Bytes AuthenticodeDigest(std::span<const uint8_t> unsigned_image, const PeLayout& layout);

}  // namespace levorn::verify
