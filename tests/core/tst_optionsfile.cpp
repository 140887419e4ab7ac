// The options file: the lines as written, the tolerant reading, CP932, and the
// file replaced only when the new one is complete.
#include "prediction/optionsfile.h"
#include "prediction/predictionengine.h"
#include "store/textencoding.h"
#include "support/drawfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

ReflectFlags only(std::initializer_list<int> set)
{
    ReflectFlags flags{};
    for (int k : set)
        flags[size_t(k)] = true;
    return flags;
}

QByteArray sjis(const char *utf8)
{
    return TextEncoding::encodeCp932(QString::fromUtf8(utf8));
}

// Runs a test in a temporary working directory, as the file is found there.
class InTemporaryDirectory : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_previous = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
    }
    void TearDown() override { QDir::setCurrent(m_previous); }
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    QString m_previous;
};

} // namespace

TEST(OptionsFile, WritesTwelveCrLfLinesInKeyOrder)
{
    ReflectFlags flags{};
    flags[1] = true;
    flags[11] = true;
    const QByteArray bytes = OptionsFile::contents(flags);
    // "頻度分析Opt=False" in Shift_JIS, as the old program left it.
    EXPECT_TRUE(bytes.startsWith(QByteArray("\x95\x70\x93\x78\x95\xAA\x90\xCD" "Opt=False\r\n")));
    EXPECT_TRUE(bytes.endsWith("Opt=True\r\n"));
    EXPECT_FALSE(bytes.endsWith("\r\n\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), 12);
    EXPECT_EQ(bytes.count('\n'), 12);

    const QStringList lines = TextEncoding::decodeCp932(bytes).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 13);
    EXPECT_EQ(lines[0], QStringLiteral("頻度分析Opt=False"));
    EXPECT_EQ(lines[1], QStringLiteral("間隔分析Opt=True"));
    EXPECT_EQ(lines[10], QStringLiteral("下一桁出現傾向分析Opt=False"));
    EXPECT_EQ(lines[11], QStringLiteral("下一桁連続出現回数分析Opt=True"));
}

TEST(OptionsFile, RoundTripRestoresEveryFlag)
{
    const ReflectFlags cases[] = {only({}), only({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}), only({10, 11}),
                                  only({0, 2, 4, 6, 8, 10}), only({1, 3, 5, 7, 9, 11}), only({8})};
    for (const ReflectFlags &written : cases) {
        ReflectFlags read{};
        read.fill(!written[0]); // the read must set every flag, not inherit them
        for (int k = 1; k < ReflectFlagCount; ++k)
            read[size_t(k)] = !written[size_t(k)];
        const OptionsFile::ReadResult result = OptionsFile::apply(OptionsFile::contents(written), read);
        EXPECT_TRUE(result.ok) << result.error.toStdString();
        EXPECT_EQ(read, written);
    }
}

TEST(OptionsFile, ReadsAFileWrittenInShiftJisByAnotherProgram)
{
    // 間隔分析Opt=True CR LF, 下一桁連続出現回数分析Opt=-1 LF, bytes as iconv's CP932 writes them.
    const unsigned char raw[] = {0x8a, 0xd4, 0x8a, 0x75, 0x95, 0xaa, 0x90, 0xcd, 0x4f, 0x70, 0x74, 0x3d,
                                 0x54, 0x72, 0x75, 0x65, 0x0d, 0x0a, 0x89, 0xba, 0x88, 0xea, 0x8c, 0x85,
                                 0x98, 0x41, 0x91, 0xb1, 0x8f, 0x6f, 0x8c, 0xbb, 0x89, 0xf1, 0x90, 0x94,
                                 0x95, 0xaa, 0x90, 0xcd, 0x4f, 0x70, 0x74, 0x3d, 0x2d, 0x31, 0x0a};
    ReflectFlags flags{};
    const OptionsFile::ReadResult result =
        OptionsFile::apply(QByteArray(reinterpret_cast<const char *>(raw), sizeof raw), flags);
    EXPECT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(flags, only({1, 11}));
}

TEST(OptionsFile, ReadingRules)
{
    struct Case
    {
        const char *name;
        const char *text;
        ReflectFlags before;
        ReflectFlags after;
        bool ok;
    };
    const ReflectFlags none = only({});
    const Case cases[] = {
        {"some keys only", "間隔分析Opt=True\r\n", none, only({1}), true},
        {"other flags keep their values", "間隔分析Opt=False\r\n", only({1, 4}), only({4}), true},
        {"any order", "下一桁出現傾向分析Opt=True\r\n頻度分析Opt=True\r\n", none, only({0, 10}), true},
        {"last occurrence wins", "頻度分析Opt=True\r\n間隔分析Opt=True\r\n頻度分析Opt=False\r\n", none, only({1}), true},
        {"unknown key skipped", "色Opt=True\r\n間隔分析Opt=True\r\n", none, only({1}), true},
        {"unknown key without = skipped", "[オプション]\r\n間隔分析Opt=True\r\n", none, only({1}), true},
        {"letter case differs", "頻度分析opt=True\r\n", none, none, true},
        {"leading blank", " 頻度分析Opt=True\r\n", none, none, true},
        {"blank before =", "頻度分析Opt =True\r\n", none, none, true},
        {"value up to the second =", "頻度分析Opt=True=False\r\n", none, only({0}), true},
        {"lower case", "頻度分析Opt=true\r\n", none, only({0}), true},
        {"upper case", "頻度分析Opt=TRUE\r\n間隔分析Opt=FALSE\r\n", only({1}), only({0}), true},
        {"blanks around the value", "頻度分析Opt= True \r\n", none, only({0}), true},
        {"numbers", "頻度分析Opt=1\r\n間隔分析Opt=-1\r\n出現回数分析Opt=0\r\nバラツキ分析Opt=2.5\r\n引っ張り分析Opt=0.0\r\n",
         only({2, 4}), only({0, 1, 3}), true},
        {"lone LF and CR end lines", "頻度分析Opt=True\n間隔分析Opt=True\r出現回数分析Opt=True", none, only({0, 1, 2}), true},
        {"not a Boolean stops the read", "頻度分析Opt=True\r\n間隔分析Opt=Yes\r\n出現回数分析Opt=True\r\n", none, only({0}), false},
        {"empty value", "頻度分析Opt=True\r\n間隔分析Opt=\r\n", none, only({0}), false},
        {"known key without =", "頻度分析Opt=True\r\n間隔分析Opt\r\n出現回数分析Opt=True\r\n", none, only({0}), false},
        {"empty line stops the read", "頻度分析Opt=True\r\n\r\n間隔分析Opt=True\r\n", none, only({0}), false},
        {"empty file", "", only({3}), only({3}), true},
    };
    for (const Case &c : cases) {
        ReflectFlags flags = c.before;
        const OptionsFile::ReadResult result = OptionsFile::apply(sjis(c.text), flags);
        EXPECT_EQ(result.ok, c.ok) << c.name;
        EXPECT_EQ(flags, c.after) << c.name;
        EXPECT_EQ(result.error.isEmpty(), c.ok) << c.name;
    }
}

TEST(OptionsFile, Cp932RoundTripsItsOwnCharacters)
{
    // ～ and ① are where plain Shift_JIS and the Windows code page part ways.
    const QString text = QStringLiteral("～①髙﨑ｶﾅ―∥－￠￡￢頻度分析Opt");
    const QByteArray bytes = TextEncoding::encodeCp932(text);
    EXPECT_EQ(bytes.left(4), QByteArray("\x81\x60\x87\x40"));
    EXPECT_FALSE(bytes.contains('?'));
    EXPECT_EQ(TextEncoding::decodeCp932(bytes), text);
    // A byte that starts no character is replaced, the rest is kept.
    EXPECT_EQ(TextEncoding::decodeCp932(QByteArray("\xA0" "Opt")), QStringLiteral("\uFFFDOpt"));
    EXPECT_EQ(TextEncoding::encodeCp932(QStringLiteral("a😀b")), QByteArray("a?b"));
}

TEST_F(InTemporaryDirectory, EngineReadsAndWritesTheFileInTheWorkingDirectory)
{
    PredictionEngine first;
    QString error;
    EXPECT_FALSE(first.ReadInitFile(&error)); // none yet: flags stay false
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(first.flags(), only({}));

    first.setFlags(only({1, 10, 11}));
    ASSERT_TRUE(first.WriteInitFile(&error)) << error.toStdString();
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("ロト6ケルモン.ini"))));
    // Nothing but the file is left behind.
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("ロト6ケルモン.ini")});

    PredictionEngine second;
    EXPECT_TRUE(second.ReadInitFile());
    EXPECT_EQ(second.flags(), only({1, 10, 11}));

    // A later exit replaces the file.
    second.setFlag(1, false);
    ASSERT_TRUE(second.WriteInitFile());
    PredictionEngine third;
    EXPECT_TRUE(third.ReadInitFile());
    EXPECT_EQ(third.flags(), only({10, 11}));
}

TEST_F(InTemporaryDirectory, FailedReadKeepsTheLinesBeforeIt)
{
    QFile file(path(QStringLiteral("ロト6ケルモン.ini")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(sjis("頻度分析Opt=True\r\n間隔分析Opt=たぶん\r\n出現回数分析Opt=True\r\n"));
    file.close();
    PredictionEngine engine;
    QString error;
    EXPECT_FALSE(engine.ReadInitFile(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("たぶん"))) << error.toStdString();
    EXPECT_EQ(engine.flags(), only({0}));
}

TEST_F(InTemporaryDirectory, FailedWriteReportsWhy)
{
    const QString error = OptionsFile::write(path(QStringLiteral("無い/ロト6ケルモン.ini")), only({1}));
    EXPECT_FALSE(error.isEmpty());
}

// A new file is readable by its owner alone; a file the user already has
// keeps the mode they gave it.
TEST_F(InTemporaryDirectory, NewFileIsTheUsersAloneAnExistingOneKeepsItsMode)
{
    const QString ini = path(OptionsFile::FileName);
    ASSERT_EQ(OptionsFile::write(ini, only({0})), QString());
    struct stat info{};
    ASSERT_EQ(::stat(QFile::encodeName(ini).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);

    ASSERT_EQ(::chmod(QFile::encodeName(ini).constData(), 0640), 0);
    ASSERT_EQ(OptionsFile::write(ini, only({4})), QString());
    ASSERT_EQ(::stat(QFile::encodeName(ini).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    ReflectFlags flags{};
    EXPECT_TRUE(OptionsFile::read(ini, flags).ok);
    EXPECT_EQ(flags, only({4}));
}

// Files that never end or never answer: the read takes a small head and
// never waits; the write leaves anything but a regular file alone.
TEST_F(InTemporaryDirectory, EndlessOrSilentFilesNeitherHangNorFlood)
{
    ASSERT_TRUE(DrawFile::writeBytes(path(QStringLiteral("huge.ini")), OptionsFile::contents(only({2, 5})) + QByteArray(1 << 23, 'x')));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path(QStringLiteral("zero.ini"))));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(QStringLiteral("fifo.ini"))).constData(), 0600), 0);
    for (const char *name : {"huge.ini", "zero.ini", "fifo.ini"}) {
        ReflectFlags flags = only({0});
        OptionsFile::read(path(QString::fromLatin1(name)), flags);
        EXPECT_EQ(flags, name[0] == 'h' ? only({2, 5}) : only({0})) << name;
    }
    EXPECT_TRUE(OptionsFile::write(path(QStringLiteral("fifo.ini")), only({1})).contains(QStringLiteral("通常のファイルではありません")));
}

// A disk that fills up during the write (a file size limit stands in for
// it): the old file stays and the caller is told.
TEST_F(InTemporaryDirectory, FullDiskKeepsTheOldFile)
{
    const QString ini = path(OptionsFile::FileName);
    ASSERT_EQ(OptionsFile::write(ini, only({0, 3})), QString());
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString error = OptionsFile::write(ini, only({7, 8, 9}));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(error.isEmpty());
    ReflectFlags flags{};
    EXPECT_TRUE(OptionsFile::read(ini, flags).ok);
    EXPECT_EQ(flags, only({0, 3}));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{OptionsFile::FileName});
}
