#include "store/keycache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <openssl/evp.h>

namespace KeyCache {

namespace {

// One small file per password and salt. The name stands for both, so a
// different password never finds this key.
QString entryPath(QByteArrayView password, QByteArrayView salt)
{
    QCryptographicHash name(QCryptographicHash::Sha256);
    name.addData(password);
    name.addData(salt);
    return folder() + QStringLiteral("/key-") + QString::fromLatin1(name.result().toHex().left(32));
}

} // namespace

QByteArray derive(QByteArrayView password, QByteArrayView salt)
{
    QByteArray key(KeyBytes, Qt::Uninitialized);
    const bool derived = PKCS5_PBKDF2_HMAC(password.data(), int(password.size()),
                                           reinterpret_cast<const unsigned char *>(salt.data()), int(salt.size()),
                                           Rounds, EVP_sha1(), KeyBytes, reinterpret_cast<unsigned char *>(key.data()))
        == 1;
    return derived ? key : QByteArray();
}

QString folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/loto6kermon");
}

QByteArray lookup(QByteArrayView password, QByteArrayView salt)
{
    QFile entry(entryPath(password, salt));
    if (!entry.open(QIODevice::ReadOnly))
        return {};
    const QByteArray key = entry.read(KeyBytes + 1);
    return key.size() == KeyBytes ? key : QByteArray();
}

void remember(QByteArrayView password, QByteArrayView salt, QByteArrayView key)
{
    if (key.size() != KeyBytes || !QDir().mkpath(folder()))
        return;
    // A temporary file is made for its owner alone; renamed into place, it
    // replaces a wrong or damaged entry whole.
    QTemporaryFile entry(folder() + QStringLiteral("/key-XXXXXX.tmp"));
    if (!entry.open() || entry.write(key.data(), key.size()) != key.size() || !entry.flush())
        return;
    const QString path = entryPath(password, salt);
    QFile::remove(path);
    if (entry.rename(path))
        entry.setAutoRemove(false);
}

QByteArray rawKeyText(QByteArrayView key)
{
    return "x'" + key.toByteArray().toHex() + '\'';
}

} // namespace KeyCache
