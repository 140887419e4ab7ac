// The database key is derived once per file and remembered in the user's
// cache folder: what is remembered must be exactly the cipher's key, a bad
// entry must never stop a start, and reading the salt must not drop the locks
// other connections of the process hold on the file.
#include "store/keycache.h"
#include "support/drawfile.h"
#include "support/history.h"

#define SQLITE_HAS_CODEC 1
#include <sqlcipher/sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

// A cache folder of the test's own for as long as it lives.
class CacheHome
{
public:
    CacheHome() : m_saved(qgetenv("XDG_CACHE_HOME")) { qputenv("XDG_CACHE_HOME", m_dir.path().toUtf8()); }
    ~CacheHome() { qputenv("XDG_CACHE_HOME", m_saved); }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QByteArray m_saved;
};

QByteArray saltOf(const QString &path)
{
    return DrawFile::bytes(path).left(KeyCache::SaltBytes);
}

// The one entry of the cache folder (keys are the only thing in it).
QString onlyEntry()
{
    const QStringList entries = QDir(KeyCache::folder()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    return entries.size() == 1 ? KeyCache::folder() + QLatin1Char('/') + entries.front() : QString();
}

// Whether the key alone, handed to the cipher as raw key data, reads the file.
bool rawKeyOpens(const QString &path, const QByteArray &key)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const QByteArray text = KeyCache::rawKeyText(key);
    sqlite3_key(db, text.constData(), int(text.size()));
    const int rc = sqlite3_exec(db, "SELECT count(*) FROM 結果マスタ", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db);
    return rc == SQLITE_OK;
}

} // namespace

TEST(KeyCache, TheRememberedKeyIsTheCiphersOwnAndABadEntryIsRewritten)
{
    // Written with the password: the cipher picked the salt and derived the
    // key itself. A wrong derivation would still open through the password,
    // only slowly; the raw-key check below is where it shows.
    QTemporaryDir dir;
    const QString path = dir.filePath(DrawDatabase::FileName);
    DrawFile::write(path, TestHistory::generated(3));
    const QByteArray password = DrawDatabase::password().toUtf8();

    struct Case
    {
        const char *name;
        // Leaves the cache as the case starts from; the entry's path is known
        // once a first open has made it.
        std::function<void(const QString &entry)> prepare;
    };
    const Case cases[] = {
        {"no entry", [](const QString &entry) { QFile::remove(entry); }},
        {"a wrong key", [](const QString &entry) { DrawFile::writeBytes(entry, QByteArray(KeyCache::KeyBytes, 'x')); }},
        {"cut short", [](const QString &entry) { DrawFile::writeBytes(entry, QByteArray(5, 'x')); }},
        {"empty", [](const QString &entry) { DrawFile::writeBytes(entry, {}); }},
        {"not a file", [](const QString &entry) { QFile::remove(entry), QDir().mkpath(entry); }},
        {"unreadable", [](const QString &entry) { QFile(entry).setPermissions({}); }},
    };
    for (const Case &c : cases) {
        const CacheHome cache;
        Database::open(path, DrawDatabase::password(), Database::Mode::ReadOnly);
        const QString entry = onlyEntry();
        ASSERT_FALSE(entry.isEmpty()) << c.name;
        c.prepare(entry);
        EXPECT_EQ(DrawFile::lines(path).size(), 3) << c.name;
        if (QFileInfo(entry).isDir())
            continue; // nothing can be written over a folder: opening still works
        const QByteArray key = KeyCache::lookup(password, saltOf(path));
        EXPECT_EQ(key, DrawFile::bytes(entry)) << c.name;
        EXPECT_TRUE(rawKeyOpens(path, key)) << c.name;
        EXPECT_EQ(QFileInfo(entry).permissions() & ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser),
                  QFile::Permissions())
            << c.name;
    }
}

TEST(KeyCache, AnotherPasswordNeverFindsTheKeyAndNoCacheFolderIsNoProblem)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(DrawDatabase::FileName);
    DrawFile::write(path, TestHistory::generated(3));
    {
        const CacheHome cache;
        Database::open(path, DrawDatabase::password(), Database::Mode::ReadOnly);
        EXPECT_THROW(Database::open(path, QStringLiteral("111111"), Database::Mode::ReadOnly), DatabaseError);
        // The entry the right password left is untouched by the wrong one.
        EXPECT_TRUE(rawKeyOpens(path, KeyCache::lookup(DrawDatabase::password().toUtf8(), saltOf(path))));
    }
    // A cache "folder" that is a file: nothing is remembered, the file opens.
    QTemporaryDir home;
    const QString blocked = home.filePath(QStringLiteral("cache"));
    DrawFile::writeBytes(blocked, "not a folder");
    const QByteArray saved = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", blocked.toUtf8());
    EXPECT_EQ(DrawFile::lines(path).size(), 3);
    EXPECT_EQ(DrawFile::lines(path).size(), 3);
    qputenv("XDG_CACHE_HOME", saved);
}

TEST(KeyCache, OpeningAConnectionKeepsTheLocksOfTheOthers)
{
    // One connection of this process is in the middle of a write; another
    // is opened on the same file (as the store's reload is while the editor
    // writes). Should that open read the salt through a descriptor of its
    // own, closing it would drop the writer's lock, and a second program
    // could take the file in the middle of the transaction.
    const CacheHome cache;
    QTemporaryDir dir;
    const QString path = dir.filePath(DrawDatabase::FileName);
    DrawFile::write(path, TestHistory::generated(5));
    const Database writer = Database::open(path, DrawDatabase::password(), Database::Mode::ReadWrite);
    writer.begin();
    writer.exec(QStringLiteral("UPDATE 結果マスタ SET 第1数字 = 43 WHERE 回数 = 1"));
    for (int round = 0; round < 2; ++round) // deriving the key, then the remembered one
        EXPECT_EQ(Database::open(path, DrawDatabase::password(), Database::Mode::ReadOnly).path(), path);

    QProcess other;
    other.start(QStringLiteral(LOTO6_DBWRITER), {path, QStringLiteral("lock"), QStringLiteral("10")});
    ASSERT_TRUE(other.waitForFinished(60000));
    EXPECT_NE(other.readAllStandardOutput(), "ready\n") << "the other program took the lock";
    writer.commit();
    EXPECT_TRUE(DrawFile::lines(path).front().startsWith(QStringLiteral("1|43|")));
}
