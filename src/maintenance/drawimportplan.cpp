#include "maintenance/drawimportplan.h"

#include "maintenance/ticketledger.h"
#include "store/database.h"
#include "store/drawdatabase.h"
#include "store/runtimeerror.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>

namespace DrawImport {

namespace {

const QString Unchanged = QStringLiteral("当選データファイルは変更していません。");
constexpr int MostGapWarnings = 10;

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString fieldText(const Field &field)
{
    if (field.isEmpty())
        return QStringLiteral("--");
    if (field.isInteger() && field.integer() >= 0 && field.integer() < 100)
        return twoDigits(int(field.integer()));
    return field.toText();
}

// What differs between a draw as read and as stored. The main numbers are
// compared as a set: the same six in another order are the same draw. A
// date counts only where both sides have one.
QStringList differences(const ImportedDraw &incoming, const DrawRecord &stored)
{
    QStringList found;
    std::array<long long, 6> storedMain{};
    bool whole = true;
    for (int p = 1; p <= 6; ++p) {
        const Field &field = stored.number(p);
        whole = whole && field.isInteger();
        storedMain[size_t(p - 1)] = whole ? field.integer() : 0;
    }
    std::sort(storedMain.begin(), storedMain.end());
    if (!whole || !std::equal(storedMain.begin(), storedMain.end(), incoming.numbers.begin()))
        found << QStringLiteral("本数字");
    if (!(stored.bonus() == Field(incoming.numbers[6])))
        found << QStringLiteral("ボーナス数字");
    const QString storedDate = stored.drawDate.isEmpty() ? QString() : stored.drawDate.toText();
    if (!storedDate.isEmpty() && incoming.date.isValid() && storedDate != incoming.date.toString(Qt::ISODate))
        found << QStringLiteral("日付");
    return found;
}

// The dated draws of the database, for the years of dates given without one.
std::map<int, QDate> storedDates(const QHash<int, DrawRecord> &stored)
{
    std::map<int, QDate> dates;
    for (auto it = stored.cbegin(); it != stored.cend(); ++it) {
        const QDate date = QDate::fromString(it->drawDate.toText(), Qt::ISODate);
        if (date.isValid())
            dates.emplace(it.key(), date);
    }
    return dates;
}

// Whether the entry's draw is to be written (added, or overwritten as asked).
bool taken(const PlanEntry &entry, const std::set<int> &overwrite)
{
    return entry.kind == PlanEntry::Kind::Add || entry.kind == PlanEntry::Kind::Identical
        || (entry.kind == PlanEntry::Kind::Different && overwrite.count(entry.drawNo) > 0);
}

// The ledger records of the amounts the plan brings: those the ledger lacks,
// and for the draws in overwrite those it holds otherwise. 5等 is fixed.
std::vector<TicketLedger::PrizeRecord> prizeRecords(const Plan &plan, const std::set<int> &overwrite)
{
    std::vector<TicketLedger::PrizeRecord> records;
    for (const PlanEntry &entry : plan.entries) {
        if (!entry.incoming || !taken(entry, overwrite))
            continue;
        for (int tier = 1; tier <= 4; ++tier) {
            const std::optional<qint64> amount = entry.incoming->prizes[size_t(tier - 1)].perLine();
            const std::optional<qint64> &stored = entry.storedPrizes[size_t(tier - 1)];
            if (!amount || stored == amount)
                continue;
            if (!stored || overwrite.count(entry.drawNo) > 0)
                records.push_back({entry.drawNo, tier, *amount, stored.has_value()});
        }
    }
    return records;
}

QStringList gaps(const std::set<int> &drawNos)
{
    QStringList warnings;
    int ranges = 0;
    int previous = 0;
    for (const int n : drawNos) {
        if (previous > 0 && n > previous + 1) {
            ++ranges;
            if (ranges <= MostGapWarnings) {
                const int from = previous + 1;
                const int to = n - 1;
                warnings << (from == to ? QStringLiteral("第%1回がありません。").arg(from)
                                        : QStringLiteral("第%1回～第%2回がありません（%3回分）。").arg(from).arg(to).arg(to - from + 1));
            }
        }
        previous = n;
    }
    if (ranges > MostGapWarnings)
        warnings << QStringLiteral("ほかに %1 か所、抜けている回があります。").arg(ranges - MostGapWarnings);
    return warnings;
}

// The database's records by 回 (integer draw numbers only).
QHash<int, DrawRecord> byDrawNo(const Recordset &records)
{
    QHash<int, DrawRecord> map;
    map.reserve(records.RecordCount());
    for (const DrawRecord &record : records) {
        if (record.drawNo.isInteger())
            map.insert(int(record.drawNo.integer()), record);
    }
    return map;
}

// Keeps the file as the write transaction finds it beside it as .bak,
// read through original (see Database::saveCopy).
void keepBackup(const Database &original, const QString &backup)
{
    try {
        original.saveCopy(backup, DrawDatabase::password());
    } catch (const DatabaseError &error) {
        throw DatabaseError(QStringLiteral("以前の当選データファイルを %1 に残せませんでした。\n%2").arg(backup, error.message()));
    }
}

void write(const Database &db, const Plan &plan, const std::set<int> &overwrite, ApplyResult &result)
{
    // Someone may have written since the preview (the editor of another
    // copy of the program): every draw must still be as the preview saw it.
    const QHash<int, DrawRecord> now = byDrawNo(DrawDatabase::readAll(db));
    const bool withDate = DrawDatabase::hasDateColumn(db);
    QString insertSql = QStringLiteral("INSERT INTO 結果マスタ (回数, 第1数字, 第2数字, 第3数字, 第4数字, 第5数字, 第6数字, ボーナス数字%1) VALUES (?,?,?,?,?,?,?,?%2)");
    insertSql = insertSql.arg(withDate ? QStringLiteral(", 抽選日") : QString(), withDate ? QStringLiteral(",?") : QString());
    Statement insert = db.prepare(insertSql);
    Statement update = db.prepare(QStringLiteral(
        "UPDATE 結果マスタ SET 第1数字 = ?, 第2数字 = ?, 第3数字 = ?, 第4数字 = ?, 第5数字 = ?, 第6数字 = ?, ボーナス数字 = ? WHERE 回数 = ?"));
    std::optional<Statement> updateDate;
    if (withDate)
        updateDate.emplace(db.prepare(QStringLiteral("UPDATE 結果マスタ SET 抽選日 = ? WHERE 回数 = ?")));

    for (const PlanEntry &entry : plan.entries) {
        const bool adding = entry.kind == PlanEntry::Kind::Add;
        const bool overwriting = entry.kind == PlanEntry::Kind::Different && overwrite.count(entry.drawNo) > 0;
        if (!adding && !overwriting)
            continue;
        const auto current = now.constFind(entry.drawNo);
        const bool unchangedSincePreview = adding ? current == now.cend()
                                                  : current != now.cend() && entry.stored
                && current->numbers == entry.stored->numbers && current->drawDate == entry.stored->drawDate;
        if (!unchangedSincePreview) {
            throw DatabaseError(QStringLiteral("第%1回のデータが確認の後で変更されています。もう一度読み込んで確認してください。")
                                    .arg(entry.drawNo));
        }
        const ImportedDraw &draw = *entry.incoming;
        const Field date = draw.date.isValid() ? Field(draw.date.toString(Qt::ISODate)) : Field::null();
        if (adding) {
            insert.bind(1, Field(draw.drawNo));
            for (int p = 1; p <= 7; ++p)
                insert.bind(p + 1, Field(draw.numbers[size_t(p - 1)]));
            if (withDate)
                insert.bind(9, date);
            insert.step();
            insert.reset();
            ++result.added;
        } else {
            for (int p = 1; p <= 7; ++p)
                update.bind(p, Field(draw.numbers[size_t(p - 1)]));
            update.bind(8, Field(draw.drawNo));
            update.step();
            update.reset();
            if (updateDate && draw.date.isValid()) {
                updateDate->bind(1, date);
                updateDate->bind(2, Field(draw.drawNo));
                updateDate->step();
                updateDate->reset();
            }
            ++result.overwritten;
        }
    }
}

} // namespace

QString kindName(PlanEntry::Kind kind)
{
    switch (kind) {
    case PlanEntry::Kind::Add:
        return QStringLiteral("追加");
    case PlanEntry::Kind::Identical:
        return QStringLiteral("同一");
    case PlanEntry::Kind::Different:
        return QStringLiteral("相違");
    case PlanEntry::Kind::Error:
        break;
    }
    return QStringLiteral("エラー");
}

int Plan::count(PlanEntry::Kind kind) const
{
    return int(std::count_if(entries.begin(), entries.end(), [kind](const PlanEntry &e) { return e.kind == kind; }));
}

bool Plan::writesAnything(const std::set<int> &overwrite) const
{
    return std::any_of(entries.begin(), entries.end(), [&overwrite](const PlanEntry &e) {
        return e.kind == PlanEntry::Kind::Add || (e.kind == PlanEntry::Kind::Different && overwrite.count(e.drawNo));
    });
}

std::set<int> overwritableDraws(const Plan &plan)
{
    std::set<int> drawNos;
    for (const PlanEntry &entry : plan.entries) {
        if (entry.overwritable())
            drawNos.insert(entry.drawNo);
    }
    return drawNos;
}

QString numbersText(const ImportedDraw &draw)
{
    QStringList main;
    for (int p = 0; p < 6; ++p)
        main << twoDigits(draw.numbers[size_t(p)]);
    return main.join(QLatin1Char(' ')) + QStringLiteral(" (%1)").arg(twoDigits(draw.numbers[6]));
}

QString numbersText(const DrawRecord &record)
{
    QStringList main;
    for (int p = 1; p <= 6; ++p)
        main << fieldText(record.number(p));
    return main.join(QLatin1Char(' ')) + QStringLiteral(" (%1)").arg(fieldText(record.bonus()));
}

QString prizesText(const ImportedDraw &draw, const QString &separator)
{
    QStringList tiers;
    for (int tier = 1; tier <= 5; ++tier) {
        const TierPrize &prize = draw.prizes[size_t(tier - 1)];
        if (!prize.given())
            continue;
        QString text = QStringLiteral("%1等").arg(tier);
        if (prize.noWinner)
            text += QStringLiteral(" 該当なし");
        else if (prize.winners)
            text += QStringLiteral(" %1口").arg(groupedDigits(*prize.winners));
        if (prize.amount)
            text += QLatin1Char(' ') + formatYen(*prize.amount);
        tiers << text;
    }
    return tiers.join(separator);
}

QString entryNote(const PlanEntry &entry)
{
    QStringList parts;
    if (!entry.differences.isEmpty())
        parts << QStringLiteral("%1が違います").arg(entry.differences.join(QStringLiteral("・")));
    if (entry.prizeDiffers) {
        QStringList stored;
        for (int tier = 1; tier <= 4; ++tier) {
            if (const std::optional<qint64> &amount = entry.storedPrizes[size_t(tier - 1)])
                stored << QStringLiteral("%1等 %2").arg(tier).arg(formatYen(*amount));
        }
        parts << QStringLiteral("購入記録の当選金額（%1）と違います").arg(stored.join(QStringLiteral("、")));
    }
    parts << entry.notes;
    if (!entry.reason.isEmpty())
        parts << entry.reason;
    return parts.join(QStringLiteral("。"));
}

Plan preview(const ReadResult &read, const QString &databasePath, const QString &ledgerPath)
{
    Plan plan;
    plan.databasePath = databasePath;
    plan.ledgerPath = ledgerPath;
    const Database db = Database::open(databasePath, DrawDatabase::password(), Database::Mode::ReadOnly);
    const Recordset records = DrawDatabase::readAll(db);
    plan.databaseHasDate = DrawDatabase::hasDateColumn(db);
    const QHash<int, DrawRecord> stored = byDrawNo(records);
    // The ledger matters only for prize amounts; one it cannot read keeps
    // them out, never the draws.
    PrizeBook prizes;
    const bool anyPrizes = std::any_of(read.draws.begin(), read.draws.end(), [](const ImportedDraw &d) { return d.hasPrizes(); });
    if (!anyPrizes) {
        plan.ledgerPath.clear();
    } else if (!ledgerPath.isEmpty()) {
        try {
            prizes = TicketLedger::read(ledgerPath).prizes;
        } catch (const DatabaseError &error) {
            plan.ledgerPath.clear();
            plan.notes << QStringLiteral("当選金額は記録しません。%1").arg(error.message());
        }
    }

    std::set<int> drawNos;
    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        drawNos.insert(it.key());

    std::vector<ImportedDraw> draws = read.draws;
    resolveYears(draws, storedDates(stored));
    std::sort(draws.begin(), draws.end(), [](const ImportedDraw &a, const ImportedDraw &b) { return a.drawNo < b.drawNo; });
    for (const ImportedDraw &draw : draws) {
        PlanEntry entry;
        entry.line = draw.line;
        entry.drawNo = draw.drawNo;
        entry.incoming = draw;
        const auto found = stored.constFind(draw.drawNo);
        if (found == stored.cend()) {
            entry.kind = PlanEntry::Kind::Add;
            drawNos.insert(draw.drawNo);
        } else {
            entry.stored = *found;
            entry.differences = differences(draw, *found);
            entry.kind = entry.differences.isEmpty() ? PlanEntry::Kind::Identical : PlanEntry::Kind::Different;
        }
        if (draw.reordered && entry.kind != PlanEntry::Kind::Identical)
            entry.notes << QStringLiteral("並べ替えて登録");
        if (draw.yearUnknown()) {
            entry.notes << QStringLiteral("日付 %1月%2日 の年が前後の回から分からないため、日付なしで読みました")
                               .arg(draw.month)
                               .arg(draw.day);
        }
        if (!plan.ledgerPath.isEmpty()) {
            entry.storedPrizes = prizes.recorded(draw.drawNo);
            for (int tier = 1; tier <= 4; ++tier) {
                const std::optional<qint64> amount = draw.prizes[size_t(tier - 1)].perLine();
                const std::optional<qint64> &kept = entry.storedPrizes[size_t(tier - 1)];
                entry.prizeDiffers = entry.prizeDiffers || (amount && kept && *amount != *kept);
            }
        }
        plan.entries.push_back(std::move(entry));
    }
    for (const RowError &error : read.errors) {
        PlanEntry entry;
        entry.kind = PlanEntry::Kind::Error;
        entry.line = error.line;
        entry.drawNo = error.drawNo;
        entry.reason = error.reason;
        plan.entries.push_back(std::move(entry));
    }
    for (const QString &note : read.notes)
        plan.notes << note;
    plan.leftOut = int(read.notes.size());
    plan.gapWarnings = gaps(drawNos);
    return plan;
}

ApplyResult apply(const Plan &plan, const std::set<int> &overwrite)
{
    ApplyResult result;
    for (const PlanEntry &entry : plan.entries) {
        result.identical += entry.kind == PlanEntry::Kind::Identical ? 1 : 0;
        result.errors += entry.kind == PlanEntry::Kind::Error ? 1 : 0;
        result.skipped += entry.kind == PlanEntry::Kind::Different && !overwrite.count(entry.drawNo) ? 1 : 0;
    }
    result.skipped += plan.leftOut;
    const auto counts = [&result] {
        return QStringLiteral("追加 %1 件、上書き %2 件、同一 %3 件、スキップ %4 件、エラー %5 件")
            .arg(result.added)
            .arg(result.overwritten)
            .arg(result.identical)
            .arg(result.skipped)
            .arg(result.errors);
    };

    const std::vector<TicketLedger::PrizeRecord> records = plan.ledgerPath.isEmpty() ? std::vector<TicketLedger::PrizeRecord>()
                                                                                     : prizeRecords(plan, overwrite);
    const bool draws = plan.writesAnything(overwrite);
    const bool prizes = !records.empty();
    // What stays as it was when the write fails: nothing is half written.
    const QString untouched = prizes ? QStringLiteral("当選データファイルと購入記録は変更していません。") : Unchanged;
    if (draws || prizes) {
        const QString path = QFileInfo(plan.databasePath).absoluteFilePath();
        const QString backup = path + QStringLiteral(".bak");
        try {
            // Made or brought up to date before the transaction: a ledger
            // that cannot take the amounts stops the draws as well.
            if (prizes)
                TicketLedger::open(plan.ledgerPath);
            if (draws) {
                const Database db = DrawDatabase::open(path, Database::Mode::ReadWrite);
                // The copy is read through a connection of its own, opened
                // before the lock is taken; it reads after the lock is taken,
                // so the copy is the file as the transaction finds it.
                const Database original = DrawDatabase::open(path, Database::Mode::ReadOnly);
                if (prizes)
                    TicketLedger::attach(db, plan.ledgerPath);
                db.begin();
                try {
                    keepBackup(original, backup);
                    write(db, plan, overwrite, result);
                    if (prizes)
                        result.prizes = TicketLedger::recordPrizes(db, records);
                    db.commit();
                } catch (...) {
                    db.rollback();
                    throw;
                }
                result.backupPath = backup;
            } else {
                result.prizes = TicketLedger::open(plan.ledgerPath).recordPrizes(records);
            }
        } catch (const DatabaseError &error) {
            result.added = result.overwritten = result.prizes = 0;
            const QString headline = draws ? QStringLiteral("当選データを取り込めませんでした。")
                                           : QStringLiteral("当選金額を購入記録に記録できませんでした。");
            result.message = QStringLiteral("%1\n%2\n%3").arg(headline, error.message(), untouched);
            return result;
        }
    }

    result.ok = true;
    QStringList lines;
    lines << (result.wroteAnything() ? QStringLiteral("当選データを取り込みました（%1）。").arg(counts())
                                     : QStringLiteral("取り込む当選データはありません（%1）。").arg(counts()));
    if (result.prizes > 0)
        lines << QStringLiteral("当選金額 %1 件を購入記録に記録しました。").arg(result.prizes);
    lines << (result.backupPath.isEmpty() ? Unchanged : QStringLiteral("元のファイルは %1 として残しました。").arg(result.backupPath));
    result.message = lines.join(QLatin1Char('\n'));
    return result;
}

} // namespace DrawImport
