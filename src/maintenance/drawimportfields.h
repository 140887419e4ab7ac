#pragma once

#include "maintenance/drawdate.h"
#include "maintenance/importeddraw.h"

#include <QRegularExpression>
#include <QString>

#include <array>
#include <optional>
#include <variant>

// The fields of one draw as results pages, spreadsheets and blogs write
// them, for the reader (drawimportreader.cpp), which knows the layouts:
// dates, prize amounts, the numbers left between the labels, and the checks
// a draw must pass.
namespace DrawImport::Fields {

// Full-width digits, brackets, colons and blanks as their plain forms, so
// every rule sees one spelling.
QString plain(QStringView text);
// An empty field or NULL: a value the source does not give.
bool isMissing(const QString &text);
std::optional<int> wholeNumber(const QString &text);
// The 回 of a cell or marker: "2131", "第2131回"; nothing for other text.
std::optional<int> drawNoOf(const QString &text);

// One prize cell of a table (the winners or the amount of a tier) into
// prize; the problem when it cannot be read or is beyond the limits.
std::optional<QString> readPrizeCell(const QString &text, int tier, bool amount, TierPrize &prize);

// The drawn numbers in a text: a table cell, or what is left of a block of
// pasted text once its fields are out (with its labels as marks).
struct Numbers
{
    bool none = false;              // no number at all
    std::array<QString, 7> numbers; // six main numbers and the bonus
    QString problem;                // why the text gives no draw
};
// bonusElsewhere: the bonus has a cell of its own, so the text holds six.
Numbers numbersIn(const QString &text, bool bonusElsewhere = false);

// One draw as the source spells it, before any check.
struct RawDraw
{
    int line = 0;
    QString drawNo;
    QString date;
    std::array<QString, 7> numbers;
    std::array<TierPrize, 5> prizes;
    QString problem; // found while taking the draw apart
};

// The draw of a block of pasted text (its lines after the 第N回 that opened
// it): the labelled fields first (prize lines, product names, references to
// other draws, set balls, dates, amounts), then the labels, then the numbers
// left between them. Nothing when the block holds no number at all.
std::optional<RawDraw> blockDraw(int line, const QString &drawNo, QString text);

// The draw checked: 回, date, numbers in range and distinct, the main
// numbers put in ascending order; or the row's error.
std::variant<ImportedDraw, RowError> check(const RawDraw &raw);

} // namespace DrawImport::Fields
