#include "verifier/pe_image.h"

#include <openssl/evp.h>

namespace levorn::verify {
namespace {

constexpr uint16_t kRevision2 = 0x0200;
constexpr uint16_t kPkcsSignedData = 0x0002;

uint32_t Get(std::span<const uint8_t> bytes, size_t at, int width) {
  uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = value << 8 | bytes[at + i];
  return value;
}

void Put32(Bytes& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

size_t PaddedTo8(size_t size) { return (size + 7) / 8 * 8; }

}  // namespace

std::optional<PeLayout> ReadPeLayout(std::span<const uint8_t> image, std::string& why) {
  why = "no PE image";
  if (image.size() < 64 || image[0] != 'M' || image[1] != 'Z') return std::nullopt;
  const size_t pe = Get(image, 60, 4);
  // The signature, the file header and the optional header up to its five
  // first data directories.
  if (pe > image.size() || image.size() - pe < 24 + 96 + 5 * 8 + 16) return std::nullopt;
  if (Get(image, pe, 4) != 0x00004550) return std::nullopt;
  const uint16_t magic = Get(image, pe + 24, 2);
  if (magic != 0x10b && magic != 0x20b) return std::nullopt;
  const size_t wide = magic == 0x20b ? 16 : 0;  // PE32+ has 64-bit fields before the directories
  if (Get(image, pe + 24 + 92 + wide, 4) < 5) return std::nullopt;  // no certificate entry
  why.clear();
  return PeLayout{pe + 88, pe + 152 + wide};
}

CertificateTable ReadCertificateTable(std::span<const uint8_t> image, const PeLayout& layout) {
  return {Get(image, layout.certificate_entry_at, 4),
          Get(image, layout.certificate_entry_at + 4, 4)};
}

uint32_t PeChecksum(std::span<const uint8_t> image, const PeLayout& layout) {
  uint32_t sum = 0;
  for (size_t at = 0; at + 1 < image.size(); at += 2) {
    if (at == layout.checksum_at || at == layout.checksum_at + 2) continue;
    sum += Get(image, at, 2);
    sum = (sum & 0xffff) + (sum >> 16);
  }
  sum = (sum & 0xffff) + (sum >> 16);
  return sum + static_cast<uint32_t>(image.size() & ~size_t{1});
}

Bytes AttachSignature(std::span<const uint8_t> unsigned_image, const PeLayout& layout,
                      std::span<const uint8_t> signature) {
  Bytes image(unsigned_image.begin(), unsigned_image.end());
  image.resize(PaddedTo8(image.size()));
  const size_t table = image.size(), size = 8 + PaddedTo8(signature.size());
  image.resize(table + size);
  Put32(image, table, static_cast<uint32_t>(size));
  image[table + 4] = kRevision2 & 0xff, image[table + 5] = kRevision2 >> 8;
  image[table + 6] = kPkcsSignedData, image[table + 7] = 0;
  std::copy(signature.begin(), signature.end(), image.begin() + table + 8);
  Put32(image, layout.certificate_entry_at, static_cast<uint32_t>(table));
  Put32(image, layout.certificate_entry_at + 4, static_cast<uint32_t>(size));
  Put32(image, layout.checksum_at, 0);
  Put32(image, layout.checksum_at, PeChecksum(image, layout));
  return image;
}

std::optional<Bytes> ExtractSignature(std::span<const uint8_t> image, const PeLayout& layout) {
  const CertificateTable table = ReadCertificateTable(image, layout);
  if (table.size < 8 + 2 || table.offset > image.size() || image.size() - table.offset < table.size)
    return std::nullopt;
  const auto entry = image.subspan(table.offset, table.size);
  if (Get(entry, 4, 2) != kRevision2 || Get(entry, 6, 2) != kPkcsSignedData) return std::nullopt;
  // The signature ends where its outermost element says, where that is
  // said in a way DER allows and within the table; what follows it is the
  // byte comparison's to judge, and anything else the DER check's.
  const auto der = entry.subspan(8);
  size_t end = der.size(), header = 2, length = der[1];
  const size_t bytes = length & 0x80 ? length & 0x7f : 0;
  if (bytes <= 4 && header + bytes <= der.size()) {
    if (bytes) length = 0;
    for (size_t i = 0; i < bytes; ++i) length = length << 8 | der[header + i];
    header += bytes;
    if (!(der[1] == 0x80) && length <= der.size() - header) end = header + length;
  }
  return Bytes(der.begin(), der.begin() + end);
}

Bytes AuthenticodeDigest(std::span<const uint8_t> unsigned_image, const PeLayout& layout) {
  Bytes covered;
  const auto take = [&](size_t from, size_t to) {
    covered.insert(covered.end(), unsigned_image.begin() + from, unsigned_image.begin() + to);
  };
  take(0, layout.checksum_at);
  take(layout.checksum_at + 4, layout.certificate_entry_at);
  take(layout.certificate_entry_at + 8, unsigned_image.size());
  covered.resize(covered.size() + PaddedTo8(unsigned_image.size()) - unsigned_image.size());
  Bytes digest(EVP_MAX_MD_SIZE);
  unsigned int length = 0;
  EVP_Digest(covered.data(), covered.size(), digest.data(), &length, EVP_sha256(), nullptr);
  digest.resize(length);
  return digest;
}

}  // namespace levorn::verify
