#pragma once

#include <QByteArray>
#include <QString>

// Every file the program saves (CSV, PDF, PNG) is made in memory and written
// here as a whole. A regular file, or a new one, is written beside its name
// and renamed over it only once every byte is on disk, so a failure (a full
// disk) leaves no partial file and an older file as it was. Anything else
// already there under the name (a terminal, /dev/null, a pipe) is written to
// directly: renaming over it would replace the device itself, which root may
// do.
namespace SavedFile {

// The reason when bytes could not all be written to path; empty when they were.
QString write(const QString &path, const QByteArray &bytes);

} // namespace SavedFile
