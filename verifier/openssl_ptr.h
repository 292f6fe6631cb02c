// Owning pointers for libcrypto's objects, each freed by its own function.
#pragma once

#include <openssl/pkcs7.h>
#include <openssl/ts.h>
#include <openssl/x509.h>

#include <memory>

namespace levorn::verify {

template <auto Free>
struct Freer {
  template <class T>
  void operator()(T* object) const {
    Free(object);
  }
};
template <class T, auto Free>
using Owned = std::unique_ptr<T, Freer<Free>>;

inline void FreeCertificates(STACK_OF(X509) * certificates) {
  sk_X509_pop_free(certificates, X509_free);
}

// A stack that owns none of its certificates.
inline void FreeStack(STACK_OF(X509) * certificates) { sk_X509_free(certificates); }

using BioPtr = Owned<BIO, BIO_free>;
using Pkcs7Ptr = Owned<PKCS7, PKCS7_free>;
using X509Ptr = Owned<X509, X509_free>;
using StorePtr = Owned<X509_STORE, X509_STORE_free>;
using CertificatesPtr = Owned<STACK_OF(X509), FreeCertificates>;
using BorrowedCertificatesPtr = Owned<STACK_OF(X509), FreeStack>;

}  // namespace levorn::verify
