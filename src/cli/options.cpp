#include "cli/options.h"

#include <QRegularExpression>

#include <climits>

namespace Cli {

const OptionSpec *CommandSpec::option(const QString &optionName) const
{
    for (const OptionSpec &o : options) {
        if (o.name == optionName)
            return &o;
    }
    return nullptr;
}

QString Options::value(const QString &name, const QString &fallback) const
{
    const auto given = m_values.constFind(name);
    if (given != m_values.cend())
        return given->constLast();
    const OptionSpec *spec = m_command ? m_command->option(name) : nullptr;
    return spec && !spec->choices.isEmpty() ? spec->choices.first() : fallback;
}

std::optional<long long> Options::whole(const QString &name, long long min, long long max) const
{
    if (!has(name))
        return std::nullopt;
    return wholeNumber(name, value(name), min, max);
}

long long Options::whole(const QString &name, long long fallback, long long min, long long max) const
{
    return whole(name, min, max).value_or(fallback);
}

std::optional<int> Options::integer(const QString &name) const
{
    const std::optional<long long> value = whole(name, INT_MIN, INT_MAX);
    return value ? std::optional<int>(int(*value)) : std::nullopt;
}

namespace {

// "json か csv", "a、b か c"
QString alternatives(const QStringList &choices)
{
    if (choices.size() < 2)
        return choices.join(QString());
    return choices.mid(0, choices.size() - 1).join(QStringLiteral("、")) + QStringLiteral(" か ") + choices.last();
}

} // namespace

Options Options::parse(const CommandSpec &command, const QStringList &args)
{
    Options options;
    options.m_command = &command;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        // "-" alone is a file name: standard input.
        if (!arg.startsWith(QLatin1String("--"))) {
            options.positional << arg;
            continue;
        }
        const OptionSpec *spec = command.option(arg);
        if (!spec)
            throw UsageError{QStringLiteral("%1 は %2 のオプションではありません。").arg(arg, command.name)};
        if (spec->kind != OptionSpec::Kind::Repeated && options.has(arg))
            throw UsageError{QStringLiteral("%1 は一度だけ指定できます。").arg(arg)};
        QString value;
        if (spec->kind != OptionSpec::Kind::Flag) {
            if (i + 1 >= args.size())
                throw UsageError{QStringLiteral("%1 には値が必要です。").arg(arg)};
            value = args[++i];
            if (!spec->choices.isEmpty() && !spec->choices.contains(value))
                throw UsageError{QStringLiteral("%1 は %2 です。").arg(arg, alternatives(spec->choices))};
        }
        options.m_values[arg] << value;
    }
    if (options.positional.size() > command.arguments) {
        const QString extra = options.positional.mid(command.arguments).join(QLatin1Char(' '));
        throw UsageError{command.arguments == 0 ? QStringLiteral("%1 は引数を取りません: %2").arg(command.name, extra)
                                                : QStringLiteral("%1 の引数が多すぎます: %2").arg(command.name, extra)};
    }
    return options;
}

namespace {

// Digits as typed: full-width digits and signs made plain, blanks around dropped.
QString plainNumber(const QString &text)
{
    return text.normalized(QString::NormalizationForm_KC).trimmed();
}

} // namespace

long long wholeNumber(const QString &option, const QString &text, long long min, long long max)
{
    bool ok = false;
    const long long value = plainNumber(text).toLongLong(&ok);
    if (ok && value >= min && value <= max)
        return value;
    // Bounds that only keep the number in its type say nothing to the user.
    if (min <= INT_MIN && max >= INT_MAX)
        throw UsageError{QStringLiteral("%1 には整数を指定してください: %2").arg(option, text)};
    throw UsageError{QStringLiteral("%1 には %2 から %3 までの整数を指定してください: %4").arg(option).arg(min).arg(max).arg(text)};
}

std::pair<long long, long long> wholeRange(const QString &option, const QString &text, long long min, long long max)
{
    static const QRegularExpression form(QStringLiteral("^(\\d+)\\s*(?:[-~〜]\\s*(\\d+))?$"));
    const QRegularExpressionMatch match = form.match(plainNumber(text));
    if (!match.hasMatch())
        throw UsageError{QStringLiteral("%1 は「下限-上限」の形で指定してください（例 100-160）: %2").arg(option, text)};
    const long long low = wholeNumber(option, match.captured(1), min, max);
    return {low, match.captured(2).isEmpty() ? low : wholeNumber(option, match.captured(2), min, max)};
}

} // namespace Cli
