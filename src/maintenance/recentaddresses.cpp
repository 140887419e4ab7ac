#include "maintenance/recentaddresses.h"

#include "maintenance/drawimportweb.h"
#include "store/boundedinput.h"
#include "store/datalocation.h"

#include <QFile>
#include <QSaveFile>

#include <sys/stat.h>

namespace RecentAddresses {

QString defaultPath(const QString &programFolder)
{
    return DataLocation::settingsFile(programFolder, FileName);
}

QStringList load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const BoundedInput::Result input = BoundedInput::read(file, path);
    QStringList addresses;
    for (const QByteArray &line : input.bytes.split('\n')) {
        const QString text = QString::fromUtf8(line).trimmed();
        if (DrawImport::parseWebAddress(text).problem.isEmpty() && !addresses.contains(text))
            addresses << text;
        if (addresses.size() == MaxAddresses)
            break;
    }
    return addresses;
}

QString remember(const QString &path, const QString &address)
{
    QStringList addresses = load(path);
    addresses.removeAll(address);
    addresses.prepend(address);
    while (addresses.size() > MaxAddresses)
        addresses.removeLast();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // Before a byte is written: an address may hold a password.
    ::fchmod(file.handle(), S_IRUSR | S_IWUSR);
    file.write((addresses.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    if (!file.commit())
        return file.errorString();
    return {};
}

} // namespace RecentAddresses
