#include "cli/commandtable.h"

namespace Cli {

namespace {

using Kind = OptionSpec::Kind;

OptionSpec value(const char *name)
{
    return {QString::fromLatin1(name), Kind::Value, {}};
}

OptionSpec flag(const char *name)
{
    return {QString::fromLatin1(name), Kind::Flag, {}};
}

OptionSpec format(const char *first, const char *second)
{
    return {QStringLiteral("--format"), Kind::Value, {QString::fromLatin1(first), QString::fromLatin1(second)}};
}

std::vector<CommandSpec> makeTable()
{
    // Every command reads or writes a draw database somewhere: all take --db.
    const OptionSpec db = value("--db");
    const OptionSpec ledger = value("--ledger");
    const OptionSpec reflect = value("--reflect");
    const std::vector<OptionSpec> wheelOptions{value("--if"), value("--match"), value("--seconds"), value("--seed"),
                                               value("--draw")};
    const auto with = [](std::vector<OptionSpec> options, const std::vector<OptionSpec> &more) {
        options.insert(options.end(), more.begin(), more.end());
        return options;
    };
    const auto tickets = [&](const char *sub, std::vector<OptionSpec> options, QStringList usage, int arguments = 0) {
        options.insert(options.begin(), {ledger, db});
        for (QString &line : usage)
            line = QStringLiteral("tickets %1 %2 [--ledger FILE]").arg(QLatin1String(sub), line);
        return CommandSpec{QStringLiteral("tickets ") + QLatin1String(sub), std::move(options), std::move(usage), arguments};
    };
    return {
        {QStringLiteral("create-db"), {value("--from-csv"), db, flag("--force")},
         {QStringLiteral("create-db --from-csv FILE --db OUT [--force]")}},
        {QStringLiteral("dump-db"), {db}, {QStringLiteral("dump-db")}},
        {QStringLiteral("summary"), {db}, {QStringLiteral("summary")}},
        {QStringLiteral("list"), {db}, {QStringLiteral("list")}},
        {QStringLiteral("export"), {db, format("json", "csv"), reflect, flag("--all")},
         {QStringLiteral("export WINDOW [--format json|csv] [--reflect 0,1,5]"),
          QStringLiteral("export --all [--format json|csv] [--reflect 0,1,5]")},
         1},
        {QStringLiteral("render"), {db, value("--png"), value("--pdf"), flag("--fit-width"), reflect},
         {QStringLiteral("render WINDOW --png OUT [--reflect 0,1,5]"),
          QStringLiteral("render WINDOW --pdf OUT [--fit-width] [--reflect 0,1,5]")},
         1},
        {QStringLiteral("update"), {db, value("--url"), flag("--force")}, {QStringLiteral("update [--url URL] [--force]")}},
        {QStringLiteral("randomness"), {db, value("--last"), value("--from"), value("--to"), format("json", "csv")},
         {QStringLiteral("randomness [--last N | --from A --to B] [--format json|csv]")}},
        {QStringLiteral("backtest"), {db, value("--from"), value("--to"), reflect, flag("--search"), format("json", "csv")},
         {QStringLiteral("backtest [--from N] [--to M] [--reflect 0,1,5] [--search] [--format json|csv]")}},
        tickets("add",
                with({value("--numbers"), value("--wheel"), value("--count"), value("--memo"), value("--date")}, wheelOptions),
                {QStringLiteral("--numbers 1,2,3,4,5,6 [--draw N] [--count k] [--memo text] [--date YYYY-MM-DD]"),
                 QStringLiteral("--wheel 1,2,... --if M --match T [--seconds S] [--seed N] [--draw N] [--count k] [--memo text] "
                                "[--date YYYY-MM-DD]")}),
        tickets("list", {format("json", "csv")}, {QStringLiteral("[--format json|csv]")}),
        tickets("check", {format("json", "csv")}, {QStringLiteral("[--format json|csv]")}),
        tickets("import", {}, {QStringLiteral("FILE")}, 1),
        tickets("export", {}, {QStringLiteral("FILE|-")}, 1),
        tickets("prize", {value("--draw"), value("--tier"), value("--amount")},
                {QStringLiteral("--draw N --tier 1-4 --amount YEN|none")}),
        {QStringLiteral("import"), {db, value("--url"), flag("--dry-run"), flag("--overwrite"), ledger, format("text", "json")},
         {QStringLiteral("import FILE|- [--dry-run] [--overwrite] [--ledger FILE] [--format text|json]"),
          QStringLiteral("import --url URL [--dry-run] [--overwrite] [--ledger FILE] [--format text|json]")},
         1},
        {QStringLiteral("save-csv"), {db, value("--encoding"), format("text", "json")},
         {QStringLiteral("save-csv OUT [--encoding utf-8|shift_jis] [--format text|json]")},
         1},
        {QStringLiteral("wheel"), with({db, value("--numbers"), format("json", "csv")}, wheelOptions),
         {QStringLiteral("wheel --numbers 1,2,... --if M --match T [--seconds S] [--seed N] [--format json|csv] [--draw N]")}},
        {QStringLiteral("combos"),
         {db, value("--numbers"), value("--sum"), value("--odd"), value("--low"), value("--consecutive"),
          value("--last-digit"), value("--previous"), {QStringLiteral("--groups"), Kind::Repeated, {}}, flag("--count-only"),
          value("--limit"), format("json", "csv"), value("--draw")},
         {QStringLiteral("combos [--numbers 1,2,...] [--sum A-B] [--odd A-B] [--low A-B] [--consecutive A-B] [--last-digit A-B]"),
          QStringLiteral("       [--previous A-B] [--groups D:A-B]... [--count-only] [--limit N] [--format json|csv] [--draw N]")}},
    };
}

} // namespace

const std::vector<CommandSpec> &commandTable()
{
    static const std::vector<CommandSpec> table = makeTable();
    return table;
}

const CommandSpec *findCommand(const QString &name)
{
    for (const CommandSpec &command : commandTable()) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

QString usageText()
{
    QString text = QStringLiteral("使い方 / usage: loto6kermon-cli COMMAND [--db FILE] ...\n");
    for (const CommandSpec &command : commandTable()) {
        for (const QString &line : command.usage)
            text += QStringLiteral("  ") + line + QLatin1Char('\n');
    }
    text += QStringLiteral("  --help | -h | help\n"
                           "  --version\n"
                           "終了コード / exit status: 0 成功（または何もすることがない）、1 失敗（何も書き込んでいない）、\n"
                           "  2 使い方の誤り、3 import の一部の行だけを書き込み、ほかの行はエラー\n");
    return text;
}

QString usageText(const CommandSpec &command)
{
    QString text = QStringLiteral("使い方 / usage:\n");
    for (const QString &line : command.usage) {
        // A line that continues the one before starts with blanks: it stays under the command's name.
        const QString program = QStringLiteral("loto6kermon-cli ");
        text += QStringLiteral("  ") + (line.startsWith(QLatin1Char(' ')) ? QString(program.size(), QLatin1Char(' ')) : program)
                + line + QLatin1Char('\n');
    }
    return text + QStringLiteral("すべてのコマンド / every command: loto6kermon-cli --help\n");
}

} // namespace Cli
