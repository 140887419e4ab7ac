// Where the database and the options file live: beside a portable program,
// in the user's folders for an installed one, whose database is copied from
// the bundled one once.
#include "store/datalocation.h"

#include "support/drawfile.h"
#include "support/history.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A temporary home, so that the user's folders are the test's own, and an
// installation prefix/bin beside prefix/share/loto6kermon/Loto6Kermon.mdb.
class DataLocationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_home = qgetenv("HOME");
        qputenv("HOME", path("home").toUtf8());
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_CONFIG_HOME");
        for (const char *folder : {"home", "prefix/bin", "prefix/share/loto6kermon", "build"})
            QDir().mkpath(path(folder));
        DrawFile::write(path("prefix/share/loto6kermon/Loto6Kermon.mdb"), TestHistory::generated(5));
    }
    void TearDown() override { qputenv("HOME", m_home); }
    QString path(const char *relative) const { return m_root.filePath(QString::fromUtf8(relative)); }

    QTemporaryDir m_root;
    QByteArray m_home;
    const QString m_userDb = path("home/.local/share/loto6kermon/Loto6Kermon.mdb");
};

} // namespace

TEST_F(DataLocationTest, PortableProgramKeepsItsFilesWhereTheyAlwaysWere)
{
    const QString build = path("build");
    EXPECT_TRUE(DataLocation::isPortable(build));
    EXPECT_EQ(DataLocation::databaseFile(build), build + QStringLiteral("/Loto6Kermon.mdb"));
    EXPECT_EQ(DataLocation::settingsFile(build, QStringLiteral("ロト6ケルモン.ini")), QStringLiteral("ロト6ケルモン.ini"));
    EXPECT_EQ(DataLocation::resourceFolder(build), build);
    EXPECT_EQ(DataLocation::prepare(build), QString());
    EXPECT_TRUE(QDir(path("home")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST_F(DataLocationTest, InstalledProgramCopiesTheBundledDatabaseOnceAndKeepsTheUsersCopy)
{
    const QString bin = path("prefix/bin");
    // An installed layout is never written to, even where it is writable (root).
    EXPECT_FALSE(DataLocation::isPortable(bin));
    EXPECT_EQ(DataLocation::resourceFolder(bin), path("prefix/share/loto6kermon"));

    // A journal of a database that is gone would be rolled into the new copy.
    QDir().mkpath(path("home/.local/share/loto6kermon"));
    ASSERT_TRUE(DrawFile::writeBytes(m_userDb + QStringLiteral("-journal"), "stale"));
    EXPECT_EQ(DataLocation::prepare(bin), QString());
    EXPECT_EQ(DrawFile::bytes(m_userDb), DrawFile::bytes(path("prefix/share/loto6kermon/Loto6Kermon.mdb")));
    EXPECT_EQ(QDir(path("home/.local/share/loto6kermon")).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("Loto6Kermon.mdb")});
    EXPECT_TRUE(QFileInfo(path("home/.config/loto6kermon")).isDir());

    // The user's draws survive every later start.
    QFile::remove(m_userDb);
    DrawFile::write(m_userDb, TestHistory::generated(7, 42));
    EXPECT_EQ(DataLocation::prepare(bin), QString());
    EXPECT_EQ(DrawFile::lines(m_userDb).size(), 7);
}

TEST_F(DataLocationTest, DataFolderThatCannotBeMadeIsReported)
{
    ASSERT_TRUE(DrawFile::writeBytes(path("home/.local"), "a file, not a folder"));
    EXPECT_TRUE(DataLocation::prepare(path("prefix/bin")).contains(path("home/.local/share/loto6kermon")));
    EXPECT_FALSE(QFileInfo::exists(m_userDb));
}
