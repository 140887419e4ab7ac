#pragma once

#include <QString>

// Where the program's own files live. One rule for the whole program:
// a portable program (the build folder, a portable copy: a folder that holds
// its own Loto6Kermon.mdb and that the user can write to) keeps everything
// where it always was: the draw database beside the executable, the options
// file and the ticket ledger in the working directory.
// Anywhere else the database and the ticket ledger are the user's own, in the
// data folder (~/.local/share/loto6kermon), the database made from the
// bundled one at first start, and the options file sits in the configuration
// folder (~/.config/loto6kermon).
//
// An installation is recognised by its layout (DataLocation::Layout): the
// programs in bin/ or the helper in libexec/loto6kermon/, the bundled files
// in share/loto6kermon/. Whoever runs it, root included, it is never written
// to.
namespace DataLocation {

// Name of the folder below the user's data and configuration folders, and
// below share/ of an installation.
inline const QString FolderName = QStringLiteral("loto6kermon");

// True when the program's folder holds its own database and the program can
// write to it. Whether it holds one is decided once per process: removed
// while the program runs, its database does not make it another program.
bool isPortable(const QString &programFolder);

// The folder that holds Loto6Kermon.mdb for a program in programFolder.
QString databaseFolder(const QString &programFolder);
// databaseFolder/Loto6Kermon.mdb.
QString databaseFile(const QString &programFolder);

// The folder that holds ロト6ケルモン.ini. Installed, it exists once prepare()
// has run.
QString settingsFolder(const QString &programFolder);
// The path to open a file of the settings folder by. Portable, that is the
// bare name, resolved against the working directory when it is opened, as
// the program has always done.
QString settingsFile(const QString &programFolder, const QString &name);

// The path to open a database of the user's own (the ticket ledger) by:
// portable, the bare name as for settingsFile; otherwise in the data folder.
// Earlier versions kept such a file in the configuration folder; the first
// time it is asked for, it is moved to the data folder, holding its write
// lock while the name changes hands. Where it cannot be moved safely now
// (another program is writing it, another file system, not a database) it is
// used where it is.
QString dataFile(const QString &programFolder, const QString &name);

// The folder of what comes with the program: the bundled database and the
// help file. The program folder itself, or share/loto6kermon installed.
QString resourceFolder(const QString &programFolder);

// The folder of the helper programs (loto6kermon-render): beside the program,
// or libexec/loto6kermon installed.
QString helperFolder(const QString &programFolder);

// Makes the data and configuration folders of a program that is not
// portable and, at its first start, the user's database as a copy of the
// bundled one. The copy appears complete or not at all, and an existing
// database is never touched. A start that fails leaves no folder it made.
// Does nothing for a portable program. Returns an empty string, or a message
// for the user saying what could not be made.
QString prepare(const QString &programFolder);

} // namespace DataLocation
