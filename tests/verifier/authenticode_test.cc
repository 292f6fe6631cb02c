// The proof of a signed release, on signatures made here with libcrypto: a
// CA-shaped chain (root, intermediate, leaves, a time-stamping authority),
// each rule of the proof accepted once and refused once, and malformed
// signatures refused with a reason.
#include "verifier/authenticode.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/rsa.h>
#include <openssl/x509v3.h>

#include <functional>
#include <string>
#include <vector>

#include "verifier/openssl_ptr.h"

namespace levorn::verify {
namespace {

constexpr time_t kDay = 24 * 3600;
using KeyPtr = Owned<EVP_PKEY, EVP_PKEY_free>;

struct Party {
  KeyPtr key;
  X509Ptr certificate;
};

// A certificate for `subject`, valid from `from` to `to` days from now,
// issued by `issuer` (itself when null), with extensions "name=value".
Party Issue(const char* subject, const Party* issuer, std::vector<std::string> extensions,
            long from = -1, long to = 365) {
  static long serial = 1;
  Party party{KeyPtr(EVP_RSA_gen(2048)), X509Ptr(X509_new())};
  X509* certificate = party.certificate.get();
  X509_set_version(certificate, X509_VERSION_3);
  ASN1_INTEGER_set(X509_get_serialNumber(certificate), serial++);
  X509_NAME_add_entry_by_txt(X509_get_subject_name(certificate), "CN", MBSTRING_ASC,
                             reinterpret_cast<const uint8_t*>(subject), -1, -1, 0);
  const Party& signer = issuer ? *issuer : party;
  X509_set_issuer_name(certificate, X509_get_subject_name(signer.certificate.get()));
  X509_time_adj_ex(X509_getm_notBefore(certificate), from, 0, nullptr);
  X509_time_adj_ex(X509_getm_notAfter(certificate), to, 0, nullptr);
  X509_set_pubkey(certificate, party.key.get());
  X509V3_CTX context;
  X509V3_set_ctx(&context, signer.certificate.get(), certificate, nullptr, nullptr, 0);
  extensions.push_back("subjectKeyIdentifier=hash");
  if (issuer) extensions.push_back("authorityKeyIdentifier=keyid");
  for (const std::string& extension : extensions) {
    const size_t equals = extension.find('=');
    X509_EXTENSION* made = X509V3_EXT_conf(nullptr, &context, extension.substr(0, equals).c_str(),
                                           extension.substr(equals + 1).c_str());
    X509_add_ext(certificate, made, -1);
    X509_EXTENSION_free(made);
  }
  X509_sign(certificate, signer.key.get(), EVP_sha256());
  return party;
}

const std::vector<std::string> kCa = {"basicConstraints=critical,CA:true",
                                      "keyUsage=critical,keyCertSign,cRLSign"};
const std::vector<std::string> kLeaf = {
    "basicConstraints=CA:false", "keyUsage=critical,digitalSignature",
    "extendedKeyUsage=codeSigning", "crlDistributionPoints=URI:http://127.0.0.1:9/ca.crl",
    "authorityInfoAccess=OCSP;URI:http://127.0.0.1:9/ocsp"};

struct Chains {
  Party root = Issue("Test Root", nullptr, kCa, -30, 3650);
  Party intermediate = Issue("Test Code Signing CA", &root, kCa, -30, 1825);
  Party publisher = Issue("Levorn release test", &intermediate, kLeaf, -1, 2);
  Party other = Issue("Another company", &intermediate, kLeaf);
  Party server = Issue("A web server", &intermediate,
                       {"basicConstraints=CA:false", "extendedKeyUsage=serverAuth"});
  Party tsa = Issue("Test TSA", &intermediate,
                    {"basicConstraints=CA:false", "extendedKeyUsage=critical,timeStamping"});
  Party ca_tsa = Issue("A TSA that is a CA", &intermediate,
                       {"basicConstraints=critical,CA:true", "keyUsage=critical,digitalSignature",
                        "extendedKeyUsage=critical,timeStamping"});
  Party stranger_root = Issue("Stranger Root", nullptr, kCa, -30, 3650);
  Party stranger = Issue("Stranger", &stranger_root, kLeaf);
  Party stranger_tsa =
      Issue("Stranger TSA", &stranger_root,
            {"basicConstraints=CA:false", "extendedKeyUsage=critical,timeStamping"});
  StorePtr cas{X509_STORE_new()};
  Chains() { X509_STORE_add_cert(cas.get(), root.certificate.get()); }
};
Chains& Pki() {
  static Chains* chains = new Chains;  // made once: key generation is the slow part
  return *chains;
}

// A small PE32 image: the headers up to the certificate entry, then code.
Bytes Build(uint8_t fill = 0x90) {
  Bytes image(1027, fill);
  std::fill(image.begin(), image.begin() + 0x200, 0);
  image[0] = 'M', image[1] = 'Z', image[60] = 0x80;
  image[0x80] = 'P', image[0x81] = 'E';
  image[0x80 + 24] = 0x0b, image[0x80 + 25] = 0x01;  // PE32
  image[0x80 + 24 + 92] = 16;                        // data directories
  return image;
}

// An RFC 3161 token by `tsa`, with the intermediate, over SHA-256 of `data`.
Pkcs7Ptr Token(const Party& tsa, std::span<const uint8_t> data) {
  uint8_t digest[32];
  EVP_Digest(data.data(), data.size(), digest, nullptr, EVP_sha256(), nullptr);
  Owned<TS_REQ, TS_REQ_free> request(TS_REQ_new());
  Owned<TS_MSG_IMPRINT, TS_MSG_IMPRINT_free> imprint(TS_MSG_IMPRINT_new());
  Owned<X509_ALGOR, X509_ALGOR_free> algorithm(X509_ALGOR_new());
  X509_ALGOR_set0(algorithm.get(), OBJ_nid2obj(NID_sha256), V_ASN1_NULL, nullptr);
  TS_MSG_IMPRINT_set_algo(imprint.get(), algorithm.get());
  TS_MSG_IMPRINT_set_msg(imprint.get(), digest, sizeof digest);
  TS_REQ_set_version(request.get(), 1);
  TS_REQ_set_msg_imprint(request.get(), imprint.get());
  TS_REQ_set_cert_req(request.get(), 1);
  BioPtr encoded(BIO_new(BIO_s_mem()));
  i2d_TS_REQ_bio(encoded.get(), request.get());
  Owned<TS_RESP_CTX, TS_RESP_CTX_free> context(TS_RESP_CTX_new());
  TS_RESP_CTX_set_signer_cert(context.get(), tsa.certificate.get());
  TS_RESP_CTX_set_signer_key(context.get(), tsa.key.get());
  TS_RESP_CTX_set_signer_digest(context.get(), EVP_sha256());
  Owned<ASN1_OBJECT, ASN1_OBJECT_free> policy(OBJ_txt2obj("1.3.6.1.4.1.4146.2.3", 1));
  TS_RESP_CTX_set_def_policy(context.get(), policy.get());
  TS_RESP_CTX_add_md(context.get(), EVP_sha256());
  CertificatesPtr chain(sk_X509_new_null());
  sk_X509_push(chain.get(), X509_dup(Pki().intermediate.certificate.get()));
  TS_RESP_CTX_set_certs(context.get(), chain.get());
  Owned<TS_RESP, TS_RESP_free> response(TS_RESP_create_response(context.get(), encoded.get()));
  return Pkcs7Ptr(PKCS7_dup(TS_RESP_get_token(response.get())));
}

// Appended as it stands, beside any attribute of the same type.
void AddUnsigned(PKCS7_SIGNER_INFO* signer, const char* oid, const Bytes& value) {
  if (!signer->unauth_attr) signer->unauth_attr = sk_X509_ATTRIBUTE_new_null();
  sk_X509_ATTRIBUTE_push(signer->unauth_attr,
                         X509_ATTRIBUTE_create_by_txt(nullptr, oid, V_ASN1_SEQUENCE, value.data(),
                                                      static_cast<int>(value.size())));
}

Bytes Der(PKCS7* p7) {
  Bytes der(i2d_PKCS7(p7, nullptr));
  uint8_t* out = der.data();
  i2d_PKCS7(p7, &out);
  return der;
}

constexpr char kTimestampOid[] = "1.3.6.1.4.1.311.3.3.1";

// How a row's copy differs from what scripts/release writes.
struct Twist {
  const Party* signer = &Pki().publisher;
  const EVP_MD* digest = EVP_sha256();
  std::string description = "Levorn Setup";
  std::function<void(PKCS7_SIGNER_INFO*)> before_signing = [](auto*) {};
  const Party* tsa = nullptr;
  std::function<void(PKCS7*, PKCS7_SIGNER_INFO*)> after_signing = [](auto*, auto*) {};
  std::function<void(Bytes&)> der = [](Bytes&) {};
  uint8_t build = 0x90;  // what the signed build is filled with
};

Bytes SignedCopy(const Twist& twist) {
  const Bytes build = Build(twist.build);
  std::string why;
  const PeLayout layout = *ReadPeLayout(build, why);
  Pkcs7Ptr p7(PKCS7_new());
  PKCS7_set_type(p7.get(), NID_pkcs7_signed);
  PKCS7_SIGNER_INFO* signer = PKCS7_add_signature(p7.get(), twist.signer->certificate.get(),
                                                  twist.signer->key.get(), twist.digest);
  PKCS7_add_certificate(p7.get(), twist.signer->certificate.get());
  PKCS7_add_certificate(p7.get(), Pki().intermediate.certificate.get());
  const Bytes content = SignedContent(AuthenticodeDigest(build, layout));
  const uint8_t* in = content.data();
  PKCS7_set_content(p7.get(), d2i_PKCS7(nullptr, &in, static_cast<long>(content.size())));
  PKCS7_add_signed_attribute(signer, NID_pkcs9_contentType, V_ASN1_OBJECT,
                             OBJ_txt2obj("1.3.6.1.4.1.311.2.1.4", 1));
  const Bytes statement = {0x30, 0x0c, 0x06, 0x0a, 0x2b, 0x06, 0x01,
                           0x04, 0x01, 0x82, 0x37, 0x02, 0x01, 0x15};
  X509at_add1_attr_by_txt(&signer->auth_attr, "1.3.6.1.4.1.311.2.1.11", V_ASN1_SEQUENCE,
                          statement.data(), static_cast<int>(statement.size()));
  const Bytes opus = OpusInfo(twist.description);
  X509at_add1_attr_by_txt(&signer->auth_attr, "1.3.6.1.4.1.311.2.1.12", V_ASN1_SEQUENCE,
                          opus.data(), static_cast<int>(opus.size()));
  PKCS7_add0_attrib_signing_time(signer, nullptr);
  uint8_t digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(content.data() + 18, content.size() - 18, digest, &length, twist.digest, nullptr);
  PKCS7_add1_attrib_digest(signer, digest, static_cast<int>(length));
  twist.before_signing(signer);
  PKCS7_SIGNER_INFO_sign(signer);
  if (twist.tsa) {
    Pkcs7Ptr token =
        Token(*twist.tsa, {signer->enc_digest->data, size_t(signer->enc_digest->length)});
    AddUnsigned(signer, kTimestampOid, Der(token.get()));
  }
  twist.after_signing(p7.get(), signer);
  Bytes der = Der(p7.get());
  twist.der(der);
  return AttachSignature(build, layout, der);
}

struct Row {
  const char* what;
  Twist twist;
  const char* refusal;  // "" where it is accepted
  X509* publisher = nullptr;
  time_t later = 0;  // how long after now it is judged
};

// An unsigned attribute added after signing, holding `value`.
auto Unsigned(const char* oid, Bytes value) {
  return [=](PKCS7*, PKCS7_SIGNER_INFO* signer) { AddUnsigned(signer, oid, value); };
}
Bytes TokenOver(const Bytes& data) { return Der(Token(Pki().tsa, data).get()); }
Bytes Nested(int depth) {
  Bytes value;
  while (depth--)
    value.insert(value.begin(), {0x30, 0x82, uint8_t(value.size() >> 8), uint8_t(value.size())});
  return value;
}
void AddRevocationList(PKCS7* p7, PKCS7_SIGNER_INFO*) {
  Owned<X509_CRL, X509_CRL_free> crl(X509_CRL_new());
  X509_CRL_set_issuer_name(crl.get(), X509_get_subject_name(Pki().intermediate.certificate.get()));
  Owned<ASN1_TIME, ASN1_TIME_free> now(ASN1_TIME_set(nullptr, time(nullptr)));
  X509_CRL_set1_lastUpdate(crl.get(), now.get());
  X509_CRL_sign(crl.get(), Pki().intermediate.key.get(), EVP_sha256());
  PKCS7_add_crl(p7, crl.get());
}
void AddDigestAlgorithm(PKCS7* p7, PKCS7_SIGNER_INFO*) {
  X509_ALGOR* md5 = X509_ALGOR_new();
  X509_ALGOR_set0(md5, OBJ_nid2obj(NID_md5), V_ASN1_NULL, nullptr);
  sk_X509_ALGOR_push(p7->d.sign->md_algs, md5);
}
void AddEmail(PKCS7_SIGNER_INFO* signer) {
  PKCS7_add_signed_attribute(signer, NID_pkcs9_emailAddress, V_ASN1_IA5STRING,
                             ASN1_IA5STRING_new());
}
void Indefinite(Bytes& der) {
  der.erase(der.begin() + 1, der.begin() + 4);
  der.insert(der.begin() + 1, 0x80);
  der.insert(der.end(), {0, 0});
}

// Rewrites the timestamp token of a signature after signing.
auto InToken(void (*tamper)(PKCS7*)) {
  return [=](PKCS7*, PKCS7_SIGNER_INFO* signer) {
    ASN1_STRING* value =
        X509_ATTRIBUTE_get0_type(sk_X509_ATTRIBUTE_value(signer->unauth_attr, 0), 0)
            ->value.sequence;
    const uint8_t* in = value->data;
    Pkcs7Ptr token(d2i_PKCS7(nullptr, &in, value->length));
    tamper(token.get());
    const Bytes der = Der(token.get());
    ASN1_STRING_set(value, der.data(), static_cast<int>(der.size()));
  };
}
// Names the signer's issuer in lower case, which libcrypto's look-up folds.
void Lowercase(PKCS7*, PKCS7_SIGNER_INFO* signer) {
  Owned<X509_NAME, X509_NAME_free> name(X509_NAME_new());
  X509_NAME_add_entry_by_txt(name.get(), "CN", MBSTRING_ASC,
                             reinterpret_cast<const uint8_t*>("test code signing ca"), -1, -1, 0);
  X509_NAME_set(&signer->issuer_and_serial->issuer, name.get());
}

std::vector<Row> Rows() {
  Chains& t = Pki();
  X509* publisher = t.publisher.certificate.get();
  Bytes blob = {0x30, 0x82, 0x0b, 0xbc, 0x04, 0x82, 0x0b, 0xb8};
  blob.resize(3008, 'x');
  // clang-format off
  return {
      {"as scripts/release signs", {}, ""},
      {"pinned to its publisher", {}, "", publisher},
      {"timestamped by a trusted authority", {.tsa = &t.tsa}, ""},
      {"signer expired since, timestamped while valid", {.tsa = &t.tsa}, "", nullptr, 30 * kDay},
      {"signer expired, no timestamp", {}, "a signer that no trusted CA vouches for", nullptr, 30 * kDay},
      {"another signer than the pinned one", {.signer = &t.other},
       "another signer: not the pinned CN=Levorn release test", publisher},
      {"a signer of a CA nobody trusts", {.signer = &t.stranger}, "no trusted CA vouches"},
      {"a signer not for code signing", {.signer = &t.server}, "not for code signing"},
      {"one bit of its signature value flipped", {.der = [](Bytes& der) { der.back() ^= 1; }},
       "a signature value that does not verify"},
      {"signed over another build", {.build = 0xcc}, "other bytes: its signature is over other bytes"},
      {"signed with SHA-1", {.digest = EVP_sha1()}, "digest algorithms other than SHA-256 alone"},
      {"another description", {.description = "Levorn Setup Pro"}, "a description other than \"Levorn Setup\""},
      {"an extra signed attribute", {.before_signing = AddEmail},
       "a signed attribute that signing never writes: 1.2.840.113549.1.9.1"},
      {"an extra digest algorithm", {.after_signing = AddDigestAlgorithm}, "digest algorithms other than SHA-256 alone"},
      {"a revocation list", {.after_signing = AddRevocationList}, "revocation lists in the signature"},
      {"a certificate that is not of its chain",
       {.after_signing = [](PKCS7* p7, auto*) { PKCS7_add_certificate(p7, Pki().other.certificate.get()); }},
       "a certificate that is not of its signer's chain: CN=Another company"},
      {"a timestamp by an authority nobody trusts", {.tsa = &t.stranger_tsa}, "a timestamp that does not verify"},
      {"a timestamp by an authority that is a CA", {.tsa = &t.ca_tsa}, "an authority whose certificate is a CA's"},
      {"a timestamp over another signature", {.after_signing = Unsigned(kTimestampOid, TokenOver(Bytes(16, 7)))},
       "a timestamp that does not verify"},
      {"a second timestamp", {.tsa = &t.tsa, .after_signing = Unsigned(kTimestampOid, TokenOver({0}))},
       "2 unsigned attributes"},
      {"3000 bytes under the timestamp's identifier", {.after_signing = Unsigned(kTimestampOid, blob)},
       "a timestamp that does not verify"},
      {"a countersignature", {.after_signing = Unsigned("1.2.840.113549.1.9.6", {0x30, 0x00})},
       "an unsigned attribute: 1.2.840.113549.1.9.6"},
      {"its issuer in another spelling", {.after_signing = Lowercase},
       "no certificate of its signer, named as it names it"},
      {"its signer's certificate twice",
       {.after_signing = [](PKCS7* p7, auto*) { PKCS7_add_certificate(p7, Pki().publisher.certificate.get()); }},
       "a certificate twice: CN=Levorn release test"},
      {"an empty set of unsigned attributes",
       {.after_signing = [](auto*, auto* si) { si->unauth_attr = sk_X509_ATTRIBUTE_new_null(); }},
       "an empty set of unsigned attributes"},
      {"a token of another version",
       {.tsa = &t.tsa, .after_signing = InToken([](PKCS7* token) { ASN1_INTEGER_set(token->d.sign->version, 4); })},
       "a timestamp that does not verify: a signed-data of another version than 3"},
      {"an indefinite length", {.der = Indefinite}, "not DER: an indefinite length at byte 1"},
      {"a length beyond its container",
       {.der = [](Bytes& der) { der[16] = 0x84, der[17] = der[18] = der[19] = der[20] = 0xff; }},
       "a signature that is not DER: a length"},
      {"a high tag number", {.der = [](Bytes& der) { der[4] = 0x1f; }}, "not DER: a high tag number"},
      {"nesting a thousand deep", {.after_signing = Unsigned("1.2.3", Nested(1000))}, "not DER: nesting deeper than 24"},
      {"truncated", {.der = [](Bytes& der) { der.resize(der.size() / 2); }}, "not DER"},
  };
  // clang-format on
}

TEST(VerifyReleaseTest, AcceptsExactlyWhatTheReleaseWritesAndNamesWhatElseItFinds) {
  for (const Row& row : Rows()) {
    SCOPED_TRACE(row.what);
    const Bytes build = Build();
    const Verdict verdict = VerifyRelease(
        SignedCopy(row.twist),
        {build, "Levorn Setup", Pki().cas.get(), row.publisher, time(nullptr) + row.later});
    std::string found;
    for (const std::string& refusal : verdict.refusals) found += refusal + "\n";
    if (*row.refusal) {
      EXPECT_NE(found.find(row.refusal), std::string::npos) << found;
    } else {
      EXPECT_EQ(found, "");
      EXPECT_EQ(verdict.signer, "CN=Levorn release test");
      EXPECT_EQ(verdict.time_stamper, row.twist.tsa ? "CN=Test TSA" : "");
    }
  }
}

TEST(VerifyReleaseTest, EscapesWhatItPrints) {
  EXPECT_EQ(Escaped("a\nb\x1b[2K\xe9"), "a\\x0Ab\\x1B[2K\\xE9");
}

}  // namespace
}  // namespace levorn::verify
