// SHA-256 from libsodium, for builds without OpenSSL's libcrypto.
#include <sodium.h>

#include "update/release_signature.h"

namespace varnel {

struct Sha256Stream::State {
    crypto_hash_sha256_state hash;
};

Sha256Stream::Sha256Stream() : state_(std::make_unique<State>()) { crypto_hash_sha256_init(&state_->hash); }

Sha256Stream::~Sha256Stream() = default;

void Sha256Stream::add(const void* data, size_t size) {
    crypto_hash_sha256_update(&state_->hash, static_cast<const unsigned char*>(data), size);
}

Sha256Digest Sha256Stream::finish() {
    Sha256Digest digest{};
    crypto_hash_sha256_final(&state_->hash, digest.data());
    return digest;
}

}  // namespace varnel
