#pragma once

#include <QHash>
#include <QStringList>

#include <optional>

namespace Cli {

// A command's arguments: options as name → value (flags have an empty
// value) and the words that are not options, in order.
struct Options
{
    QStringList positional;
    QHash<QString, QString> named;
    bool has(const QString &name) const { return named.contains(name); }
    QString value(const QString &name, const QString &fallback = {}) const { return named.value(name, fallback); }
};

// Reads args: each of valued takes the next word as its value, each of flags
// stands alone; any other word starting with "--" is refused, with the reason
// in problem.
std::optional<Options> parse(const QStringList &args, const QStringList &valued, const QStringList &flags,
                             QString *problem);

} // namespace Cli
