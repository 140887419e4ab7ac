// A second program writing to a draw database, for crash and lock tests.
//   dbwriter FILE crash N  commits 第1数字 = N for draw 1, then rewrites every
//                          record in a transaction whose pages spill into the
//                          file, and waits to be killed (a hot journal)
//   dbwriter FILE lock MS  holds the exclusive lock for MS ms
//   dbwriter FILE replace NEW MS
//                          takes the write lock, renames NEW over FILE after
//                          MS ms and lets go MS ms later, as a replacement
//                          by another program does
//   dbwriter FILE edit N   changes 第1数字 of rows 1 … N through the draw
//                          results editor, one transaction each, and prints
//                          "row value W" (written) or "row value F" (failed)
// crash and lock take "plain" after their number for a file without a key
// (the ticket ledger's kind).
#include "maintenance/drawrecordeditor.h"
#include "store/drawdatabase.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(2) == QLatin1String("edit")) {
        DrawRecordEditor editor(Database::open(args.value(1), DrawDatabase::password(), Database::Mode::ReadWrite));
        std::puts("ready");
        std::fflush(stdout);
        for (int row = 1; row <= std::min(args.value(3).toInt(), editor.rowCount()); ++row) {
            const int value = int(editor.record(row).number(1).integer() % 43) + 1;
            const EditResult result = editor.setText(2, row, QString::number(value));
            std::printf("%d %d %c\n", row, value, result.changedDatabase() ? 'W' : 'F');
            std::fflush(stdout);
            QThread::msleep(5); // a quick typist, not a loop that never lets go of the file
        }
        return 0;
    }
    const QString key = args.value(4) == QLatin1String("plain") ? QString() : DrawDatabase::password();
    const Database db = Database::open(args.value(1), key, Database::Mode::ReadWrite);
    if (args.value(2) == QLatin1String("crash")) {
        db.exec(QStringLiteral("UPDATE 結果マスタ SET 第1数字 = %1 WHERE 回数 = 1").arg(args.value(3).toInt()));
        db.exec(QStringLiteral("PRAGMA cache_size = 2"));
        db.begin();
        db.exec(QStringLiteral("UPDATE 結果マスタ SET 第2数字 = 40, 第3数字 = 'unfinished'"));
    } else if (args.value(2) == QLatin1String("replace")) {
        db.begin();
        std::puts("ready");
        std::fflush(stdout);
        QThread::msleep(args.value(4).toULong());
        std::rename(QFile::encodeName(args.value(3)).constData(), QFile::encodeName(args.value(1)).constData());
        QThread::msleep(args.value(4).toULong());
        db.rollback();
        return 0;
    } else {
        db.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    }
    std::puts("ready");
    std::fflush(stdout);
    QThread::msleep(args.value(2) == QLatin1String("crash") ? 3600000 : args.value(3).toULong());
    db.rollback();
    return 0;
}
