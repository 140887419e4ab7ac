#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The database key, derived once per database file and remembered.
//
// The cipher turns the password into its page key with PBKDF2 (HMAC-SHA1,
// 64 000 rounds, a 32-byte key, the 16-byte salt that starts every database
// file): tens of milliseconds, the most expensive step of a start. The key
// depends on nothing but the password and the salt, and the password is a
// constant of the program: remembering the derived key in the user's cache
// folder tells nobody anything the executable does not. The encryption keeps
// the file format, not a secret.
namespace KeyCache {

constexpr int SaltBytes = 16;
constexpr int KeyBytes = 32;
constexpr int Rounds = 64000;

// The page key, as the cipher derives it (OpenSSL's PKCS5_PBKDF2_HMAC).
QByteArray derive(QByteArrayView password, QByteArrayView salt);

// The user's cache folder of this program: $XDG_CACHE_HOME/loto6kermon.
QString folder();

// The key remembered for password and salt; empty when there is none or it
// cannot be read or is not a key.
QByteArray lookup(QByteArrayView password, QByteArrayView salt);

// Remembers key for password and salt, readable by the user alone (0600).
// A cache folder that cannot be written only means deriving again next time.
void remember(QByteArrayView password, QByteArrayView salt, QByteArrayView key);

// A key as the raw-key text the cipher accepts in place of a password:
// x'…' (64 hex digits).
QByteArray rawKeyText(QByteArrayView key);

} // namespace KeyCache
