// Reading draw results, as tables of input → draws or error lines: every
// layout the reader takes, every way a number could be mistaken (a product
// name, a date, an amount, a label, a sentence), dates and their years,
// encodings, and the limits on what is read.
#include "maintenance/drawimportplan.h"
#include "store/boundedinput.h"
#include "store/textencoding.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

// A draw as "回|date|six numbers|bonus", dates ISO, then what else was read:
// "並べ替え" when the source gave another order, the prize table.
QString describe(const DrawImport::ImportedDraw &d)
{
    QStringList main;
    for (int p = 0; p < 6; ++p)
        main << QString::number(d.numbers[size_t(p)]);
    QString text = QStringLiteral("%1|%2|%3|%4").arg(d.drawNo).arg(d.date.toString(Qt::ISODate), main.join(QLatin1Char(','))).arg(d.numbers[6]);
    if (d.yearUnknown())
        text += QStringLiteral("|%1月%2日").arg(d.month).arg(d.day);
    if (d.reordered)
        text += QStringLiteral("|並べ替え");
    if (d.hasPrizes())
        text += QStringLiteral("|") + DrawImport::prizesText(d);
    return text;
}

QStringList describe(const DrawImport::ReadResult &read)
{
    QStringList out;
    for (const DrawImport::ImportedDraw &d : read.draws)
        out << describe(d);
    for (const DrawImport::RowError &e : read.errors)
        out << QStringLiteral("error %1 (%2): %3").arg(e.line).arg(e.drawNo).arg(e.reason);
    for (const QString &note : read.notes)
        out << QStringLiteral("note ") + note;
    return out;
}

struct Case
{
    const char *name;
    QByteArray bytes;
    QStringList expected;
};

void expectReads(const std::vector<Case> &cases)
{
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(describe(DrawImport::readBytes(c.bytes)).join(QLatin1Char('\n')).toStdString(),
                  c.expected.join(QLatin1Char('\n')).toStdString());
    }
}

QByteArray utf8(const QString &text)
{
    return text.toUtf8();
}

const QString Draw2131 = QStringLiteral("2131|2026-08-24|3,11,19,27,33,41|8");
const QString Draw2131NoDate = QStringLiteral("2131||3,11,19,27,33,41|8");

} // namespace

TEST(DrawImportReader, TablesInEveryHeaderSpelling)
{
    const QByteArray bom("\xEF\xBB\xBF");
    const QString numbers6 = QStringLiteral("第1数字,第2数字,第3数字,第4数字,第5数字,第6数字");
    expectReads({
        {"UTF-8 with BOM, CR LF, the dump-db header",
         bom + utf8(QStringLiteral("回数,抽選日,%1,ボーナス数字\r\n2131,2026-08-24,3,11,19,27,33,41,8\r\n").arg(numbers6)),
         {Draw2131}},
        {"Shift_JIS, columns reordered, prize columns",
         TextEncoding::encodeCp932(QStringLiteral("ボーナス数字,本数字6,本数字5,本数字4,本数字3,本数字2,本数字1,1等口数,1等賞金,2等口数,2等当せん金額,回別,抽せん日\n"
                                                 "8,41,33,27,19,11,3,0,\"0\",6,\"10,234,500\",第2131回,2026年8月24日\n")),
         {Draw2131 + QStringLiteral("|1等 該当なし 0円、2等 6口 10,234,500円")}},
        {"TSV with a title above, 開催回/日付/数字N/BONUS, blank lines",
         utf8(QStringLiteral("ロト6 当せん番号一覧\n開催回\t日付\t数字1\t数字2\t数字3\t数字4\t数字5\t数字6\tBonus\tキャリーオーバー\n\n"
                             "2131\t2026.08.24\t03\t11\t19\t27\t33\t41\t08\t0\n")),
         {Draw2131}},
        {"回号, BONUS数字, a bonus written (08) in its cell",
         utf8(QStringLiteral("回号,%1,BONUS数字\n2131,3,11,19,27,33,41,(08)\n").arg(numbers6)), {Draw2131NoDate}},
        {"第N回 and B数字", utf8(QStringLiteral("第N回,%1,B数字\n2131,3,11,19,27,33,41,8\n").arg(numbers6)), {Draw2131NoDate}},
        {"回 and ボーナス", utf8(QStringLiteral("回,%1,ボーナス\n2131,3,11,19,27,33,41,8\n").arg(numbers6)), {Draw2131NoDate}},
        {"the six in one cell, blanks between",
         utf8(QStringLiteral("回,抽せん日,本数字,ボーナス数字\n2131,2026/8/24,03 11 19 27 33 41,08\n")), {Draw2131}},
        {"the six in one cell with ・", utf8(QStringLiteral("回,本数字,ボーナス\n2131,03・11・19・27・33・41,08\n")), {Draw2131NoDate}},
        {"the six in one quoted cell with commas",
         utf8(QStringLiteral("回,当選番号,ボーナス数字\n2131,\"03,11,19,27,33,41\",(08)\n")), {Draw2131NoDate}},
        {"all seven in one cell, the bonus in brackets",
         utf8(QStringLiteral("回,当せん番号\n2131,03 11 19 27 33 41 (08)\n")), {Draw2131NoDate}},
        {"two header lines: 本数字 merged over 1 … 6, prizes over 口数 and 当せん金額",
         utf8(QStringLiteral("回別,抽せん日,本数字,,,,,,ボーナス数字,1等,,4等,\n"
                             ",,1,2,3,4,5,6,,口数,当せん金額,口数,当せん金額\n"
                             "第2131回,2026/08/24,03,11,19,27,33,41,(08),該当なし,該当なし,\"12,000\",\"6,800\"\n")),
         {Draw2131 + QStringLiteral("|1等 該当なし、4等 12,000口 6,800円")}},
        {"one header line with 本数字 over six columns",
         utf8(QStringLiteral("回,本数字,,,,,,ボーナス数字\n2131,03,11,19,27,33,41,08\n")), {Draw2131NoDate}},
        {"no header: 回, date, six, bonus and 回, six, bonus",
         utf8(QStringLiteral("2131,2026/08/24,3,11,19,27,33,41,8\n2132,2,9,14,22,38,43,17\n")),
         {Draw2131, QStringLiteral("2132||2,9,14,22,38,43|17")}},
        {"save-csv's own file: a missing date and NULL are empty",
         bom + utf8(QStringLiteral("回数,抽選日,%1,ボーナス数字\n2131,,3,11,19,27,33,41,8\n2132,NULL,2,9,14,22,38,43,17\n").arg(numbers6)),
         {Draw2131NoDate, QStringLiteral("2132||2,9,14,22,38,43|17")}},
        {"a row with a 回 and no numbers yet",
         utf8(QStringLiteral("回数,%1,ボーナス数字\n2131,3,11,19,27,33,41,8\n2132,,,,,,,\n").arg(numbers6)),
         {Draw2131NoDate, QStringLiteral("note 3 行目: 第2132回には当選数字がないため、読み飛ばしました。")}},
        {"drawn order is stored ascending",
         utf8(QStringLiteral("回,%1,ボーナス数字\n2131,41,3,27,11,33,19,8\n").arg(numbers6)),
         {Draw2131NoDate + QStringLiteral("|並べ替え")}},
    });
}

TEST(DrawImportReader, PastedPagesAndBlogLines)
{
    expectReads({
        {"a results page line: product name, weekday, labels",
         utf8(QStringLiteral("第2131回 ロト6 抽せん日 2026年8月24日(月) 本数字 03 11 19 27 33 41 ボーナス数字 (08)")), {Draw2131}},
        {"full-width ロト６ and spaces",
         utf8(QStringLiteral("第２１３１回　ロト６　抽せん日　２０２６年８月２４日（月）　本数字　０３　１１　１９　２７　３３　４１　ボーナス数字　（０８）")),
         {Draw2131}},
        {"one line, the bonus in brackets, no labels",
         utf8(QStringLiteral("第2131回 2026年8月24日 03 11 19 27 33 41 (08)\n")), {Draw2131}},
        {"a blog line", utf8(QStringLiteral("第2131回ロト6（2026年8月24日(月)）本数字：03・11・19・27・33・41 ボーナス数字：08")), {Draw2131}},
        {"tabs and a ボーナス label", utf8(QStringLiteral("第2131回\t03\t11\t19\t27\t33\t41\tボーナス 08")), {Draw2131NoDate}},
        {"a page over many lines, set ball, carry-over, the prize table, the next draw's notice",
         utf8(QStringLiteral("ロト6 当せん番号\n回別 第2131回\n抽せん日 2026/08/24\nセット球 C\n本数字\n03\t11\t19\t27\t33\t41\n"
                             "ボーナス数字 (08)\n等級 口数 当せん金額\n1等 該当なし 該当なし\n2等 6口 10,234,500円\n3等 250口 312,300円\n"
                             "4等 12,000口 6,800円\n5等 200,000口 1,000円\n販売実績額 1,234,567,800円\n"
                             "キャリーオーバー 5億1,234万5,600円（第2132回へ）\n\n次回 第2132回 2026年8月27日(木) 予定\n")),
         {Draw2131 + QStringLiteral("|1等 該当なし、2等 6口 10,234,500円、3等 250口 312,300円、4等 12,000口 6,800円、5等 200,000口 1,000円"),
          QStringLiteral("note 17 行目: 第2132回には当選数字がないため、読み飛ばしました（次回のお知らせなど）。")}},
        {"第1数字 … labels and BONUS:",
         utf8(QStringLiteral("第2131回\n西暦2026年8月24日\n第1数字 03\n11 19 27 33 41\nBONUS:08\n")), {Draw2131}},
        {"令和, 元年, R and H, weekday in full-width brackets, Shift_JIS",
         TextEncoding::encodeCp932(QStringLiteral("第2131回 令和8年8月24日（月） 03 11 19 27 33 41 (08)\n第1000回 令和元年5月2日 1 2 3 4 5 6 (7)\n"
                                                 "第1200回 R2.8.3 1 2 3 4 5 6 (7)\n第1300回 H30.1.4 1 2 3 4 5 6 (7)\n")),
         {Draw2131, QStringLiteral("1000|2019-05-02|1,2,3,4,5,6|7"), QStringLiteral("1200|2020-08-03|1,2,3,4,5,6|7"),
          QStringLiteral("1300|2018-01-04|1,2,3,4,5,6|7")}},
        {"a sentence naming another draw is no block of its own",
         utf8(QStringLiteral("第2131回 2026/08/24（第2130回からのキャリーオーバーあり）\n本数字 03 11 19 27 33 41 ボーナス数字 08")),
         {Draw2131}},
        {"UTF-16 from a spreadsheet's Unicode text",
         QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char *>(QStringLiteral("第2131回 2026-08-24 03 11 19 27 33 41 (08)\r\n").utf16()),
                                              2 * QStringLiteral("第2131回 2026-08-24 03 11 19 27 33 41 (08)\r\n").size()),
         {Draw2131}},
    });
}

TEST(DrawImportReader, DatesWithoutAYearTakeItFromTheDrawsAround)
{
    expectReads({
        {"the draw before it in the text",
         utf8(QStringLiteral("第2134回 2026年12月28日 1 2 3 4 5 6 (7)\n第2135回 1月4日(月) 01 06 18 25 31 39 (12)\n第2136回 1/8 1 2 3 4 5 6 (7)\n")),
         {QStringLiteral("2134|2026-12-28|1,2,3,4,5,6|7"), QStringLiteral("2135|2027-01-04|1,6,18,25,31,39|12"),
          QStringLiteral("2136|2027-01-08|1,2,3,4,5,6|7")}},
        {"newest first, the dated one last",
         utf8(QStringLiteral("第2136回 9/10 1 2 3 4 5 6 (7)\n第2135回 9月7日(月) 01 06 18 25 31 39 (12)\n第2134回 2026年9月3日 1 2 3 4 5 6 (7)\n")),
         {QStringLiteral("2136|2026-09-10|1,2,3,4,5,6|7"), QStringLiteral("2135|2026-09-07|1,6,18,25,31,39|12"),
          QStringLiteral("2134|2026-09-03|1,2,3,4,5,6|7")}},
        {"only a later draw", utf8(QStringLiteral("第2135回 12/31 1 2 3 4 5 6 (7)\n第2136回 2027/1/4 1 2 3 4 5 6 (7)\n")),
         {QStringLiteral("2135|2026-12-31|1,2,3,4,5,6|7"), QStringLiteral("2136|2027-01-04|1,2,3,4,5,6|7")}},
        {"a two-digit year is a year", utf8(QStringLiteral("第2135回 26/09/07 01 06 18 25 31 39 (12)")),
         {QStringLiteral("2135|2026-09-07|1,6,18,25,31,39|12")}},
        {"no dated draw near: the numbers still, no date",
         utf8(QStringLiteral("第2135回 9月7日(月) 01 06 18 25 31 39 (12)\n第100回 2001/1/4 1 2 3 4 5 6 (7)")),
         {QStringLiteral("2135||1,6,18,25,31,39|12|9月7日"), QStringLiteral("100|2001-01-04|1,2,3,4,5,6|7")}},
    });

    struct DateCase
    {
        const char *text;
        bool ok;
        QString iso;   // with a year
        int month = 0; // without
    };
    const DateCase dates[] = {
        {"2026年8月24日(月)", true, QStringLiteral("2026-08-24")},
        {"2026/8/24", true, QStringLiteral("2026-08-24")},
        {"2026.08.24", true, QStringLiteral("2026-08-24")},
        {"2026-08-24（月）", true, QStringLiteral("2026-08-24")},
        {"令和8年8月24日", true, QStringLiteral("2026-08-24")},
        {"R8.8.24", true, QStringLiteral("2026-08-24")},
        {"H30.1.4", true, QStringLiteral("2018-01-04")},
        {"平成30年2月29日", false, {}},
        {"2026/8.24", false, {}},
        {"8月24日", true, {}, 8},
        {"2/29", true, {}, 2},
        {"2/30", false, {}},
        {"", false, {}},
    };
    for (const DateCase &c : dates) {
        const DrawImport::ParsedDate parsed = DrawImport::parseDate(QString::fromUtf8(c.text));
        EXPECT_EQ(parsed.ok, c.ok) << c.text;
        EXPECT_EQ(parsed.date.toString(Qt::ISODate), c.iso) << c.text;
        EXPECT_EQ(parsed.month, c.month) << c.text;
    }
}

// The issue this reader exists for: every way a number that is not a drawn
// number could be taken as one ends as that row's error, never as a draw.
TEST(DrawImportReader, NeverAWrongNumber)
{
    expectReads({
        {"no bonus", utf8(QStringLiteral("第2131回 ロト6 2026年8月24日 03 11 19 27 33 41")),
         {QStringLiteral("error 1 (2131): ボーナス数字がありません。")}},
        {"a number too many", utf8(QStringLiteral("第2131回 03 11 19 27 33 41 43 (08)")),
         {QStringLiteral("error 1 (2131): 本数字とボーナス数字が合わせて7個ではありません（8個）。")}},
        {"five under the label", utf8(QStringLiteral("第2131回 本数字 03 11 19 27 33 ボーナス数字 08")),
         {QStringLiteral("error 1 (2131): 本数字が6個ではありません（5個）。")}},
        {"two after the bonus label", utf8(QStringLiteral("第2131回 本数字 03 11 19 27 33 41 ボーナス数字 08 12")),
         {QStringLiteral("error 1 (2131): ボーナス数字が1個ではありません（2個）。")}},
        {"a number before the label", utf8(QStringLiteral("第2131回 12 本数字 03 11 19 27 33 41 ボーナス数字 08")),
         {QStringLiteral("error 1 (2131): 本数字の前に数字「12」があります。")}},
        {"digits run into words", utf8(QStringLiteral("第2131回 03 11 19 27 33 41 (08) 合計134")),
         {QStringLiteral("error 1 (2131): 「合計134」は当選数字として読めません。")}},
        {"a bracket among the main numbers", utf8(QStringLiteral("第2131回 本数字 03 11 19 27 33 (41) ボーナス 08")),
         {QStringLiteral("error 1 (2131): 本数字「(41)」が括弧に入っています。")}},
        {"the bracket not last", utf8(QStringLiteral("第2131回 03 (11) 19 27 33 41 08")),
         {QStringLiteral("error 1 (2131): 本数字「(11)」が括弧に入っています。")}},
        {"the same number twice", utf8(QStringLiteral("第2131回 03 11 19 27 33 33 (08)")),
         {QStringLiteral("error 1 (2131): 本数字 33 が2回あります。")}},
        {"44", utf8(QStringLiteral("第2131回 03 11 19 27 33 44 (08)")),
         {QStringLiteral("error 1 (2131): 第6数字 44 が 1～43 の範囲にありません。")}},
        {"a date that does not exist", utf8(QStringLiteral("第2131回 2026/2/30 03 11 19 27 33 41 (08)")),
         {QStringLiteral("error 1 (2131): 日付「2026/2/30」が正しい日付ではありません。")}},
        {"a 回 no window can show", utf8(QStringLiteral("第32764回 03 11 19 27 33 41 (08)\n第32763回 03 11 19 27 33 41 (08)")),
         {QStringLiteral("32763||3,11,19,27,33,41|8"),
          QStringLiteral("error 1 (0): 回「32764」が大きすぎます（ウィンドウが表示できる第32763回まで）。")}},
        {"a prize no draw pays", utf8(QStringLiteral("第2131回 03 11 19 27 33 41 (08)\n1等 1口 20億円")),
         {QStringLiteral("error 1 (2131): 1等の当選金額 2000000000円 が大きすぎます（1口 1000000000円 まで）。")}},
        {"a long footer after the last draw",
         utf8(QStringLiteral("第2131回 03 11 19 27 33 41 (08)\n") + QString(70000, QLatin1Char('x'))),
         {QStringLiteral("error 1 (2131): 第2131回の後の文字が長すぎます（65536 文字まで）。")}},
        {"five numbers in the one cell",
         utf8(QStringLiteral("回,本数字,ボーナス数字\n2131,03 11 19 27 33,08\n")),
         {QStringLiteral("error 2 (2131): 本数字が6個ではありません（5個）。")}},
        {"a prize cell that is no amount",
         utf8(QStringLiteral("回,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,ボーナス数字,2等賞金\n2131,3,11,19,27,33,41,8,多数\n")),
         {QStringLiteral("error 2 (2131): 2等の当選金額「多数」が読めません。")}},
    });
}

TEST(DrawImportReader, EveryRuleNamesTheLineAndTheReason)
{
    const QString text = QStringLiteral(
        "回,抽選日,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,ボーナス数字\n"
        "2131,2026-12-03,3,11,19,27,33,41,8\n" // 2: fine
        "0,,1,2,3,4,5,6,7\n"                    // 3
        "x,,1,2,3,4,5,6,7\n"                    // 4
        "2133,,1,2,3,4,5,44,7\n"                // 5
        "2134,,0,2,3,4,5,6,7\n"                 // 6
        "2135,,1,2,3,4,5,5,7\n"                 // 7
        "2136,,1,2,3,4,5,6,6\n"                 // 8
        "2137,,1,2,3.5,4,5,6,7\n"               // 9
        "2138,2026-02-30,1,2,3,4,5,6,7\n"       // 10
        "2139,,1,2,3,4,5,6\n"                   // 11
        "2131,,1,2,3,4,5,6,7\n"                 // 12: 2131 again
        "2140,,1,2,3,4,5,6,\n"                  // 13
        "40000,,1,2,3,4,5,6,7\n");              // 14
    const DrawImport::ReadResult read = DrawImport::read(text);
    EXPECT_EQ(read.layout, DrawImport::ReadResult::Layout::Csv);
    const QStringList expected = {
        QStringLiteral("2131|2026-12-03|3,11,19,27,33,41|8"),
        QStringLiteral("error 3 (0): 回「0」が正の整数ではありません。"),
        QStringLiteral("error 4 (0): 回「x」が正の整数ではありません。"),
        QStringLiteral("error 5 (2133): 第6数字 44 が 1～43 の範囲にありません。"),
        QStringLiteral("error 6 (2134): 第1数字 0 が 1～43 の範囲にありません。"),
        QStringLiteral("error 7 (2135): 本数字 5 が2回あります。"),
        QStringLiteral("error 8 (2136): ボーナス数字 6 が本数字と同じです。"),
        QStringLiteral("error 9 (2137): 第3数字「3.5」が整数ではありません。"),
        QStringLiteral("error 10 (2138): 日付「2026-02-30」が正しい日付ではありません。"),
        QStringLiteral("error 11 (2139): 項目が足りません（8個）。"),
        QStringLiteral("error 12 (2131): 第2131回は 2 行目にもあります。"),
        QStringLiteral("error 13 (2140): ボーナス数字がありません。"),
        QStringLiteral("error 14 (0): 回「40000」が大きすぎます（ウィンドウが表示できる第32763回まで）。"),
    };
    EXPECT_EQ(describe(read), expected);

    // A header without a needed column, and text that is no layout at all.
    EXPECT_EQ(describe(DrawImport::read(QStringLiteral("回,第1数字,第2数字\n1,2,3\n"))),
              QStringList{QStringLiteral("error 1 (0): 見出しに「第3数字」「第4数字」「第5数字」「第6数字」「ボーナス数字」の列がありません。")});
    EXPECT_EQ(describe(DrawImport::read(QStringLiteral("\nこんにちは\n"))),
              QStringList{QStringLiteral("error 2 (0): 当選データとして読めません（見出し行も「第N回」もありません）。")});
    EXPECT_TRUE(DrawImport::read(QString()).draws.empty());

    // So many errors are no draw file: reading stops, saying where.
    QString many = QStringLiteral("回,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,ボーナス数字\n");
    for (int i = 0; i < 3000; ++i)
        many += QStringLiteral("x,1,2,3,4,5,6,7\n");
    const DrawImport::ReadResult stopped = DrawImport::read(many);
    ASSERT_EQ(stopped.errors.size(), size_t(DrawImport::MaxErrors + 1));
    EXPECT_EQ(stopped.errors.back().reason, QStringLiteral("エラーと読み飛ばした行が 1000 件を超えたため、1002 行目から後は読んでいません。"));
}

namespace {

// Endless rows of a draw file: the size limit, not the line limit, stops it.
class EndlessRows : public QIODevice
{
public:
    EndlessRows() { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 size) override
    {
        static const QByteArray row("2131,3,11,19,27,33,41,8\n");
        for (qint64 i = 0; i < size; ++i)
            data[i] = row[qsizetype((m_at + i) % row.size())];
        m_at += size;
        return size;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    qint64 m_at = 0;
};

} // namespace

TEST(DrawImportReader, InputStopsAtItsLimits)
{
    EndlessRows endless;
    const BoundedInput::Result big = BoundedInput::read(endless, QStringLiteral("入力"));
    EXPECT_EQ(big.problem, QStringLiteral("入力が大きすぎます（64 MB まで）。読み込みをやめました。"));
    EXPECT_TRUE(big.bytes.isEmpty());

    QByteArray longLine = "a\r\nb\r\n" + QByteArray(BoundedInput::MaxLineBytes + 1, 'x');
    QBuffer buffer(&longLine);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_EQ(BoundedInput::read(buffer, QStringLiteral("入力")).problem,
              QStringLiteral("入力の 3 行目が長すぎます（1行 64 KB まで）。読み込みをやめました。"));
    QByteArray fits = "a\n" + QByteArray(BoundedInput::MaxLineBytes, 'x') + "\nb";
    QBuffer fitting(&fits);
    fitting.open(QIODevice::ReadOnly);
    EXPECT_EQ(BoundedInput::read(fitting, QStringLiteral("入力")).bytes, fits);

    // Pasted text is counted as the UTF-8 it would be: 22 000 kana are 66 000 bytes.
    EXPECT_EQ(BoundedInput::check(QString(22000, QChar(0x3042)), QStringLiteral("貼り付けた文字")),
              QStringLiteral("貼り付けた文字の 1 行目が長すぎます（1行 64 KB まで）。読み込みをやめました。"));
    EXPECT_TRUE(BoundedInput::check(QString(21000, QChar(0x3042)), QStringLiteral("貼り付けた文字")).isEmpty());
}
