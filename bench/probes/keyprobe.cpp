// Whole-process probe of keying the database: `keyprobe fresh DB` keys it
// before anything has hashed a string, `keyprobe after-qhash DB` after a
// QHash of strings has been filled. Both do the same work; scripts/bench.sh
// compares the two with hyperfine. The time keying took goes to stderr.
#include "store/drawdatabase.h"

#include <QElapsedTimer>
#include <QHash>
#include <QString>

#include <cstdio>
#include <cstring>

namespace {

int useHash()
{
    QHash<QString, int> names;
    for (int i = 0; i < 64; ++i)
        names.insert(QStringLiteral("--option-name-long-enough-for-vectors-%1").arg(i), i);
    return int(names.value(QStringLiteral("--option-name-long-enough-for-vectors-7")));
}

double keyOnce(const char *path)
{
    QElapsedTimer timer;
    timer.start();
    const Database db = DrawDatabase::connect(DrawDatabase::connectStringForFile(QString::fromLocal8Bit(path)),
                                           Database::Mode::ReadOnly);
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3 || (std::strcmp(argv[1], "fresh") != 0 && std::strcmp(argv[1], "after-qhash") != 0)) {
        std::fprintf(stderr, "usage: keyprobe fresh|after-qhash DATABASE\n");
        return 2;
    }
    const bool fresh = std::strcmp(argv[1], "fresh") == 0;
    int sink = 0;
    if (!fresh)
        sink += useHash();
    const double ms = keyOnce(argv[2]);
    if (fresh)
        sink += useHash();
    std::fprintf(stderr, "%s: keyed in %.1f ms (%d)\n", argv[1], ms, sink);
    return 0;
}
