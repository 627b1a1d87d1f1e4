// SHA-256, random bytes, HMAC and constant-time comparison through libcrypto.
#include "serve/security.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <array>
#include <stdexcept>
#include <vector>

namespace zelk::serve {

namespace {

using Digest = std::array<unsigned char, 32>;

std::string Hex(const unsigned char* bytes, std::size_t size) {
    constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(size * 2);
    for (std::size_t i = 0; i < size; ++i) {
        hex += kDigits[bytes[i] >> 4];
        hex += kDigits[bytes[i] & 0x0F];
    }
    return hex;
}

Digest Sha256(std::string_view bytes) {
    Digest digest{};
    unsigned int size = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &size, EVP_sha256(), nullptr) != 1 ||
        size != digest.size()) {
        throw std::runtime_error("SHA-256 failed");
    }
    return digest;
}

}  // namespace

std::string Sha256Hex(std::string_view bytes) {
    const Digest digest = Sha256(bytes);
    return Hex(digest.data(), digest.size());
}

std::string RandomHex(std::size_t bytes) {
    std::vector<unsigned char> random(bytes);
    if (RAND_bytes(random.data(), static_cast<int>(random.size())) != 1) {
        throw std::runtime_error("the system's random generator failed");
    }
    return Hex(random.data(), random.size());
}

std::string HmacHex(std::string_view key, std::string_view message) {
    Digest digest{};
    unsigned int size = 0;
    if (HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
             reinterpret_cast<const unsigned char*>(message.data()), message.size(), digest.data(),
             &size) == nullptr ||
        size != digest.size()) {
        throw std::runtime_error("HMAC-SHA-256 failed");
    }
    return Hex(digest.data(), digest.size());
}

bool SameSecret(std::string_view a, std::string_view b) {
    const Digest left = Sha256(a);
    const Digest right = Sha256(b);
    return CRYPTO_memcmp(left.data(), right.data(), left.size()) == 0;
}

}  // namespace zelk::serve
