#include "ui/gui/filedialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace FileDialogs {

namespace {

QString key(Kind kind)
{
    switch (kind) {
    case Kind::Pdf:
        return QStringLiteral("folders/pdf");
    case Kind::Csv:
        return QStringLiteral("folders/csv");
    case Kind::Image:
        return QStringLiteral("folders/image");
    case Kind::DrawData:
        return QStringLiteral("folders/drawdata");
    }
    return {};
}

// ~/.config/loto6kermon/dialogs.ini, beside the installed program's options.
QSettings settings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("loto6kermon"), QStringLiteral("dialogs"));
}

} // namespace

QString folder(Kind kind)
{
    const QString remembered = settings().value(key(kind)).toString();
    return !remembered.isEmpty() && QFileInfo(remembered).isDir() ? remembered : QDir::homePath();
}

QString suggestion(Kind kind, const QString &name)
{
    QString file = name;
    file.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QDir(folder(kind)).filePath(file);
}

void remember(Kind kind, const QString &file)
{
    if (file.isEmpty())
        return;
    settings().setValue(key(kind), QFileInfo(file).absolutePath());
}

} // namespace FileDialogs
