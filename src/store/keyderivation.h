#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The database cipher turns the password into its page key with PBKDF2
// (HMAC-SHA1, 64 000 rounds, a 32-byte key, the 16-byte salt that starts
// every database file). Done through the generic digest interface that is
// most of a start's time; derived here with the HMAC's two fixed halves
// hashed once and two bare SHA-1 blocks per round, the same key comes out
// in a fraction of it and is handed to the cipher as raw key data.
namespace KeyDerivation {

constexpr int SaltBytes = 16;
constexpr int KeyBytes = 32;
constexpr int Rounds = 64000;

QByteArray pbkdf2HmacSha1(QByteArrayView password, QByteArrayView salt, int rounds, int keyBytes);

// The cipher's own key for a database whose file starts with salt, written
// as the raw-key text it accepts in place of a password: x'…' (64 hex digits).
QByteArray rawKeyText(QByteArrayView password, QByteArrayView salt);

} // namespace KeyDerivation
