// Memory with every window open: the program's main window on the database
// in FOLDER, the prediction shown at start-up, then every analysis window
// opened from the catalog and painted. Prints the resident set size.
#include "analysis/catalog.h"
#include "app/gui/mainfrm.h"
#include "ui/gui/metrics.h"

#include <QApplication>
#include <QFile>

#include <cstdio>
#include <cstring>

namespace {

long residentKilobytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').first().toLong();
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: allwindows FOLDER (holding Loto6Kermon.mdb)\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Metrics::installFontSubstitution();
    QApplication::setFont(Metrics::gridFont());
    MainFrm window(QString::fromLocal8Bit(argv[1]));
    window.show();
    if (!window.load())
        return 1;
    int opened = 0;
    for (const AnalysisWindow &w : analysisWindows()) {
        if (!w.build)
            continue;
        window.openWindow(MenuCommands::analysis(w));
        QApplication::processEvents();
        opened += window.childWindow(w.className) ? 1 : 0;
    }
    window.repaint();
    QApplication::processEvents();
    std::printf("windows open: %d + prediction; VmRSS %ld MB, VmHWM %ld MB\n", opened,
                residentKilobytes("VmRSS:") / 1024, residentKilobytes("VmHWM:") / 1024);
    std::fflush(stdout);
    std::_Exit(0);
}
