#include "app/gui/programsetup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace ProgramSetup {

bool installQtTranslation(QApplication &app)
{
    // The program speaks only Japanese, whatever the user's locale says.
    auto *translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QApplication::installTranslator(translator);
}

QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/loto6kermon-%1.png").arg(size), QSize(size, size));
    return icon;
}

void apply(QApplication &app, Icon icon)
{
    installQtTranslation(app);
    if (icon == Icon::Now)
        setIconNow();
    QGuiApplication::setDesktopFileName(DesktopName);
}

void setIconNow()
{
    if (QApplication::windowIcon().isNull())
        QApplication::setWindowIcon(programIcon());
}

} // namespace ProgramSetup
