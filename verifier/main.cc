// levorn_verify: proves, offline, that a signed file is this commit's build
// with one signature of the shape scripts/release writes, by a signer the
// system's CAs vouch for (OpenSSL's SSL_CERT_FILE and SSL_CERT_DIR, else the
// system's bundle), and names who signed it and when. Revocation is not
// checked: that is Windows' part when the file is run.
//
//   levorn_verify --build FILE --copy FILE --description TEXT [--publisher PEM]
//
// Exit 0: accepted; 1: refused, each finding on standard error; 2: unusable
// arguments or unreadable files.
#include <openssl/pem.h>

#include <cstdio>
#include <ctime>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "verifier/authenticode.h"
#include "verifier/openssl_ptr.h"
#include "verifier/pe_image.h"

namespace {

using levorn::verify::Bytes;

std::optional<Bytes> ReadFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return std::nullopt;
  Bytes bytes;
  uint8_t chunk[65536];
  size_t read;
  while ((read = std::fread(chunk, 1, sizeof chunk, file)) > 0 &&
         bytes.size() <= levorn::verify::kMaxImage) {
    bytes.insert(bytes.end(), chunk, chunk + read);
  }
  const bool failed = std::ferror(file);
  std::fclose(file);
  if (failed) return std::nullopt;
  return bytes;
}

int Usage() {
  std::fputs("usage: levorn_verify --build FILE --copy FILE --description TEXT [--publisher PEM]\n",
             stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace levorn::verify;
  const std::set<std::string> known = {"--build", "--copy", "--description", "--publisher"};
  std::map<std::string, std::string> options;
  for (int i = 1; i < argc; i += 2) {
    if (i + 1 == argc || !known.count(argv[i]) || !options.emplace(argv[i], argv[i + 1]).second) {
      return Usage();
    }
  }
  if (!options.count("--build") || !options.count("--copy") || !options.count("--description") ||
      options["--description"].size() > 100 ||
      Escaped(options["--description"]) != options["--description"]) {
    return Usage();  // the description is printable ASCII, of at most 100 characters
  }
  const std::optional<Bytes> build = ReadFile(options["--build"]);
  const std::optional<Bytes> copy = ReadFile(options["--copy"]);
  if (!build || !copy) {
    std::fprintf(stderr, "levorn_verify: cannot read %s\n",
                 Escaped(options[build ? "--copy" : "--build"]).c_str());
    return 2;
  }
  X509Ptr publisher;
  if (options.count("--publisher")) {
    BioPtr pem(BIO_new_file(options["--publisher"].c_str(), "r"));
    if (pem) publisher.reset(PEM_read_bio_X509(pem.get(), nullptr, nullptr, nullptr));
    if (!publisher) {
      std::fprintf(stderr, "levorn_verify: no PEM certificate in %s\n",
                   Escaped(options["--publisher"]).c_str());
      return 2;
    }
  }
  StorePtr cas(X509_STORE_new());
  if (!cas || X509_STORE_set_default_paths(cas.get()) != 1) {
    std::fputs("levorn_verify: the system's CAs cannot be read\n", stderr);
    return 2;
  }

  const Verdict verdict = VerifyRelease(
      *copy, {*build, options["--description"], cas.get(), publisher.get(), std::time(nullptr)});
  if (!verdict.signer.empty()) {
    std::printf("signed by: %s\n  its certificate's SHA-256 fingerprint: %s\n",
                verdict.signer.c_str(), verdict.fingerprint.c_str());
  }
  if (verdict.timestamp.empty()) {
    std::puts("  no timestamp");
  } else {
    std::printf("  timestamped: %s, by %s\n", verdict.timestamp.c_str(),
                verdict.time_stamper.c_str());
  }
  std::fflush(stdout);
  for (const std::string& refusal : verdict.refusals)
    std::fprintf(stderr, "  found %s\n", refusal.c_str());
  return verdict.accepted() ? 0 : 1;
}
