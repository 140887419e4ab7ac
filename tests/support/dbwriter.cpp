// A second program writing to a draw database, for tests of what a crash or
// a lock leaves behind. It says on stdout when it has reached its point.
//
//   dbwriter FILE crash N   commits 第1数字 = N for draw 1 ("committed"), then
//                           rewrites every record inside a transaction large
//                           enough to reach the file ("writing") and waits to
//                           be killed: the journal beside FILE is left hot.
//   dbwriter FILE lock MS   holds the exclusive lock ("locked") for MS ms.
#include "store/drawdatabase.h"
#include "store/runtimeerror.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4)
        return 2;
    const auto say = [](const char *text) {
        std::printf("%s\n", text);
        std::fflush(stdout);
    };
    try {
        const Database db = Database::open(args[1], DrawDatabase::password(), Database::Mode::ReadWrite);
        if (args[2] == QLatin1String("crash")) {
            Statement edit = db.prepare(QStringLiteral("UPDATE 結果マスタ SET 第1数字 = ? WHERE 回数 = 1"));
            edit.bind(1, Field(args[3].toLongLong()));
            db.begin();
            edit.step();
            db.commit();
            say("committed");
            // A cache this small spills changed pages into the file itself
            // before the commit, as a large transaction does.
            db.exec(QStringLiteral("PRAGMA cache_size = 2"));
            db.begin();
            db.exec(QStringLiteral("UPDATE 結果マスタ SET 第2数字 = 40, 第3数字 = 'unfinished'"));
            say("writing");
            QThread::sleep(3600);
        } else if (args[2] == QLatin1String("lock")) {
            db.exec(QStringLiteral("BEGIN EXCLUSIVE"));
            say("locked");
            QThread::msleep(args[3].toULong());
            db.commit();
        }
    } catch (const DatabaseError &error) {
        std::fprintf(stderr, "%s\n", error.message().toUtf8().constData());
        return 1;
    }
    return 0;
}
