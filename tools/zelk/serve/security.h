// The few cryptographic pieces the server needs, all from OpenSSL's libcrypto
// rather than written here: SHA-256 of a log's bytes, random tokens, keyed
// hashes for the organiser's cookie and form tokens, and a comparison of
// secrets that takes the same time wherever they differ.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelk::serve {

// SHA-256 in lower-case hex (64 characters).
std::string Sha256Hex(std::string_view bytes);

// `bytes` random bytes from the system's generator, in hex. Throws
// std::runtime_error when the generator fails.
std::string RandomHex(std::size_t bytes);

// HMAC-SHA-256 of `message` under `key`, in hex.
std::string HmacHex(std::string_view key, std::string_view message);

// Whether two secrets are equal, in time that depends on neither's content
// nor on where they differ (both are hashed, the hashes compared with
// CRYPTO_memcmp).
bool SameSecret(std::string_view a, std::string_view b);

}  // namespace zelk::serve
