#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The twelve reflect flags: for each analysis family, whether it is reflected
// in the prediction. Index k is the same everywhere: options file line,
// option buttons of the window and look-back weight.
inline constexpr int ReflectFlagCount = 12;
using ReflectFlags = std::array<bool, ReflectFlagCount>;

// The options file ロト6ケルモン.ini: one line key=True/False per flag, CR LF,
// in the Japanese ANSI code page (CP932), as the program has always written
// it, so files of earlier runs and of other tools stay readable.
namespace OptionsFile {

// Opened by its bare name, that is in the current working directory.
inline const QString FileName = QStringLiteral("ロト6ケルモン.ini");

// Key of flag k in the file, e.g. "頻度分析Opt" for k = 0.
const QStringList &keys();

// The outcome of a read: ok, or why it stopped. Flags set by lines before the
// failing one keep their new values.
struct ReadResult
{
    bool ok = true;
    QString error;
};

// Applies the lines of a file's contents to flags: lines in any order,
// unknown keys skipped, the last occurrence of a key wins, keys compared
// exactly. An empty line, a known key without "=", or a value that is not a
// Boolean stops the read there.
ReadResult apply(const QByteArray &contents, ReflectFlags &flags);

// The file's contents for these flags: twelve lines in key order.
QByteArray contents(const ReflectFlags &flags);

// The most of the file that is read; the rest is ignored. Twelve lines are
// a few hundred bytes.
constexpr qsizetype MaxReadBytes = 64 * 1024;

// Reads path into flags; a missing or unreadable file is a failed read that
// leaves flags as they were. Reads at most MaxReadBytes and never waits for
// input (a FIFO, a device).
ReadResult read(const QString &path, ReflectFlags &flags);

// Writes the file through a temporary file in the same folder that replaces
// the old one only when complete, so a failed write keeps the old options.
// Returns an empty string on success, otherwise the reason.
QString write(const QString &path, const ReflectFlags &flags);

// Boolean text as the options file accepts it: True/False in any letter case,
// or a number (0 is false, any other number true); surrounding blanks are
// ignored. Nothing for other text.
std::optional<bool> toBoolean(const QString &text);

} // namespace OptionsFile
