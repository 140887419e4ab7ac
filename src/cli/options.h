#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace Cli {

// A command line that cannot run as written: the command ends with exit 2,
// this message and the command's usage on stderr.
struct UsageError
{
    QString message;
};

// One option a command takes.
struct OptionSpec
{
    enum class Kind {
        Flag,    // stands alone
        Value,   // takes the next word, once
        Repeated // takes the next word, as often as given
    };
    QString name; // "--format"
    Kind kind = Kind::Value;
    // When not empty, the only values allowed; the first is the default.
    QStringList choices;
};

// A command (or a subcommand of tickets) and what its command line may hold.
struct CommandSpec
{
    QString name; // "export", "tickets add"
    std::vector<OptionSpec> options;
    // Its lines of the usage text, each without the program name.
    QStringList usage;
    // Words that are not options (a window, a file): at most this many.
    int arguments = 0;

    const OptionSpec *option(const QString &optionName) const;
};

// A command's arguments as its table allows them: the options given and the
// words that are not options, in order.
class Options
{
public:
    QStringList positional;

    bool has(const QString &name) const { return m_values.contains(name); }
    // The value of an option; when it is not given, the default of an option
    // with choices (its first), else fallback.
    QString value(const QString &name, const QString &fallback = {}) const;
    // Every value of a repeated option, in the order given.
    QStringList values(const QString &name) const { return m_values.value(name); }
    // The option as a whole number from min to max; nothing when it is not given.
    std::optional<long long> whole(const QString &name, long long min, long long max) const;
    long long whole(const QString &name, long long fallback, long long min, long long max) const;
    // The option as any int, where the command checks the range itself and
    // says so in its own words; nothing when it is not given.
    std::optional<int> integer(const QString &name) const;

    // Reads args against the command's table. Throws UsageError naming the
    // option for one the command does not take, a value missing or not among
    // the choices, or an option given twice that cannot repeat.
    static Options parse(const CommandSpec &command, const QStringList &args);

private:
    const CommandSpec *m_command = nullptr;
    QHash<QString, QStringList> m_values; // flags hold one empty value
};

// Whole numbers as the user writes them (full-width digits and blanks
// around them allowed), from min to max; option names the place in
// messages. Throws UsageError.
long long wholeNumber(const QString &option, const QString &text, long long min, long long max);
// "A-B" (also "A～B", "A〜B"), or "A" for A-A, each from min to max.
std::pair<long long, long long> wholeRange(const QString &option, const QString &text, long long min, long long max);

} // namespace Cli
