#pragma once

#include <QString>
#include <QStringList>

// The web addresses 当選データ取込 fetched last, most recent first, offered
// again in its address field. They live in a file of their own beside the
// options file (whose format is fixed), readable by the user alone: an
// address may carry a name and password.
namespace RecentAddresses {

inline const QString FileName = QStringLiteral("ロト6ケルモン取込アドレス.txt");
constexpr int MaxAddresses = 5;

// Where a program in programFolder keeps the list.
QString defaultPath(const QString &programFolder);

// The list, one address a line; a missing or unreadable file is an empty
// list, and lines that are no http or https address are left out.
QStringList load(const QString &path);

// Puts address first (once), keeps the newest MaxAddresses and writes the
// file whole, mode 0600. Returns why it could not be written, or an empty
// string.
QString remember(const QString &path, const QString &address);

} // namespace RecentAddresses
