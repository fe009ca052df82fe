// SHA-256 from OpenSSL's libcrypto, which uses the processor's SHA
// instructions where it has them (several times libsodium's portable code).
#include <openssl/evp.h>

#include "update/release_signature.h"

namespace varnel {

struct Sha256Stream::State {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    ~State() { EVP_MD_CTX_free(context); }
};

Sha256Stream::Sha256Stream() : state_(std::make_unique<State>()) {
    EVP_DigestInit_ex(state_->context, EVP_sha256(), nullptr);
}

Sha256Stream::~Sha256Stream() = default;

void Sha256Stream::add(const void* data, size_t size) { EVP_DigestUpdate(state_->context, data, size); }

Sha256Digest Sha256Stream::finish() {
    Sha256Digest digest{};
    unsigned int size = 0;
    EVP_DigestFinal_ex(state_->context, digest.data(), &size);
    return digest;
}

}  // namespace varnel
