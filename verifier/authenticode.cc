#include "verifier/authenticode.h"

#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <set>

#include "verifier/der.h"
#include "verifier/openssl_ptr.h"
#include "verifier/pe_image.h"

namespace levorn::verify {
namespace {

// What osslsigncode writes for `sign -h sha256 -n <description>` of a PE
// image (2.5 and 2.9 alike), as DER in hex.
constexpr std::string_view kSha256 = "300d06096086480165030402010500";
constexpr std::string_view kSignatureAlgorithms[] = {
    "300d06092a864886f70d0101010500",  // rsaEncryption
    "300a06082a8648ce3d040302",        // ecdsa-with-SHA256
};
// What a time-stamping authority may sign with: SHA-2 digests, their
// parameters NULL or absent, and RSA or ECDSA.
constexpr std::string_view kTokenDigests[] = {
    kSha256,
    "300b0609608648016503040201",
    "300d06096086480165030402020500",
    "300b0609608648016503040202",
    "300d06096086480165030402030500",
    "300b0609608648016503040203",
};
constexpr std::string_view kTokenSignatureAlgorithms[] = {
    "300d06092a864886f70d0101010500", "300d06092a864886f70d01010b0500",
    "300d06092a864886f70d01010c0500", "300d06092a864886f70d01010d0500",
    "300a06082a8648ce3d040302",       "300a06082a8648ce3d040303",
    "300a06082a8648ce3d040304",
};
// The signed content, all but the digest that follows (see SignedContent):
// osslsigncode 2.9 writes SpcPeImageData's flags as one bit string, 2.5 (and
// signtool) as an empty one.
constexpr std::string_view kIndirectDataBeforeDigest[] = {
    "3079060a2b060104018237020104a06b30693034060a2b06010401823702010f302603020780a020a21e801c"
    "003c003c003c004f00620073006f006c006500740065003e003e003e3031300d060960864801650304020105"
    "000420",
    "3078060a2b060104018237020104a06a30683033060a2b06010401823702010f3025030100a020a21e801c"
    "003c003c003c004f00620073006f006c006500740065003e003e003e3031300d060960864801650304020105"
    "000420",
};
// The digested content starts after the ContentInfo's, [0]'s and the
// SEQUENCE's headers and the type: the SEQUENCE's own contents.
constexpr size_t kDigestedFrom = 2 + 12 + 2 + 2;
constexpr std::string_view kContentTypeOid = "1.2.840.113549.1.9.3";
constexpr std::string_view kSigningTimeOid = "1.2.840.113549.1.9.5";
constexpr std::string_view kMessageDigestOid = "1.2.840.113549.1.9.4";
constexpr std::string_view kStatementTypeOid = "1.3.6.1.4.1.311.2.1.11";
constexpr std::string_view kOpusInfoOid = "1.3.6.1.4.1.311.2.1.12";
constexpr std::string_view kRfc3161TimestampOid = "1.3.6.1.4.1.311.3.3.1";
constexpr std::string_view kIndirectDataType = "060a2b060104018237020104";
constexpr std::string_view kIndividualCodeSigning = "300c060a2b060104018237020115";

Bytes FromHex(std::string_view hex) {
  Bytes bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  }
  return bytes;
}

template <class T, class Encode>
Bytes Der(const T* object, Encode encode) {
  const int length = encode(object, nullptr);
  if (length <= 0) return {};
  Bytes der(length);
  uint8_t* out = der.data();
  encode(object, &out);
  return der;
}
Bytes Der(const ASN1_TYPE* value) {
  return Der(value, [](const ASN1_TYPE* v, uint8_t** out) { return i2d_ASN1_TYPE(v, out); });
}
Bytes Der(const X509_ALGOR* algorithm) {
  return Der(algorithm, [](const X509_ALGOR* a, uint8_t** out) { return i2d_X509_ALGOR(a, out); });
}

Bytes Concat(Bytes head, std::span<const uint8_t> tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

Bytes Sha256(std::span<const uint8_t> data) {
  Bytes digest(EVP_MAX_MD_SIZE);
  unsigned int length = 0;
  EVP_Digest(data.data(), data.size(), digest.data(), &length, EVP_sha256(), nullptr);
  digest.resize(length);
  return digest;
}

std::string OidText(const ASN1_OBJECT* oid) {
  char text[128] = "";
  OBJ_obj2txt(text, sizeof text, oid, 1);
  return Escaped(text);
}

std::string Subject(X509* certificate) {
  BioPtr out(BIO_new(BIO_s_mem()));
  X509_NAME_print_ex(out.get(), X509_get_subject_name(certificate), 0, XN_FLAG_RFC2253);
  char* text = nullptr;
  const long length = BIO_get_mem_data(out.get(), &text);
  return Escaped(std::string_view(text, static_cast<size_t>(length)));
}

std::string Fingerprint(X509* certificate) {
  uint8_t digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  X509_digest(certificate, EVP_sha256(), digest, &length);
  std::string text;
  for (unsigned int i = 0; i < length; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, i ? ":%02X" : "%02X", digest[i]);
    text += hex;
  }
  return text;
}

std::optional<time_t> TimeOf(const ASN1_TIME* time) {
  struct tm parts = {};
  if (!time || ASN1_TIME_to_tm(time, &parts) != 1) return std::nullopt;
  return timegm(&parts);
}

std::string Utc(time_t time) {
  char text[32];
  struct tm parts;
  gmtime_r(&time, &parts);
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts);
  return text;
}

// The chain from `leaf` through `offered` to one of the CAs, at `when`,
// for `purpose` (0: any); empty with why where there is none.
CertificatesPtr Chain(X509* leaf, STACK_OF(X509) * offered, const Expectation& expected,
                      time_t when, int purpose, std::string& why) {
  Owned<X509_STORE_CTX, X509_STORE_CTX_free> context(X509_STORE_CTX_new());
  if (!context || X509_STORE_CTX_init(context.get(), expected.cas, leaf, offered) != 1) {
    why = "no room to build its chain";
    return nullptr;
  }
  X509_STORE_CTX_set_time(context.get(), 0, when);
  if (purpose) X509_STORE_CTX_set_purpose(context.get(), purpose);
  if (X509_verify_cert(context.get()) != 1) {
    why = X509_verify_cert_error_string(X509_STORE_CTX_get_error(context.get()));
    return nullptr;
  }
  return CertificatesPtr(X509_STORE_CTX_get1_chain(context.get()));
}

// What of `offered` is not in `chain`: a certificate set carries the chain
// and nothing else.
void RefuseStrangers(STACK_OF(X509) * offered, STACK_OF(X509) * chain, std::string_view whose,
                     Verdict& verdict) {
  for (int i = 0; i < sk_X509_num(offered); ++i) {
    X509* certificate = sk_X509_value(offered, i);
    for (int j = 0; j < i; ++j) {
      if (X509_cmp(certificate, sk_X509_value(offered, j)) == 0) {
        verdict.refusals.push_back("a certificate twice: " + Subject(certificate));
      }
    }
    bool ours = false;
    for (int j = 0; j < sk_X509_num(chain) && !ours; ++j) {
      ours = X509_cmp(certificate, sk_X509_value(chain, j)) == 0;
    }
    if (!ours) {
      verdict.refusals.push_back(std::string("a certificate that is not of ") + std::string(whose) +
                                 "'s chain: " + Subject(certificate));
    }
  }
}

bool ForCodeSigning(STACK_OF(X509) * chain) {
  // The root's purposes are its store's; the leaf's are always looked at.
  for (int i = 0; i == 0 || i + 1 < sk_X509_num(chain); ++i) {
    X509* certificate = sk_X509_value(chain, i);
    const uint32_t flags = X509_get_extension_flags(certificate);
    const bool restricted = flags & EXFLAG_XKUSAGE;
    if (i == 0 &&
        (!restricted || (flags & EXFLAG_CA) ||
         ((flags & EXFLAG_KUSAGE) && !(X509_get_key_usage(certificate) & KU_DIGITAL_SIGNATURE)))) {
      return false;
    }
    if (restricted && !(X509_get_extended_key_usage(certificate) & (XKU_CODE_SIGN | XKU_ANYEKU))) {
      return false;
    }
  }
  return true;
}

bool OneOf(const Bytes& der, std::span<const std::string_view> known) {
  return std::any_of(known.begin(), known.end(),
                     [&](std::string_view hex) { return der == FromHex(hex); });
}

// The parts of a signed-data that its signature does not cover, as a
// signing tool writes them.
struct Frame {
  long version;
  std::span<const std::string_view> digests;     // the one digest algorithm
  std::span<const std::string_view> algorithms;  // the signer's signature algorithm
  const char* digest_names;
};
constexpr Frame kReleaseFrame = {1, {&kSha256, 1}, kSignatureAlgorithms, "SHA-256"};
constexpr Frame kTokenFrame = {3, kTokenDigests, kTokenSignatureAlgorithms, "SHA-2"};

// What in `signed_data`'s frame is other than `frame`, a line each.
std::vector<std::string> FrameProblems(PKCS7_SIGNED* signed_data, const Frame& frame) {
  std::vector<std::string> problems;
  if (ASN1_INTEGER_get(signed_data->version) != frame.version) {
    problems.push_back("a signed-data of another version than " + std::to_string(frame.version));
  }
  const Bytes digest = sk_X509_ALGOR_num(signed_data->md_algs) == 1
                           ? Der(sk_X509_ALGOR_value(signed_data->md_algs, 0))
                           : Bytes();
  if (!OneOf(digest, frame.digests)) {
    problems.push_back(std::string("digest algorithms other than ") + frame.digest_names +
                       " alone");
  }
  if (signed_data->crl) problems.push_back("revocation lists in the signature");
  if (signed_data->cert && sk_X509_num(signed_data->cert) == 0) {
    problems.push_back("an empty set of certificates");
  }
  const int signers = std::max(0, sk_PKCS7_SIGNER_INFO_num(signed_data->signer_info));
  if (signers != 1) {
    problems.push_back("not one signer but " + std::to_string(signers));
    return problems;
  }
  PKCS7_SIGNER_INFO* signer = sk_PKCS7_SIGNER_INFO_value(signed_data->signer_info, 0);
  if (ASN1_INTEGER_get(signer->version) != 1 || !signer->issuer_and_serial) {
    problems.push_back("a signer not named by its certificate's issuer and serial number");
  }
  if (Der(signer->digest_alg) != digest) {
    problems.push_back("a signer's digest algorithm other than its signed-data's");
  }
  if (!OneOf(Der(signer->digest_enc_alg), frame.algorithms)) {
    problems.push_back("a signature algorithm that signing never writes");
  }
  if (signer->unauth_attr && sk_X509_ATTRIBUTE_num(signer->unauth_attr) == 0) {
    problems.push_back("an empty set of unsigned attributes");
  }
  return problems;
}

// Whether `signer` names `certificate` by its issuer and serial number as
// they stand in it, byte for byte: libcrypto's look-up folds case, spaces
// and string types, and what it folds away is room for anyone's bytes.
bool NamesExactly(PKCS7_SIGNER_INFO* signer, X509* certificate) {
  const auto name = [](const X509_NAME* n) {
    return Der(n, [](const X509_NAME* v, uint8_t** out) { return i2d_X509_NAME(v, out); });
  };
  return signer->issuer_and_serial &&
         name(signer->issuer_and_serial->issuer) == name(X509_get_issuer_name(certificate)) &&
         ASN1_INTEGER_cmp(signer->issuer_and_serial->serial, X509_get0_serialNumber(certificate)) ==
             0;
}

class Check {
 public:
  Check(const Expectation& expected, const PeLayout& layout, Verdict& verdict)
      : expected_(expected), layout_(layout), verdict_(verdict) {}

  void Signature(PKCS7* signature) {
    if (!PKCS7_type_is_signed(signature) || !signature->d.sign) {
      return Refuse("a signature that is no PKCS#7 signed-data");
    }
    PKCS7_SIGNED* signed_data = signature->d.sign;
    const std::vector<std::string> problems = FrameProblems(signed_data, kReleaseFrame);
    verdict_.refusals.insert(verdict_.refusals.end(), problems.begin(), problems.end());
    const Bytes content = Content(signed_data->contents);
    if (sk_PKCS7_SIGNER_INFO_num(signed_data->signer_info) != 1) return;
    Signer(sk_PKCS7_SIGNER_INFO_value(signed_data->signer_info, 0), signed_data->cert, content);
  }

 private:
  void Refuse(std::string what) { verdict_.refusals.push_back(std::move(what)); }

  // The content's DER when it is the indirect data of this build's digest,
  // as signing writes it; else refuses and gives it anyway, for the digest.
  Bytes Content(PKCS7* content) {
    Bytes der = Der(content, [](const PKCS7* c, uint8_t** out) { return i2d_PKCS7(c, out); });
    const Bytes digest = AuthenticodeDigest(expected_.build, layout_);
    const auto prefixed = [&](std::string_view prefix) {
      const Bytes before = FromHex(prefix);
      return der.size() == before.size() + digest.size() &&
             std::equal(before.begin(), before.end(), der.begin());
    };
    const auto shape = std::find_if(std::begin(kIndirectDataBeforeDigest),
                                    std::end(kIndirectDataBeforeDigest), prefixed);
    if (shape == std::end(kIndirectDataBeforeDigest)) {
      Refuse("signed content of another shape than a SHA-256 digest of a PE image alone");
    } else if (!std::equal(digest.begin(), digest.end(), der.end() - digest.size())) {
      Refuse("other bytes: its signature is over other bytes than this commit's build");
    }
    return der;
  }

  void Signer(PKCS7_SIGNER_INFO* signer, STACK_OF(X509) * certificates, const Bytes& content) {
    if (!signer->issuer_and_serial) return;
    SignedAttributes(signer->auth_attr, content);
    X509* certificate = X509_find_by_issuer_and_serial(
        certificates, signer->issuer_and_serial->issuer, signer->issuer_and_serial->serial);
    if (!certificate || !NamesExactly(signer, certificate)) {
      return Refuse("no certificate of its signer, named as it names it");
    }
    verdict_.signer = Subject(certificate);
    verdict_.fingerprint = Fingerprint(certificate);
    if (!SignedBy(signer, certificate)) Refuse("a signature value that does not verify");
    const std::optional<time_t> stamped = UnsignedAttributes(signer);
    std::string why;
    const time_t when = stamped.value_or(expected_.now);
    CertificatesPtr chain = Chain(certificate, certificates, expected_, when, 0, why);
    if (!chain) {
      Refuse("a signer that no trusted CA vouches for at " + Utc(when) + ": " + why);
    } else {
      if (!ForCodeSigning(chain.get())) Refuse("a signer's chain not for code signing");
      RefuseStrangers(certificates, chain.get(), "its signer", verdict_);
    }
    if (expected_.publisher && X509_cmp(certificate, expected_.publisher) != 0) {
      Refuse("another signer: not the pinned " + Subject(expected_.publisher) + " (" +
             Fingerprint(expected_.publisher) + ")");
    }
  }

  void SignedAttributes(STACK_OF(X509_ATTRIBUTE) * attributes, const Bytes& content) {
    const Bytes digested = content.size() > kDigestedFrom
                               ? Bytes(content.begin() + kDigestedFrom, content.end())
                               : Bytes();
    const std::pair<std::string_view, Bytes> wanted[] = {
        {kContentTypeOid, FromHex(kIndirectDataType)},
        {kStatementTypeOid, FromHex(kIndividualCodeSigning)},
        {kOpusInfoOid, OpusInfo(expected_.description)},
        {kMessageDigestOid, Bytes{0x04, 0x20}},
        {kSigningTimeOid, {}},
    };
    const int count = std::max(0, sk_X509_ATTRIBUTE_num(attributes));
    if (count != static_cast<int>(std::size(wanted))) {
      Refuse(std::to_string(count) + " signed attributes, where signing writes " +
             std::to_string(std::size(wanted)));
    }
    std::set<std::string> seen;
    Bytes previous;
    for (int i = 0; i < count; ++i) {
      X509_ATTRIBUTE* attribute = sk_X509_ATTRIBUTE_value(attributes, i);
      const std::string oid = OidText(X509_ATTRIBUTE_get0_object(attribute));
      const Bytes der = Der(attribute, [](const X509_ATTRIBUTE* a, uint8_t** out) {
        return i2d_X509_ATTRIBUTE(a, out);
      });
      if (!std::lexicographical_compare(previous.begin(), previous.end(), der.begin(), der.end())) {
        Refuse("signed attributes out of their DER order");
      }
      previous = der;
      if (!seen.insert(oid).second) {
        Refuse("a signed attribute twice: " + oid);
        continue;
      }
      const auto match = std::find_if(std::begin(wanted), std::end(wanted),
                                      [&](const auto& w) { return w.first == oid; });
      if (match == std::end(wanted)) {
        Refuse("a signed attribute that signing never writes: " + oid);
        continue;
      }
      if (X509_ATTRIBUTE_count(attribute) != 1) {
        Refuse("a signed attribute with more or fewer values than one: " + oid);
        continue;
      }
      ASN1_TYPE* value = X509_ATTRIBUTE_get0_type(attribute, 0);
      bool right = false;
      if (oid == kSigningTimeOid) {
        right = value->type == V_ASN1_UTCTIME && value->value.utctime->length == 13 &&
                ASN1_UTCTIME_check(value->value.utctime);
      } else if (oid == kMessageDigestOid) {
        right = Der(value) == Concat(match->second, Sha256(digested));
      } else {
        right = Der(value) == match->second;
      }
      if (!right) {
        Refuse(oid == kOpusInfoOid ? "a description other than \"" + expected_.description + "\""
               : oid == kMessageDigestOid ? "a message digest that is not of its content"
                                          : "a signed attribute of another value: " + oid);
      }
    }
  }

  static bool SignedBy(PKCS7_SIGNER_INFO* signer, X509* certificate) {
    // What is signed is the signed attributes as a SET, in DER.
    uint8_t* signed_bytes = nullptr;
    const int length = ASN1_item_i2d(reinterpret_cast<ASN1_VALUE*>(signer->auth_attr),
                                     &signed_bytes, ASN1_ITEM_rptr(PKCS7_ATTR_VERIFY));
    if (length <= 0) return false;
    Owned<EVP_MD_CTX, EVP_MD_CTX_free> context(EVP_MD_CTX_new());
    const bool verified = context &&
                          EVP_DigestVerifyInit(context.get(), nullptr, EVP_sha256(), nullptr,
                                               X509_get0_pubkey(certificate)) == 1 &&
                          EVP_DigestVerify(context.get(), signer->enc_digest->data,
                                           signer->enc_digest->length, signed_bytes, length) == 1;
    OPENSSL_free(signed_bytes);
    return verified;
  }

  // None, or one RFC 3161 timestamp token that verifies; its time if so.
  std::optional<time_t> UnsignedAttributes(PKCS7_SIGNER_INFO* signer) {
    const int count = sk_X509_ATTRIBUTE_num(signer->unauth_attr);
    if (count <= 0) return std::nullopt;  // none, or no set at all
    if (count > 1) {
      Refuse(std::to_string(count) + " unsigned attributes, where a release has one timestamp");
      return std::nullopt;
    }
    X509_ATTRIBUTE* attribute = sk_X509_ATTRIBUTE_value(signer->unauth_attr, 0);
    const std::string oid = OidText(X509_ATTRIBUTE_get0_object(attribute));
    ASN1_TYPE* value = X509_ATTRIBUTE_get0_type(attribute, 0);
    if (oid != kRfc3161TimestampOid) {
      Refuse("an unsigned attribute: " + oid);
      return std::nullopt;
    }
    if (X509_ATTRIBUTE_count(attribute) != 1 || value->type != V_ASN1_SEQUENCE) {
      Refuse("a timestamp attribute that holds other than one token");
      return std::nullopt;
    }
    const uint8_t* der = value->value.sequence->data;
    Pkcs7Ptr token(d2i_PKCS7(nullptr, &der, value->value.sequence->length));
    const std::optional<time_t> time =
        token ? Timestamp(token.get(), signer->enc_digest) : std::nullopt;
    if (!time) Refuse("a timestamp that does not verify: " + timestamp_problem_);
    return time;
  }

  // The time of a token made by a trusted time-stamping authority over
  // this signature's value, with nothing in it but what its shape needs.
  std::optional<time_t> Timestamp(PKCS7* token, const ASN1_OCTET_STRING* signature_value) {
    const auto fail = [&](std::string why) {
      timestamp_problem_ = std::move(why);
      return std::nullopt;
    };
    if (!PKCS7_type_is_signed(token) || !token->d.sign) return fail("no signed-data");
    PKCS7_SIGNED* signed_data = token->d.sign;
    if (const auto problems = FrameProblems(signed_data, kTokenFrame); !problems.empty()) {
      return fail(problems.front());
    }
    if (sk_PKCS7_SIGNER_INFO_value(signed_data->signer_info, 0)->unauth_attr) {
      return fail("unsigned attributes of its own");
    }
    const ASN1_OCTET_STRING* info =
        PKCS7_type_is_other(signed_data->contents) && signed_data->contents->d.other &&
                signed_data->contents->d.other->type == V_ASN1_OCTET_STRING
            ? signed_data->contents->d.other->value.octet_string
            : nullptr;
    if (!info) return fail("no time-stamp info");
    const std::string problem = DerProblem({info->data, static_cast<size_t>(info->length)});
    if (!problem.empty()) return fail("its time-stamp info is not DER: " + problem);
    Owned<TS_TST_INFO, TS_TST_INFO_free> tst(PKCS7_to_TS_TST_INFO(token));
    if (!tst) return fail("no time-stamp info");
    const X509_ALGOR* imprint_algorithm =
        TS_MSG_IMPRINT_get_algo(TS_TST_INFO_get_msg_imprint(tst.get()));
    if (Der(imprint_algorithm) != FromHex(kSha256)) return fail("an imprint other than SHA-256");
    const Bytes imprint =
        Sha256({signature_value->data, static_cast<size_t>(signature_value->length)});

    Owned<TS_VERIFY_CTX, TS_VERIFY_CTX_free> context(TS_VERIFY_CTX_new());
    uint8_t* owned_imprint = static_cast<uint8_t*>(OPENSSL_memdup(imprint.data(), imprint.size()));
    TS_VERIFY_CTX_set_flags(context.get(), TS_VFY_VERSION | TS_VFY_SIGNATURE | TS_VFY_IMPRINT);
    X509_STORE_up_ref(expected_.cas);
    // OpenSSL 3.4 renamed the setters that take what they are given.
#if OPENSSL_VERSION_NUMBER >= 0x30400000L
    TS_VERIFY_CTX_set0_imprint(context.get(), owned_imprint, static_cast<long>(imprint.size()));
    TS_VERIFY_CTX_set0_store(context.get(), expected_.cas);
#else
    TS_VERIFY_CTX_set_imprint(context.get(), owned_imprint, static_cast<long>(imprint.size()));
    TS_VERIFY_CTX_set_store(context.get(), expected_.cas);
#endif
    if (TS_RESP_verify_token(context.get(), token) != 1) {
      return fail("not signed over this signature by a time-stamping authority the CAs vouch for");
    }
    BorrowedCertificatesPtr signers(PKCS7_get0_signers(token, nullptr, 0));
    if (sk_X509_num(signers.get()) != 1) return fail("not one signer");
    X509* authority = sk_X509_value(signers.get(), 0);
    if (!NamesExactly(sk_PKCS7_SIGNER_INFO_value(signed_data->signer_info, 0), authority)) {
      return fail("its signer named otherwise than its certificate names it");
    }
    if (X509_get_extension_flags(authority) & EXFLAG_CA)
      return fail("an authority whose certificate is a CA's");
    const std::optional<time_t> time = TimeOf(TS_TST_INFO_get_time(tst.get()));
    if (!time) return fail("no time");
    // Its authority's certificate must have been valid when it says it stamped.
    std::string why;
    CertificatesPtr chain =
        Chain(authority, signed_data->cert, expected_, *time, X509_PURPOSE_TIMESTAMP_SIGN, why);
    if (!chain) return fail("its authority's chain at " + Utc(*time) + ": " + why);
    RefuseStrangers(signed_data->cert, chain.get(), "its time-stamping authority", verdict_);
    verdict_.timestamp = Utc(*time);
    verdict_.time_stamper = Subject(authority);
    return time;
  }

  const Expectation& expected_;
  const PeLayout& layout_;
  Verdict& verdict_;
  std::string timestamp_problem_;
};

// What sets `copy` apart from `attached`, the build with the copy's
// signature attached: padding in its certificate table (the room
// CVE-2013-3900 is about), a changed checksum, or other bytes.
std::string ByteFinding(std::span<const uint8_t> copy, const Bytes& attached,
                        const PeLayout& layout) {
  const CertificateTable ours = ReadCertificateTable(attached, layout);
  const bool has_headers = copy.size() >= layout.certificate_entry_at + 8;
  const CertificateTable theirs = has_headers ? ReadCertificateTable(copy, layout) : ours;
  if (theirs.offset == ours.offset && theirs.size > ours.size) {
    return "padding: its certificate table holds " + std::to_string(theirs.size - ours.size) +
           " bytes more than its signature";
  }
  size_t differ = 0, first = std::min(copy.size(), attached.size());
  bool only_checksum = copy.size() == attached.size();
  for (size_t i = 0; i < std::min(copy.size(), attached.size()); ++i) {
    if (copy[i] == attached[i]) continue;
    ++differ;
    first = std::min(first, i);
    only_checksum = only_checksum && i >= layout.checksum_at && i < layout.checksum_at + 4;
  }
  char text[160];
  if (only_checksum) {
    const auto stored = [&](std::span<const uint8_t> image) {
      uint32_t sum = 0;
      for (int i = 3; i >= 0; --i) sum = sum << 8 | image[layout.checksum_at + i];
      return sum;
    };
    std::snprintf(text, sizeof text,
                  "a changed checksum: %08X, where the build with its signature has %08X",
                  stored(copy), stored(attached));
    return text;
  }
  std::snprintf(
      text, sizeof text,
      "other bytes: %zu differ from the build with its signature, the first at offset %zu; "
      "%zu bytes, where it has %zu",
      differ, first, copy.size(), attached.size());
  return text;
}

}  // namespace

Bytes SignedContent(std::span<const uint8_t> digest) {
  return Concat(FromHex(kIndirectDataBeforeDigest[0]), digest);
}

Bytes OpusInfo(std::string_view description) {
  Bytes name = {0x81, static_cast<uint8_t>(description.size())};
  name.insert(name.end(), description.begin(), description.end());
  const Bytes program = Concat({0xa0, static_cast<uint8_t>(name.size())}, name);
  return Concat({0x30, static_cast<uint8_t>(program.size())}, program);
}

std::string Escaped(std::string_view text) {
  std::string escaped;
  for (const unsigned char c : text) {
    if (c >= 0x20 && c < 0x7f) {
      escaped += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      escaped += hex;
    }
  }
  return escaped;
}

Verdict VerifyRelease(std::span<const uint8_t> copy, const Expectation& expected) {
  Verdict verdict;
  std::string why;
  const std::optional<PeLayout> layout = ReadPeLayout(expected.build, why);
  if (!layout || ReadCertificateTable(expected.build, *layout).size != 0) {
    verdict.refusals.push_back("a build that is no unsigned PE image");
    return verdict;
  }
  if (copy.size() > kMaxImage) {
    verdict.refusals.push_back("a file of more than " + std::to_string(kMaxImage >> 20) + " MiB");
    return verdict;
  }
  const std::optional<PeLayout> copy_layout = ReadPeLayout(copy, why);
  const std::optional<Bytes> signature =
      copy_layout ? ExtractSignature(copy, *copy_layout) : std::nullopt;
  if (!signature) {
    verdict.refusals.push_back("no Authenticode signature");
    return verdict;
  }
  if (signature->size() > kMaxSignature) {
    verdict.refusals.push_back("a signature of " + std::to_string(signature->size()) + " bytes");
    return verdict;
  }
  const Bytes attached = AttachSignature(expected.build, *layout, *signature);
  if (!std::equal(copy.begin(), copy.end(), attached.begin(), attached.end())) {
    verdict.refusals.push_back(ByteFinding(copy, attached, *layout));
  }
  if (const std::string problem = DerProblem(*signature); !problem.empty()) {
    verdict.refusals.push_back("a signature that is not DER: " + problem);
    return verdict;
  }
  const uint8_t* der = signature->data();
  Pkcs7Ptr parsed(d2i_PKCS7(nullptr, &der, static_cast<long>(signature->size())));
  if (!parsed || der != signature->data() + signature->size()) {
    verdict.refusals.push_back("a signature that is no PKCS#7 structure");
    return verdict;
  }
  const Bytes again =
      Der(parsed.get(), [](const PKCS7* p, uint8_t** out) { return i2d_PKCS7(p, out); });
  if (again != *signature)
    verdict.refusals.push_back("a signature that is not in its one DER form");
  Check(expected, *layout, verdict).Signature(parsed.get());
  return verdict;
}

}  // namespace levorn::verify
