#include "store/keyderivation.h"

// SHA1_Transform is the one call that hashes a single prepared block, which
// is the whole point here; OpenSSL 3 keeps it, marked deprecated.
#define OPENSSL_SUPPRESS_DEPRECATED 1
#include <openssl/sha.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <thread>
#include <vector>

namespace KeyDerivation {

namespace {

constexpr int BlockBytes = SHA_CBLOCK;       // 64
constexpr int DigestBytes = SHA_DIGEST_LENGTH; // 20

void storeDigest(const SHA_CTX &state, unsigned char *out)
{
    const SHA_LONG words[] = {state.h0, state.h1, state.h2, state.h3, state.h4};
    for (SHA_LONG word : words) {
        *out++ = static_cast<unsigned char>(word >> 24);
        *out++ = static_cast<unsigned char>(word >> 16);
        *out++ = static_cast<unsigned char>(word >> 8);
        *out++ = static_cast<unsigned char>(word);
    }
}

// The SHA-1 state after the key, padded to a block and xor-ed with pad, has
// been hashed: the fixed first half of every HMAC with this key.
SHA_CTX keyedHalf(const std::array<unsigned char, BlockBytes> &key, unsigned char pad)
{
    std::array<unsigned char, BlockBytes> block;
    std::transform(key.begin(), key.end(), block.begin(), [pad](unsigned char c) { return c ^ pad; });
    SHA_CTX state;
    SHA1_Init(&state);
    SHA1_Update(&state, block.data(), block.size());
    return state;
}

} // namespace

namespace {

// One block of the derived key: the sum of the rounds' digests for the
// block's index.
std::array<unsigned char, DigestBytes> deriveBlock(const SHA_CTX &inner, const SHA_CTX &outer, QByteArrayView salt,
                                                  int rounds, std::uint32_t index)
{
    // Every round after the first hashes a 20-byte digest behind a keyed
    // half: one block holding the digest, SHA-1's end marker and the length
    // in bits of the 84 bytes hashed.
    std::array<unsigned char, BlockBytes> block{};
    block[DigestBytes] = 0x80;
    constexpr unsigned bits = (BlockBytes + DigestBytes) * 8;
    block[BlockBytes - 2] = static_cast<unsigned char>(bits >> 8);
    block[BlockBytes - 1] = static_cast<unsigned char>(bits & 0xff);

    // First round: HMAC of the salt and the block's index, through the
    // ordinary interface (any salt length).
    const unsigned char count[] = {static_cast<unsigned char>(index >> 24), static_cast<unsigned char>(index >> 16),
                                   static_cast<unsigned char>(index >> 8), static_cast<unsigned char>(index)};
    SHA_CTX state = inner;
    SHA1_Update(&state, salt.data(), size_t(salt.size()));
    SHA1_Update(&state, count, sizeof count);
    SHA1_Final(block.data(), &state);
    state = outer;
    SHA1_Update(&state, block.data(), DigestBytes);
    SHA1_Final(block.data(), &state);

    std::array<unsigned char, DigestBytes> sum;
    std::copy_n(block.begin(), DigestBytes, sum.begin());
    for (int round = 1; round < rounds; ++round) {
        state = inner;
        SHA1_Transform(&state, block.data());
        storeDigest(state, block.data());
        state = outer;
        SHA1_Transform(&state, block.data());
        storeDigest(state, block.data());
        for (int i = 0; i < DigestBytes; ++i)
            sum[i] ^= block[i];
    }
    return sum;
}

} // namespace

QByteArray pbkdf2HmacSha1(QByteArrayView password, QByteArrayView salt, int rounds, int keyBytes)
{
    std::array<unsigned char, BlockBytes> key{};
    if (password.size() > BlockBytes)
        SHA1(reinterpret_cast<const unsigned char *>(password.data()), size_t(password.size()), key.data());
    else
        std::copy(password.begin(), password.end(), key.begin());
    const SHA_CTX inner = keyedHalf(key, 0x36);
    const SHA_CTX outer = keyedHalf(key, 0x5c);

    // The blocks do not depend on each other, and each is one long chain of
    // dependent hashes: all but the first are derived on threads of their
    // own (the database's key takes two).
    const int blocks = std::max(1, (keyBytes + DigestBytes - 1) / DigestBytes);
    std::vector<std::array<unsigned char, DigestBytes>> sums(static_cast<size_t>(blocks));
    std::vector<std::thread> others;
    for (int b = 1; b < blocks; ++b) {
        others.emplace_back([&, b] { sums[size_t(b)] = deriveBlock(inner, outer, salt, rounds, std::uint32_t(b + 1)); });
    }
    sums[0] = deriveBlock(inner, outer, salt, rounds, 1);
    for (std::thread &other : others)
        other.join();

    QByteArray result;
    for (const auto &sum : sums)
        result.append(reinterpret_cast<const char *>(sum.data()), DigestBytes);
    result.truncate(keyBytes);
    return result;
}

QByteArray rawKeyText(QByteArrayView password, QByteArrayView salt)
{
    return "x'" + pbkdf2HmacSha1(password, salt, Rounds, KeyBytes).toHex() + '\'';
}

} // namespace KeyDerivation
