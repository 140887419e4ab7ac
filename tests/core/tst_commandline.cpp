// The command lines of both programs: what each command takes, what it
// refuses, and that the usage, the manual and the parser agree.
#include "support/cliprocess.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString sourceFile(const char *path)
{
    QFile file(QStringLiteral(LOTO6_SOURCE_DIR "/") + QString::fromUtf8(path));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

// A usage error names what is wrong and shows the usage of that command
// only; nothing is written.
TEST(CommandLine, WhatACommandDoesNotTakeIsAUsageError)
{
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("out.png"));
    struct Case
    {
        QStringList args;
        const char *message;
        const char *usage; // the command's line of the usage
    };
    const Case cases[] = {
        {{QStringLiteral("export"), QStringLiteral("引っ張り分析"), QStringLiteral("--png"), png}, "--png は export のオプションではありません。",
         "loto6kermon-cli export WINDOW"},
        {{QStringLiteral("tickets"), QStringLiteral("list"), QStringLiteral("--numbers"), QStringLiteral("1,2,3,4,5,6")},
         "--numbers は tickets list のオプションではありません。", "loto6kermon-cli tickets list"},
        {{QStringLiteral("combos"), QStringLiteral("--sum"), QStringLiteral("100-160"), QStringLiteral("--sum"), QStringLiteral("120-130")},
         "--sum は一度だけ指定できます。", "loto6kermon-cli combos"},
        {{QStringLiteral("backtest"), QStringLiteral("--search"), QStringLiteral("--search")}, "--search は一度だけ指定できます。",
         "loto6kermon-cli backtest"},
        {{QStringLiteral("export"), QStringLiteral("出現頻度分析"), QStringLiteral("--format"), QStringLiteral("xml")}, "--format は json か csv です。",
         "loto6kermon-cli export WINDOW"},
        {{QStringLiteral("import"), QStringLiteral("-"), QStringLiteral("--format"), QStringLiteral("csv")}, "--format は text か json です。",
         "loto6kermon-cli import FILE"},
        {{QStringLiteral("randomness"), QStringLiteral("--last")}, "--last には値が必要です。", "loto6kermon-cli randomness"},
        {{QStringLiteral("summary"), QStringLiteral("extra")}, "summary は引数を取りません: extra", "loto6kermon-cli summary"},
        {{QStringLiteral("export"), QStringLiteral("出現頻度分析"), QStringLiteral("バラツキ分析")}, "export の引数が多すぎます: バラツキ分析",
         "loto6kermon-cli export WINDOW"},
        {{QStringLiteral("randomness"), QStringLiteral("--last"), QStringLiteral("1O")}, "--last には整数を指定してください: 1O",
         "loto6kermon-cli randomness"},
        {{QStringLiteral("backtest"), QStringLiteral("--from"), QStringLiteral("99999999999")}, "--from には整数を指定してください: 99999999999",
         "loto6kermon-cli backtest"},
        {{QStringLiteral("wheel"), QStringLiteral("--numbers"), QStringLiteral("1,,2,3,4,5,6,7"), QStringLiteral("--if"), QStringLiteral("3"),
          QStringLiteral("--match"), QStringLiteral("3")},
         "--numbers: カンマの前後に数字がありません: 1,,2,3,4,5,6,7", "loto6kermon-cli wheel"},
        {{QStringLiteral("wheel"), QStringLiteral("--numbers"), QStringLiteral("1,2,3,4,5,6,7,"), QStringLiteral("--if"), QStringLiteral("3"),
          QStringLiteral("--match"), QStringLiteral("3")},
         "カンマの前後に数字がありません", "loto6kermon-cli wheel"},
        {{QStringLiteral("combos"), QStringLiteral("--sum"), QStringLiteral("99999999999-3")}, "--sum には 0 から 999 までの整数を指定してください",
         "loto6kermon-cli combos"},
        {{QStringLiteral("render"), QStringLiteral("出現頻度分析"), QStringLiteral("--png"), png, QStringLiteral("--pdf"),
          dir.filePath(QStringLiteral("out.pdf"))},
         "render には --png か --pdf のどちらか一つが必要です。", "loto6kermon-cli render WINDOW --png"},
        {{QStringLiteral("tickets"), QStringLiteral("lists")}, "不明なサブコマンドです: lists", "loto6kermon-cli tickets prize"},
        {{QStringLiteral("tickets"), QStringLiteral("add"), QStringLiteral("--numbers"), QStringLiteral("1,2,3,4,5,6"), QStringLiteral("--if"),
          QStringLiteral("4"), QStringLiteral("--ledger"), dir.filePath(QStringLiteral("ledger.db"))},
         "--if は --wheel と一緒に使います。", "loto6kermon-cli tickets add --wheel"},
        {{QStringLiteral("tickets"), QStringLiteral("prize"), QStringLiteral("--draw"), QStringLiteral("10"), QStringLiteral("--tier"),
          QStringLiteral("一"), QStringLiteral("--amount"), QStringLiteral("none"), QStringLiteral("--ledger"), dir.filePath(QStringLiteral("ledger.db"))},
         "--tier には整数を指定してください: 一", "loto6kermon-cli tickets prize"},
    };
    for (const Case &c : cases) {
        const std::string what = c.args.join(QLatin1Char(' ')).toStdString();
        const CliProcess::Result result = CliProcess::run(c.args);
        EXPECT_EQ(result.exitCode, 2) << what;
        EXPECT_TRUE(result.out.isEmpty()) << what;
        EXPECT_TRUE(result.err.contains(QString::fromUtf8(c.message))) << what << ": " << result.err.toStdString();
        EXPECT_TRUE(result.err.contains(QString::fromUtf8(c.usage))) << what;
        EXPECT_FALSE(result.err.contains(QStringLiteral("save-csv OUT"))) << what << ": the whole usage";
    }
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

// --groups is the one filter that repeats, one per division: every one given
// applies, in either order.
TEST(CommandLine, EveryGroupsFilterGivenApplies)
{
    for (const QStringList &groups : {QStringList{QStringLiteral("11:0-1"), QStringLiteral("6:1-2")},
                                      QStringList{QStringLiteral("6:1-2"), QStringLiteral("11:0-1")}}) {
        const CliProcess::Result result = CliProcess::run({QStringLiteral("combos"), QStringLiteral("--groups"), groups[0],
                                                           QStringLiteral("--groups"), groups[1], QStringLiteral("--count-only")});
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        const QJsonObject answer = QJsonDocument::fromJson(result.out.toUtf8()).object();
        EXPECT_EQ(answer.value(QStringLiteral("count")).toInt(), 101760);
        const QJsonArray filters = answer.value(QStringLiteral("filters")).toArray();
        ASSERT_EQ(filters.size(), 2);
        EXPECT_EQ(filters[0].toObject().value(QStringLiteral("division")).toInt(), groups[0].section(QLatin1Char(':'), 0, 0).toInt());
        EXPECT_EQ(filters[1].toObject().value(QStringLiteral("division")).toInt(), groups[1].section(QLatin1Char(':'), 0, 0).toInt());
    }
}

// The windowed program takes --help, --version and Qt's own options; any
// other word is refused before a window opens, with and without a display.
TEST(CommandLine, TheProgramRefusesWhatNeitherItNorQtTakes)
{
    struct Case
    {
        QStringList args;
        bool display;
        const char *named;
    };
    const Case cases[] = {
        {{QStringLiteral("--bogus")}, true, "--bogus"},
        {{QStringLiteral("--bogus")}, false, "--bogus"},
        {{QStringLiteral("-style"), QStringLiteral("Fusion"), QStringLiteral("--bogus")}, true, "--bogus"},
        {{QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("extra")}, false, "extra"},
    };
    for (const Case &c : cases) {
        const std::string what = c.args.join(QLatin1Char(' ')).toStdString() + (c.display ? " (offscreen)" : " (no display)");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        if (c.display)
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(LOTO6_PROGRAM), c.args);
        ASSERT_TRUE(program.waitForFinished(60000)) << what;
        const QString err = QString::fromUtf8(program.readAllStandardError());
        EXPECT_EQ(program.exitCode(), 2) << what;
        EXPECT_TRUE(program.readAllStandardOutput().isEmpty()) << what;
        EXPECT_TRUE(err.contains(QStringLiteral("unknown option: ") + QString::fromUtf8(c.named))) << what << ": " << err.toStdString();
        EXPECT_TRUE(err.contains(QStringLiteral("使い方 / usage: loto6kermon ["))) << what;
    }
}

// Every command and option of the usage is in the manual page.
TEST(CommandLine, TheManualNamesWhatTheUsageOffers)
{
    const CliProcess::Result help = CliProcess::run({QStringLiteral("--help")});
    ASSERT_EQ(help.exitCode, 0);
    const QString manual = sourceFile("packaging/loto6kermon-cli.1");
    ASSERT_FALSE(manual.isEmpty());
    static const QRegularExpression word(QStringLiteral("(?:^  ([a-z-]+)|(--[a-z-]+))"), QRegularExpression::MultilineOption);
    int checked = 0;
    for (QRegularExpressionMatchIterator i = word.globalMatch(help.out); i.hasNext(); ++checked) {
        const QString name = i.next().captured(0).trimmed();
        QString escaped = name;
        escaped.replace(QLatin1Char('-'), QStringLiteral("\\-"));
        EXPECT_TRUE(manual.contains(escaped)) << name.toStdString() << " is not in the manual";
    }
    EXPECT_GT(checked, 40);
}
