#pragma once

#include <QString>

// Where the program's own files live. One rule for the whole program:
// a program folder the user can write to (the build folder, a portable copy)
// keeps everything where it always was: the draw database beside the
// executable, the options file and the ticket ledger in the working directory.
// An installed program's folder is read-only, so there the database is the
// user's own copy in the data folder (~/.local/share/loto6kermon), made from
// the bundled one at first start, and the options file and the ledger sit in
// the configuration folder (~/.config/loto6kermon).
//
// An installed layout (bin/ beside share/loto6kermon/Loto6Kermon.mdb, no
// database of its own) counts as installed even where its folder happens to
// be writable, as /usr/bin is for root: the program never writes into it.
namespace DataLocation {

// Name of the folder below the user's data and configuration folders, and
// below share/ of an installation.
inline const QString FolderName = QStringLiteral("loto6kermon");

// True when the program runs from a folder it can write to and that is not
// an installation.
bool isPortable(const QString &programFolder);

// The folder that holds Loto6Kermon.mdb for a program in programFolder.
QString databaseFolder(const QString &programFolder);
// databaseFolder/Loto6Kermon.mdb.
QString databaseFile(const QString &programFolder);

// The folder that holds ロト6ケルモン.ini and the ticket ledger. Installed,
// it exists once prepare() has run.
QString settingsFolder(const QString &programFolder);
// The path to open a file of the settings folder by. Portable, that is the
// bare name, resolved against the working directory when it is opened, as
// the program has always done.
QString settingsFile(const QString &programFolder, const QString &name);

// The folder of what comes with the program: the bundled database and the
// help file. The program folder itself, or share/loto6kermon installed.
QString resourceFolder(const QString &programFolder);

// Makes the data and configuration folders of an installed program and, at
// its first start, the user's database as a copy of the bundled one. The copy
// appears complete or not at all, and an existing database is never touched.
// Does nothing for a portable program. Returns an empty string, or a message
// for the user saying what could not be made.
QString prepare(const QString &programFolder);

} // namespace DataLocation
