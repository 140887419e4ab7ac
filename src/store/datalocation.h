#pragma once

#include <QString>

// Where the program's own files live. One rule for the whole program:
// a program folder the user can write to (the build folder, a portable copy)
// keeps everything where it always was: the draw database beside the
// executable, the options file and the ticket ledger in the working directory.
// An installed program's folder is read-only, so there the database is the
// user's own copy in the data folder and the options file and the ledger sit
// in the configuration folder.
namespace DataLocation {

// The folder that holds Loto6Kermon.mdb for a program in programFolder.
QString databaseFolder(const QString &programFolder);

// The folder that holds ロト6ケルモン.ini and the ticket ledger.
QString settingsFolder(const QString &programFolder);

// True when the program runs from a folder it can write to.
bool isPortable(const QString &programFolder);

} // namespace DataLocation
