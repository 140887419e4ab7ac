#include "ui/savedfile.h"

#include <QFile>
#include <QSaveFile>

#include <memory>

#include <sys/stat.h>

namespace SavedFile {

QString write(const QString &path, const QByteArray &bytes)
{
    struct stat info;
    const bool special = ::stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode);
    std::unique_ptr<QFileDevice> file;
    if (special)
        file = std::make_unique<QFile>(path);
    else
        file = std::make_unique<QSaveFile>(path);
    // Unbuffered, every write reaches the file system at once and its failure
    // shows where it happens: a buffered write that failed while closing would
    // go unnoticed by QSaveFile, which would then put the cut file in place.
    if (!file->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file->errorString();
    for (qint64 written = 0; written < bytes.size();) {
        // A write cut short by a full disk returns what fit; the next one
        // fails with the reason.
        const qint64 n = file->write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0)
            return file->errorString(); // a QSaveFile not committed leaves nothing behind
        written += n;
    }
    if (special) {
        file->close();
        return file->error() == QFileDevice::NoError ? QString() : file->errorString();
    }
    auto &saved = static_cast<QSaveFile &>(*file);
    return saved.commit() ? QString() : saved.errorString();
}

} // namespace SavedFile
