// The database key derived here must be the one the cipher derives itself.
#include "store/keyderivation.h"
#include "support/drawfile.h"

#define SQLITE_HAS_CODEC 1
#include <sqlcipher/sqlite3.h>

#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(KeyDerivation, PublishedPbkdf2HmacSha1Vectors)
{
    struct Case
    {
        QByteArray password, salt;
        int rounds, length;
        const char *hex;
    };
    using namespace Qt::Literals::StringLiterals;
    const Case cases[] = {
        {"password", "salt", 1, 20, "0c60c80f961f0e71f3a9b524af6012062fe037a6"},
        {"password", "salt", 2, 20, "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957"},
        {"password", "salt", 4096, 20, "4b007901b765489abead49d926f721d065a429c1"},
        {"passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096, 25,
         "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038"},
        {"pass\0word"_ba, "sa\0lt"_ba, 4096, 16, "56fa6aa75548099dcc37d7f03425e0c3"},
    };
    for (const auto code : {KeyDerivation::Sha1Code::Fastest, KeyDerivation::Sha1Code::Portable}) {
        for (const Case &c : cases)
            EXPECT_EQ(KeyDerivation::pbkdf2HmacSha1(c.password, c.salt, c.rounds, c.length, code).toHex(), c.hex)
                << c.password.constData() << " " << c.rounds << " code " << int(code);
    }
}

TEST(KeyDerivation, DerivedKeyAloneOpensADatabaseTheCipherKeyed)
{
    // Written with the password (the cipher derives the key and picks the
    // salt); read back with nothing but the key derived here. A wrong
    // derivation would still open through the password elsewhere, only
    // slowly, so this is where it shows.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Loto6Kermon.mdb"));
    DrawFile::write(path, {});
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray key = KeyDerivation::rawKeyText(DrawDatabase::password().toUtf8(), file.read(16));
    for (const QByteArray &given : {key, QByteArray(key).replace(5, 1, key[5] == '0' ? "1" : "0")}) {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        sqlite3_key(db, given.constData(), int(given.size()));
        const int rc = sqlite3_exec(db, "SELECT count(*) FROM 結果マスタ", nullptr, nullptr, nullptr);
        sqlite3_close_v2(db);
        EXPECT_EQ(rc, given == key ? SQLITE_OK : SQLITE_NOTADB) << given.constData();
    }
}
