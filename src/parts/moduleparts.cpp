// For the program: the parts come from their module, loaded on first use.
#include "ui/gui/ondemand.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace {

// Beside the executable in the build tree, in lib/loto6kermon/ of an
// installation (the executable in bin/).
QStringList modulePaths()
{
    const QString folder = QCoreApplication::applicationDirPath();
    const QString name = QStringLiteral(LOTO6_PARTS_FILE);
    return {folder + QLatin1Char('/') + name, QDir::cleanPath(folder + QStringLiteral("/../lib/loto6kermon/") + name)};
}

} // namespace

const OnDemand::Parts *OnDemand::parts(QString *problem)
{
    static const Parts *loaded = nullptr;
    if (loaded)
        return loaded;
    QString reason;
    for (const QString &path : modulePaths()) {
        if (!QFileInfo::exists(path))
            continue;
        // Left loaded for the rest of the program's life: its windows and
        // dialogs come from it.
        QLibrary module(path);
        using Entry = const Parts *(*)();
        if (const auto entry = reinterpret_cast<Entry>(module.resolve("loto6kermon_parts"))) {
            loaded = entry();
            return loaded;
        }
        reason = module.errorString();
        break;
    }
    if (problem) {
        const QString what = QStringLiteral("印刷・グラフ・ダウンロードの部品「%1」").arg(QStringLiteral(LOTO6_PARTS_FILE));
        *problem = reason.isEmpty() ? what + QStringLiteral("が見つかりません。")
                                    : what + QStringLiteral("を読み込めません: %1").arg(reason);
    }
    return nullptr;
}
