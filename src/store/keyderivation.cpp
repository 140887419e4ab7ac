#include "store/keyderivation.h"

// SHA1_Transform is the one call that hashes a single prepared block, which
// is the whole point here; OpenSSL 3 keeps it, marked deprecated.
#define OPENSSL_SUPPRESS_DEPRECATED 1
#include <openssl/sha.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <thread>
#include <utility>
#include <vector>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <cpuid.h>
#include <immintrin.h>
#endif

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

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define LOTO6_SHA_EXTENSIONS 1

bool hasShaExtensions()
{
    unsigned eax, ebx, ecx, edx;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx) || !(ecx & bit_SSE4_1) || !(ecx & bit_SSSE3))
        return false;
    return __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) && (ebx & bit_SHA);
}

// One SHA-1 compression in the processor's SHA instructions, split into its
// twenty groups of four rounds so that two independent compressions can be
// interleaved: each group waits for the one before, and the processor fills
// that wait with the other compression's group.
struct ShaLanes
{
    __m128i abcd, e0, e1, saveAbcd, saveE, msg[4];
};

#define LOTO6_SHA_TARGET __attribute__((target("sha,sse4.1,ssse3")))

LOTO6_SHA_TARGET inline void shaStart(ShaLanes &l, const SHA_CTX &state)
{
    l.abcd = _mm_shuffle_epi32(_mm_set_epi32(int(state.h3), int(state.h2), int(state.h1), int(state.h0)), 0x1B);
    l.e0 = _mm_set_epi32(int(state.h4), 0, 0, 0);
    l.saveAbcd = l.abcd;
    l.saveE = l.e0;
}

// Reverses the sixteen bytes of a vector: SHA-1's big-endian words in and out.
LOTO6_SHA_TARGET inline __m128i reversedBytes(__m128i v)
{
    return _mm_shuffle_epi8(v, _mm_set_epi64x(0x0001020304050607LL, 0x08090a0b0c0d0e0fLL));
}

template <int G>
LOTO6_SHA_TARGET inline void shaGroup(ShaLanes &l, const unsigned char *block)
{
    __m128i &m = l.msg[G % 4];
    if constexpr (G < 4)
        m = reversedBytes(_mm_loadu_si128(reinterpret_cast<const __m128i *>(block + 16 * G)));
    __m128i &in = G % 2 == 0 ? l.e0 : l.e1;
    __m128i &out = G % 2 == 0 ? l.e1 : l.e0;
    in = G == 0 ? _mm_add_epi32(in, m) : _mm_sha1nexte_epu32(in, m);
    out = l.abcd;
    if constexpr (G >= 3 && G <= 18)
        l.msg[(G + 1) % 4] = _mm_sha1msg2_epu32(l.msg[(G + 1) % 4], m);
    l.abcd = _mm_sha1rnds4_epu32(l.abcd, in, G / 5);
    if constexpr (G >= 1 && G <= 16)
        l.msg[(G + 3) % 4] = _mm_sha1msg1_epu32(l.msg[(G + 3) % 4], m);
    if constexpr (G >= 2 && G <= 17)
        l.msg[(G + 2) % 4] = _mm_xor_si128(l.msg[(G + 2) % 4], m);
}

// The digest, big-endian, into the first 20 bytes of block.
LOTO6_SHA_TARGET inline void shaFinish(ShaLanes &l, unsigned char *block)
{
    l.e0 = _mm_sha1nexte_epu32(l.e0, l.saveE);
    l.abcd = _mm_add_epi32(l.abcd, l.saveAbcd);
    // abcd holds a in its highest lane: reversing every byte of the vector
    // gives a, b, c, d as big-endian words in order.
    _mm_storeu_si128(reinterpret_cast<__m128i *>(block), reversedBytes(l.abcd));
    const std::uint32_t e = std::uint32_t(_mm_extract_epi32(l.e0, 3));
    block[16] = static_cast<unsigned char>(e >> 24);
    block[17] = static_cast<unsigned char>(e >> 16);
    block[18] = static_cast<unsigned char>(e >> 8);
    block[19] = static_cast<unsigned char>(e);
}

template <int... G>
LOTO6_SHA_TARGET inline void shaTwo(ShaLanes &a, const unsigned char *blockA, ShaLanes &b, const unsigned char *blockB,
                                    std::integer_sequence<int, G...>)
{
    ((shaGroup<G>(a, blockA), shaGroup<G>(b, blockB)), ...);
}

// Both HMAC halves of two blocks' rounds at once: state = inner (outer)
// then the block; the digest replaces the block's first 20 bytes.
LOTO6_SHA_TARGET void hmacRoundsTwo(const SHA_CTX &inner, const SHA_CTX &outer, unsigned char *blockA,
                                    unsigned char *blockB, unsigned char *sumA, unsigned char *sumB, int rounds)
{
    ShaLanes a, b;
    for (int round = 0; round < rounds; ++round) {
        for (const SHA_CTX *half : {&inner, &outer}) {
            shaStart(a, *half);
            shaStart(b, *half);
            shaTwo(a, blockA, b, blockB, std::make_integer_sequence<int, 20>());
            shaFinish(a, blockA);
            shaFinish(b, blockB);
        }
        for (int i = 0; i < DigestBytes; ++i) {
            sumA[i] ^= blockA[i];
            sumB[i] ^= blockB[i];
        }
    }
}

#endif

// A block ready for the rounds after the first: the first round's digest
// (HMAC of the salt and the block's index, through the ordinary interface,
// any salt length) in its first 20 bytes, then SHA-1's end marker and the
// length in bits of the 84 bytes every later round hashes (a keyed half and
// a digest).
std::array<unsigned char, BlockBytes> firstRound(const SHA_CTX &inner, const SHA_CTX &outer, QByteArrayView salt,
                                                 std::uint32_t index)
{
    std::array<unsigned char, BlockBytes> block{};
    block[DigestBytes] = 0x80;
    constexpr unsigned bits = (BlockBytes + DigestBytes) * 8;
    block[BlockBytes - 2] = static_cast<unsigned char>(bits >> 8);
    block[BlockBytes - 1] = static_cast<unsigned char>(bits & 0xff);
    const unsigned char count[] = {static_cast<unsigned char>(index >> 24), static_cast<unsigned char>(index >> 16),
                                   static_cast<unsigned char>(index >> 8), static_cast<unsigned char>(index)};
    SHA_CTX state = inner;
    SHA1_Update(&state, salt.data(), size_t(salt.size()));
    SHA1_Update(&state, count, sizeof count);
    SHA1_Final(block.data(), &state);
    state = outer;
    SHA1_Update(&state, block.data(), DigestBytes);
    SHA1_Final(block.data(), &state);
    return block;
}

// The rounds after the first of one block, one compression at a time.
void hmacRounds(const SHA_CTX &inner, const SHA_CTX &outer, unsigned char *block, unsigned char *sum, int rounds)
{
    for (int round = 0; round < rounds; ++round) {
        SHA_CTX state = inner;
        SHA1_Transform(&state, block);
        storeDigest(state, block);
        state = outer;
        SHA1_Transform(&state, block);
        storeDigest(state, block);
        for (int i = 0; i < DigestBytes; ++i)
            sum[i] ^= block[i];
    }
}

} // namespace

QByteArray pbkdf2HmacSha1(QByteArrayView password, QByteArrayView salt, int rounds, int keyBytes, Sha1Code code)
{
    std::array<unsigned char, BlockBytes> key{};
    if (password.size() > BlockBytes)
        SHA1(reinterpret_cast<const unsigned char *>(password.data()), size_t(password.size()), key.data());
    else
        std::copy(password.begin(), password.end(), key.begin());
    const SHA_CTX inner = keyedHalf(key, 0x36);
    const SHA_CTX outer = keyedHalf(key, 0x5c);

    const size_t blocks = size_t(std::max(1, (keyBytes + DigestBytes - 1) / DigestBytes));
    std::vector<std::array<unsigned char, BlockBytes>> work;
    std::vector<std::array<unsigned char, DigestBytes>> sums(blocks);
    for (size_t b = 0; b < blocks; ++b) {
        work.push_back(firstRound(inner, outer, salt, std::uint32_t(b + 1)));
        std::copy_n(work[b].begin(), DigestBytes, sums[b].begin());
    }
    // The blocks do not depend on each other, and each is one long chain of
    // dependent hashes: with the processor's SHA instructions two chains go
    // together in one thread (the database's key has two blocks); without,
    // each block after the first has a thread of its own.
#if LOTO6_SHA_EXTENSIONS
    static const bool shaExtensions = hasShaExtensions();
    if (shaExtensions && code == Sha1Code::Fastest) {
        size_t b = 0;
        for (; b + 1 < blocks; b += 2)
            hmacRoundsTwo(inner, outer, work[b].data(), work[b + 1].data(), sums[b].data(), sums[b + 1].data(),
                          rounds - 1);
        if (b < blocks)
            hmacRounds(inner, outer, work[b].data(), sums[b].data(), rounds - 1);
    } else
#endif
    {
        std::vector<std::thread> others;
        for (size_t b = 1; b < blocks; ++b)
            others.emplace_back([&, b] { hmacRounds(inner, outer, work[b].data(), sums[b].data(), rounds - 1); });
        hmacRounds(inner, outer, work[0].data(), sums[0].data(), rounds - 1);
        for (std::thread &other : others)
            other.join();
    }

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
