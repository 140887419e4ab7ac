#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The database cipher turns the password into its page key with PBKDF2
// (HMAC-SHA1, 64 000 rounds, a 32-byte key, the 16-byte salt that starts
// every database file). Done through the generic digest interface that is
// most of a start's time; derived here with the HMAC's two fixed halves
// hashed once and two bare SHA-1 blocks per round (the key's two blocks
// interleaved where the processor has SHA instructions), the same key comes
// out in a fifth of the time and is handed to the cipher as raw key data.
namespace KeyDerivation {

constexpr int SaltBytes = 16;
constexpr int KeyBytes = 32;
constexpr int Rounds = 64000;

// The processor's SHA instructions where it has them, else portable code
// (which tests also choose, to check it on any processor).
enum class Sha1Code { Fastest, Portable };

QByteArray pbkdf2HmacSha1(QByteArrayView password, QByteArrayView salt, int rounds, int keyBytes,
                          Sha1Code code = Sha1Code::Fastest);

// The cipher's own key for a database whose file starts with salt, written
// as the raw-key text it accepts in place of a password: x'…' (64 hex digits).
QByteArray rawKeyText(QByteArrayView password, QByteArrayView salt);

} // namespace KeyDerivation
