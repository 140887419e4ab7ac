#include "cli/importcommands.h"

#include "cli/commandsupport.h"
#include "maintenance/drawexportfile.h"
#include "maintenance/drawimportfetch.h"
#include "maintenance/drawimportplan.h"
#include "store/boundedinput.h"
#include "store/runtimeerror.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace Cli {

namespace {

void print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = (text + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

QString layoutName(DrawImport::ReadResult::Layout layout)
{
    switch (layout) {
    case DrawImport::ReadResult::Layout::Csv:
        return QStringLiteral("CSV");
    case DrawImport::ReadResult::Layout::Tsv:
        return QStringLiteral("TSV");
    case DrawImport::ReadResult::Layout::Text:
        return QStringLiteral("テキスト");
    case DrawImport::ReadResult::Layout::Empty:
        break;
    }
    return QStringLiteral("空");
}

QJsonArray numbersJson(const DrawImport::ImportedDraw &draw)
{
    QJsonArray numbers;
    for (const int n : draw.numbers)
        numbers.append(n);
    return numbers;
}

QJsonArray numbersJson(const DrawRecord &record)
{
    QJsonArray numbers;
    for (const Field &f : record.numbers) {
        if (f.isInteger())
            numbers.append(qint64(f.integer()));
        else if (f.isNull())
            numbers.append(QJsonValue::Null);
        else
            numbers.append(f.textValue());
    }
    return numbers;
}

QJsonValue amountJson(const std::optional<qint64> &amount)
{
    return amount ? QJsonValue(*amount) : QJsonValue(QJsonValue::Null);
}

QJsonArray prizesJson(const DrawImport::ImportedDraw &draw)
{
    QJsonArray prizes;
    for (int tier = 1; tier <= 5; ++tier) {
        const DrawImport::TierPrize &prize = draw.prizes[size_t(tier - 1)];
        if (!prize.given())
            continue;
        prizes.append(QJsonObject{{QStringLiteral("tier"), tier},
                                  {QStringLiteral("winners"), amountJson(prize.winners)},
                                  {QStringLiteral("amount"), amountJson(prize.amount)},
                                  {QStringLiteral("noWinner"), prize.noWinner}});
    }
    return prizes;
}

QString entryLine(const DrawImport::PlanEntry &entry, bool overwrite)
{
    using Kind = DrawImport::PlanEntry::Kind;
    const QString kind = DrawImport::kindName(entry.kind);
    if (entry.kind == Kind::Error) {
        const QString drawNo = entry.drawNo > 0 ? QStringLiteral("\t第%1回").arg(entry.drawNo) : QString();
        return QStringLiteral("%1\t%2 行目%3\t%4").arg(kind).arg(entry.line).arg(drawNo, entry.reason);
    }
    QString line = QStringLiteral("%1\t第%2回\t%3").arg(kind).arg(entry.drawNo).arg(DrawImport::numbersText(*entry.incoming));
    if (entry.incoming->date.isValid())
        line += QLatin1Char('\t') + entry.incoming->date.toString(Qt::ISODate);
    if (entry.kind == Kind::Different)
        line += QStringLiteral("\t登録済み %1").arg(DrawImport::numbersText(*entry.stored));
    if (const QString prizes = DrawImport::prizesText(*entry.incoming); !prizes.isEmpty())
        line += QStringLiteral("\t当選金 ") + prizes;
    if (const QString note = DrawImport::entryNote(entry); !note.isEmpty())
        line += QLatin1Char('\t') + note;
    if (entry.overwritable())
        line += QLatin1Char('\t') + (overwrite ? QStringLiteral("上書きします") : QStringLiteral("登録済みのままにします"));
    return line;
}

QJsonObject entryJson(const DrawImport::PlanEntry &entry, bool overwrite)
{
    using Kind = DrawImport::PlanEntry::Kind;
    QJsonObject object{{QStringLiteral("kind"), DrawImport::kindName(entry.kind)}, {QStringLiteral("line"), entry.line}};
    if (entry.kind == Kind::Error) {
        if (entry.drawNo > 0)
            object.insert(QStringLiteral("drawNo"), entry.drawNo);
        object.insert(QStringLiteral("reason"), entry.reason);
        return object;
    }
    object.insert(QStringLiteral("drawNo"), entry.drawNo);
    object.insert(QStringLiteral("numbers"), numbersJson(*entry.incoming));
    object.insert(QStringLiteral("reordered"), entry.incoming->reordered);
    if (entry.incoming->date.isValid())
        object.insert(QStringLiteral("date"), entry.incoming->date.toString(Qt::ISODate));
    if (entry.stored)
        object.insert(QStringLiteral("stored"), numbersJson(*entry.stored));
    if (!entry.differences.isEmpty())
        object.insert(QStringLiteral("differences"), QJsonArray::fromStringList(entry.differences));
    if (entry.incoming->hasPrizes())
        object.insert(QStringLiteral("prizes"), prizesJson(*entry.incoming));
    if (!entry.notes.isEmpty())
        object.insert(QStringLiteral("notes"), QJsonArray::fromStringList(entry.notes));
    if (entry.overwritable())
        object.insert(QStringLiteral("overwrite"), overwrite);
    return object;
}

} // namespace

int runImport(const ImportRequest &request)
{
    DrawImport::ReadResult read;
    QString layout;
    QString source = request.source == QLatin1String("-") ? QStringLiteral("標準入力") : request.source;
    QUrl fetchedFrom;
    if (!request.url.isEmpty()) {
        const QUrl url = DrawImport::parseWebAddress(request.url).url;
        DrawImport::Fetched fetched = DrawImport::fetch(url);
        if (!fetched.ok()) {
            print(stderr, fetched.message + QStringLiteral("\n当選データファイルは変更していません。"));
            return Failure;
        }
        read = std::move(fetched.web.read);
        layout = fetched.web.html ? QStringLiteral("HTML") : layoutName(read.layout);
        source = request.url;
        if (fetched.url != url)
            fetchedFrom = fetched.url;
    } else {
        const BoundedInput::Result input = BoundedInput::readFile(request.source);
        if (!input.ok()) {
            print(stderr, input.problem + QStringLiteral("\n当選データファイルは変更していません。"));
            return Failure;
        }
        read = DrawImport::readBytes(input.bytes);
        layout = layoutName(read.layout);
    }
    DrawImport::Plan plan;
    try {
        plan = DrawImport::preview(read, request.database, request.ledger);
    } catch (const DatabaseError &error) {
        print(stderr, error.message());
        return Failure;
    }
    using Kind = DrawImport::PlanEntry::Kind;
    const std::set<int> overwrite = request.overwrite ? DrawImport::overwritableDraws(plan) : std::set<int>{};

    DrawImport::ApplyResult applied;
    applied.ok = true;
    applied.message = QStringLiteral("確認のみです（--dry-run）。当選データファイルと購入記録は変更していません。");
    if (!request.dryRun)
        applied = DrawImport::apply(plan, overwrite);

    if (request.json) {
        QJsonArray entries;
        for (const DrawImport::PlanEntry &entry : plan.entries)
            entries.append(entryJson(entry, overwrite.count(entry.drawNo) > 0));
        QJsonObject object{
            {QStringLiteral("source"), request.url.isEmpty() ? request.source : request.url},
            {QStringLiteral("layout"), layout},
            {QStringLiteral("database"), request.database},
            {QStringLiteral("ledger"), request.ledger},
            {QStringLiteral("dryRun"), request.dryRun},
            {QStringLiteral("added"), plan.count(Kind::Add)},
            {QStringLiteral("identical"), plan.count(Kind::Identical)},
            {QStringLiteral("different"), plan.count(Kind::Different)},
            {QStringLiteral("errors"), plan.count(Kind::Error)},
            {QStringLiteral("entries"), entries},
            {QStringLiteral("gaps"), QJsonArray::fromStringList(plan.gapWarnings)},
            {QStringLiteral("notes"), QJsonArray::fromStringList(plan.notes)},
            {QStringLiteral("applied"), !request.dryRun && applied.wroteAnything()},
            {QStringLiteral("written"), QJsonObject{{QStringLiteral("added"), applied.added},
                                                    {QStringLiteral("overwritten"), applied.overwritten},
                                                    {QStringLiteral("prizes"), applied.prizes}}},
            {QStringLiteral("backup"), applied.backupPath},
            {QStringLiteral("message"), applied.message},
        };
        if (fetchedFrom.isValid())
            object.insert(QStringLiteral("fetchedFrom"), fetchedFrom.toString());
        print(stdout, QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
    } else {
        if (fetchedFrom.isValid())
            source += QStringLiteral("（転送先: %1）").arg(fetchedFrom.toString());
        print(stdout, QStringLiteral("取込元: %1（%2）").arg(source, layout));
        print(stdout, QStringLiteral("追加 %1 件、同一 %2 件、相違 %3 件、エラー %4 件")
                          .arg(plan.count(Kind::Add))
                          .arg(plan.count(Kind::Identical))
                          .arg(plan.count(Kind::Different))
                          .arg(plan.count(Kind::Error)));
        for (const DrawImport::PlanEntry &entry : plan.entries)
            print(stdout, entryLine(entry, overwrite.count(entry.drawNo) > 0));
        for (const QString &gap : plan.gapWarnings)
            print(stdout, QStringLiteral("警告\t") + gap);
        for (const QString &note : plan.notes)
            print(stdout, QStringLiteral("注意\t") + note);
        print(applied.ok ? stdout : stderr, applied.message);
    }
    if (applied.wroteAnything())
        return applied.ok && !plan.hasErrors() ? Success : Partial;
    return applied.ok && !plan.hasErrors() ? Success : Failure;
}

int runSaveCsv(const QString &database, const QString &out, const QString &encoding, bool json)
{
    const QString name = encoding.toLower();
    DrawExport::Encoding chosen = DrawExport::Encoding::Utf8Bom;
    if (name == QLatin1String("shift_jis") || name == QLatin1String("sjis") || name == QLatin1String("cp932"))
        chosen = DrawExport::Encoding::ShiftJis;
    else if (!name.isEmpty() && name != QLatin1String("utf-8") && name != QLatin1String("utf8")) {
        print(stderr, QStringLiteral("--encoding は utf-8 か shift_jis です: %1").arg(encoding));
        return 2;
    }
    const DrawExport::Result result = DrawExport::save(database, out, chosen);
    if (json) {
        const QJsonObject object{{QStringLiteral("file"), out},
                                 {QStringLiteral("encoding"), chosen == DrawExport::Encoding::ShiftJis ? QStringLiteral("shift_jis") : QStringLiteral("utf-8")},
                                 {QStringLiteral("ok"), result.ok},
                                 {QStringLiteral("records"), result.records},
                                 {QStringLiteral("message"), result.message}};
        print(stdout, QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
    } else {
        print(result.ok ? stdout : stderr, result.message);
    }
    return result.ok ? 0 : 1;
}

} // namespace Cli
