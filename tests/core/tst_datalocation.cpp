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

// A temporary home, so that the user's folders are the test's own.
class DataLocationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        for (const char *name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
            m_saved.emplace_back(name, qgetenv(name));
        qputenv("HOME", home().toUtf8());
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_CONFIG_HOME");
        QDir().mkpath(home());
    }
    void TearDown() override
    {
        for (const auto &[name, value] : m_saved)
            value.isNull() ? qunsetenv(name) : qputenv(name, value);
    }
    QString path(const QString &relative) const { return m_root.filePath(relative); }
    QString home() const { return path(QStringLiteral("home")); }
    QString userDatabase() const { return home() + QStringLiteral("/.local/share/loto6kermon/Loto6Kermon.mdb"); }

    // prefix/bin beside prefix/share/loto6kermon/Loto6Kermon.mdb.
    QString install(const std::vector<DrawRecord> &draws)
    {
        QDir().mkpath(path(QStringLiteral("prefix/bin")));
        QDir().mkpath(path(QStringLiteral("prefix/share/loto6kermon")));
        DrawFile::write(path(QStringLiteral("prefix/share/loto6kermon/Loto6Kermon.mdb")), draws);
        return path(QStringLiteral("prefix/bin"));
    }

    QTemporaryDir m_root;
    std::vector<std::pair<const char *, QByteArray>> m_saved;
};

} // namespace

TEST_F(DataLocationTest, PortableProgramKeepsItsFilesWhereTheyAlwaysWere)
{
    // A build folder with its database, and one whose database is not made yet.
    const QString withDatabase = path(QStringLiteral("build/bin"));
    QDir().mkpath(withDatabase);
    DrawFile::write(withDatabase + QStringLiteral("/Loto6Kermon.mdb"), TestHistory::generated(3));
    const QString empty = path(QStringLiteral("empty"));
    QDir().mkpath(empty);
    for (const QString &folder : {withDatabase, empty}) {
        EXPECT_TRUE(DataLocation::isPortable(folder));
        EXPECT_EQ(DataLocation::databaseFile(folder), folder + QStringLiteral("/Loto6Kermon.mdb"));
        EXPECT_EQ(DataLocation::settingsFile(folder, QStringLiteral("ロト6ケルモン.ini")), QStringLiteral("ロト6ケルモン.ini"));
        EXPECT_EQ(DataLocation::resourceFolder(folder), folder);
        EXPECT_EQ(DataLocation::prepare(folder), QString());
    }
    EXPECT_TRUE(QDir(home()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST_F(DataLocationTest, InstalledProgramCopiesTheBundledDatabaseOnceAndKeepsTheUsersCopy)
{
    const std::vector<DrawRecord> bundled = TestHistory::generated(5);
    const QString bin = install(bundled);
    // An installed layout is never written to, even where it is writable (root).
    EXPECT_FALSE(DataLocation::isPortable(bin));
    EXPECT_EQ(DataLocation::resourceFolder(bin), path(QStringLiteral("prefix/share/loto6kermon")));
    EXPECT_EQ(DataLocation::settingsFile(bin, QStringLiteral("ロト6ケルモン.ini")),
              home() + QStringLiteral("/.config/loto6kermon/ロト6ケルモン.ini"));
    EXPECT_EQ(DataLocation::databaseFile(bin), userDatabase());

    // A journal of a database that is gone would be rolled into the new copy.
    QDir().mkpath(QFileInfo(userDatabase()).path());
    ASSERT_TRUE(DrawFile::writeBytes(userDatabase() + QStringLiteral("-journal"), "stale"));
    EXPECT_EQ(DataLocation::prepare(bin), QString());
    EXPECT_EQ(DrawFile::bytes(userDatabase()), DrawFile::bytes(path(QStringLiteral("prefix/share/loto6kermon/Loto6Kermon.mdb"))));
    EXPECT_EQ(QDir(QFileInfo(userDatabase()).path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Loto6Kermon.mdb")});
    EXPECT_TRUE(QFileInfo(home() + QStringLiteral("/.config/loto6kermon")).isDir());

    // The user's draws survive every later start.
    const std::vector<DrawRecord> edited = TestHistory::generated(7, 42);
    QFile::remove(userDatabase());
    DrawFile::write(userDatabase(), edited);
    const QStringList before = DrawFile::lines(userDatabase());
    EXPECT_EQ(DataLocation::prepare(bin), QString());
    EXPECT_EQ(DrawFile::lines(userDatabase()), before);
    EXPECT_EQ(before.size(), 7);
}

TEST_F(DataLocationTest, DataFolderThatCannotBeMadeIsReported)
{
    const QString bin = install(TestHistory::generated(2));
    ASSERT_TRUE(DrawFile::writeBytes(home() + QStringLiteral("/.local"), "a file, not a folder"));
    const QString problem = DataLocation::prepare(bin);
    EXPECT_TRUE(problem.contains(home() + QStringLiteral("/.local/share/loto6kermon"))) << problem.toStdString();
    EXPECT_FALSE(QFileInfo::exists(userDatabase()));
}
