#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

class QIODevice;

// Input from outside (a file the user names, standard input, pasted text)
// is read only up to limits far above any real draw or ticket file, so that
// no input, not even an endless device, can take the machine's memory.
namespace BoundedInput {

constexpr qint64 MaxBytes = 64 * 1024 * 1024;
constexpr qint64 MaxLineBytes = 64 * 1024;

struct Result
{
    QByteArray bytes;
    QString problem; // Japanese, naming the limit; empty when read whole

    bool ok() const { return problem.isEmpty(); }
};

// Reads the device to its end. Stops, with the problem set, at the first
// byte past MaxBytes or at a line longer than MaxLineBytes; name is how the
// message calls the input.
Result read(QIODevice &device, const QString &name);
// The file at path, or standard input for "-".
Result readFile(const QString &path);

// The same limits for text already in memory, counted in UTF-8 bytes: the
// problem, or an empty string.
QString check(QStringView text, const QString &name);

} // namespace BoundedInput
