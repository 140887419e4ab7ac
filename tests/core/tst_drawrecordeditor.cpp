// The draw results editor's records on a real database file: what the number
// cells accept, that every change survives reopening the file, that nothing
// the close check refuses is written, and that a failed write changes nothing.
#include "maintenance/drawrecordeditor.h"
#include "maintenance/numbercheck.h"
#include "store/drawdatabase.h"
#include "store/globalbas.h"
#include "support/drawfile.h"
#include "support/history.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using TestHistory::draw;

namespace {

class EditorFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.filePath(DrawDatabase::FileName);
        DrawFile::write(m_path, {draw(1, {1, 2, 3, 4, 5, 6, 7}),
                                 draw(2, {11, 12, 13, 14, 15, 16, Field::null()}),
                                 draw(3, {21, 22, 23, 24, 25, 26, 27})});
    }

    DrawRecordEditor openEditor() const
    {
        return DrawRecordEditor::open(m_path);
    }

    QTemporaryDir m_dir;
    QString m_path;
};

} // namespace

TEST(NumberCheck, AcceptsEmptyOrWholeNumbersOneToFortyThree)
{
    struct Case
    {
        QString text;
        std::optional<Field> value;
    };
    const Case cases[] = {
        {QString(), Field::null()},
        {QStringLiteral("1"), Field(1)},
        {QStringLiteral("43"), Field(43)},
        {QStringLiteral(" 7"), Field(7)},
        {QStringLiteral("１２"), Field(12)}, // full-width digits from an input method
        {QStringLiteral("0"), std::nullopt},
        {QStringLiteral("44"), std::nullopt},
        {QStringLiteral("-3"), std::nullopt},
        {QStringLiteral("1.0"), std::nullopt}, // contains a "."
        {QStringLiteral("7.5"), std::nullopt},
        {QStringLiteral("１．０"), std::nullopt},
        {QStringLiteral("15e-1"), std::nullopt}, // 1.5 without a "."
        {QStringLiteral("x"), std::nullopt},
        {QStringLiteral(" "), std::nullopt},
        {QStringLiteral("99999999999999999999"), std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(NumberCheck::valueOf(c.text), c.value);
    }
}

TEST_F(EditorFile, EditInsertAndDeleteSurviveReopening)
{
    {
        DrawRecordEditor editor = openEditor();
        ASSERT_EQ(editor.rowCount(), 3);
        // Draw 2 lacks its bonus: a new number waits for it, then the whole
        // draw goes to the file, ascending.
        EXPECT_EQ(editor.setText(3, 2, QStringLiteral("40")).status, EditResult::Status::Pending);
        EXPECT_EQ(editor.setText(8, 2, QStringLiteral("9")).status, EditResult::Status::Written);
        EXPECT_EQ(editor.setText(4, 1, QStringLiteral("3")).status, EditResult::Status::Unchanged);

        // Adding after the last row appends the next draw.
        EXPECT_EQ(editor.insertAfter(3).status, EditResult::Status::Written);
        ASSERT_EQ(editor.rowCount(), 4);
        EXPECT_EQ(editor.text(1, 4), QStringLiteral("4"));
        EXPECT_EQ(editor.setText(5, 4, QStringLiteral("33")).status, EditResult::Status::Pending);

        EXPECT_EQ(editor.deleteRow(3).status, EditResult::Status::Written);
        EXPECT_EQ(editor.rowCount(), 3);
    }
    EXPECT_EQ(DrawFile::lines(m_path),
              QStringList({QStringLiteral("1|1|2|3|4|5|6|7"), QStringLiteral("2|11|13|14|15|16|40|9"),
                           QStringLiteral("4|NULL|NULL|NULL|NULL|NULL|NULL|NULL")}));
    // A new start sees the same records the editor shows, and the analyses
    // see them through the store: draw 2 is complete now.
    const DrawRecordEditor reopened = openEditor();
    EXPECT_EQ(reopened.rowCount(), 3);
    EXPECT_EQ(reopened.text(5, 3), QString());
    const DrawHistoryStore store = loadDrawHistoryFrom(m_path);
    EXPECT_EQ(store.LastDrawNo, 2);
    EXPECT_EQ(store.NumberTotal[12], 0);
    EXPECT_EQ(store.NumberTotal[40], 1);
    EXPECT_EQ(store.NumberTotal[9], 1);
}

TEST_F(EditorFile, ADrawIsWrittenWholeWithItsMainNumbersAscending)
{
    // Draw 1 is 1 … 6 + 7, draw 2 11 … 16 without its bonus, draw 3 21 … 26 + 27.
    struct Case
    {
        const char *name;
        int row;
        std::vector<std::pair<int, QString>> typed; // column, text
        QString line;                               // the draw's line in the file after
        EditResult::Status last;                    // what became of the last cell typed
        QString unsaved;                            // the reason given for the first unsaved cell, or empty
    };
    const Case cases[] = {
        {"a new number takes its place in order", 3, {{2, QStringLiteral("30")}},
         QStringLiteral("3|22|23|24|25|26|30|27"), EditResult::Status::Written, {}},
        {"typed in any order, stored ascending", 2, {{3, QStringLiteral("40")}, {8, QStringLiteral("9")}},
         QStringLiteral("2|11|13|14|15|16|40|9"), EditResult::Status::Written, {}},
        {"two numbers swapped are the same draw", 1, {{2, QStringLiteral("2")}, {3, QStringLiteral("1")}},
         QStringLiteral("1|1|2|3|4|5|6|7"), EditResult::Status::Unchanged, {}},
        {"a draw without its bonus waits", 2, {{3, QStringLiteral("40")}},
         QStringLiteral("2|11|12|13|14|15|16|NULL"), EditResult::Status::Pending, QStringLiteral("7つの数字がそろっていません")},
        {"a whole draw is not emptied", 1, {{3, QString()}},
         QStringLiteral("1|1|2|3|4|5|6|7"), EditResult::Status::Kept, QStringLiteral("空欄にはできません（元の数字は2）")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(m_path); // a fresh file for each case
        SetUp();
        DrawRecordEditor editor = openEditor();
        EditResult result;
        for (const auto &[column, text] : c.typed)
            result = editor.setText(column, c.row, text);
        EXPECT_EQ(result.status, c.last);
        EXPECT_EQ(DrawFile::lines(m_path)[c.row - 1], c.line);
        const std::vector<CellProblem> unsaved = editor.keptCells();
        EXPECT_EQ(unsaved.empty() ? QString() : unsaved.front().reason, c.unsaved);
    }
}

TEST_F(EditorFile, WrongTextIsShownButNeverWritten)
{
    const QStringList before = DrawFile::lines(m_path);
    for (const QString &wrong : {QStringLiteral("44"), QStringLiteral("0"), QStringLiteral("1.0"), QStringLiteral("x")}) {
        SCOPED_TRACE(wrong.toStdString());
        DrawRecordEditor editor = openEditor();
        EXPECT_EQ(editor.setText(5, 2, wrong).status, EditResult::Status::Kept);
        EXPECT_EQ(editor.text(5, 2), wrong);
        EXPECT_EQ(editor.record(2).number(4), Field(14));
        EXPECT_EQ(editor.firstWrongCell(), (CellAddress{5, 2}));
        EXPECT_EQ(DrawFile::lines(m_path), before);

        // Putting a right value back clears the mark.
        EXPECT_EQ(editor.setText(5, 2, QStringLiteral("14")).status, EditResult::Status::Unchanged);
        EXPECT_EQ(editor.firstWrongCell(), std::nullopt);
    }
}

TEST_F(EditorFile, CloseCheckScansRowsThenColumnsOverEveryRow)
{
    {
        // Past the 5000 rows the old check table could hold.
        const Database db = Database::open(m_path, DrawDatabase::password(), Database::Mode::ReadWrite);
        db.begin();
        for (const DrawRecord &record : TestHistory::generated(5003)) {
            if (record.drawNo.integer() > 3)
                DrawDatabase::insert(db, record, false);
        }
        db.commit();
    }
    DrawRecordEditor editor = openEditor();
    ASSERT_EQ(editor.rowCount(), 5003);
    EXPECT_EQ(editor.firstWrongCell(), std::nullopt);
    editor.setText(8, 5002, QStringLiteral("x"));
    EXPECT_EQ(editor.firstWrongCell(), (CellAddress{8, 5002}));
    editor.setText(6, 3, QStringLiteral("50"));
    editor.setText(4, 3, QStringLiteral("7.0"));
    editor.setText(2, 4, QStringLiteral("0"));
    EXPECT_EQ(editor.firstWrongCell(), (CellAddress{4, 3}));
}

TEST_F(EditorFile, NewDrawNumberMustBeFree)
{
    DrawRecordEditor editor = openEditor();
    const QStringList before = DrawFile::lines(m_path);
    const EditResult result = editor.insertAfter(1); // 回数 2 exists
    EXPECT_EQ(result.status, EditResult::Status::Refused);
    EXPECT_TRUE(result.message.contains(QStringLiteral("回数2")));
    EXPECT_EQ(editor.rowCount(), 3);
    EXPECT_EQ(DrawFile::lines(m_path), before);

    EXPECT_EQ(editor.setText(1, 1, QStringLiteral("9")).status, EditResult::Status::Refused); // 回数 is not editable
    EXPECT_EQ(DrawFile::lines(m_path), before);
}

TEST_F(EditorFile, FailedWriteChangesNothingAndSaysWhy)
{
    // Root ignores file permissions, so the failures are made by the database
    // itself: a connection opened read-only, or a write lock held by a second
    // connection (the editor gives up after its busy time-out).
    struct Way
    {
        const char *name;
        std::function<DrawRecordEditor(const QString &)> open;
        QString reason;
    };
    std::optional<Database> locker;
    const Way ways[] = {
        {"read-only connection",
         [](const QString &path) {
             return DrawRecordEditor(Database::open(path, DrawDatabase::password(), Database::Mode::ReadOnly));
         },
         QStringLiteral("読み取り専用")},
        {"write lock held elsewhere",
         [&locker](const QString &path) {
             DrawRecordEditor editor(Database::open(path, DrawDatabase::password(), Database::Mode::ReadWrite));
             locker.emplace(Database::open(path, DrawDatabase::password(), Database::Mode::ReadWrite));
             locker->begin();
             return editor;
         },
         QStringLiteral("他のプログラム")},
    };
    const std::function<EditResult(DrawRecordEditor &)> operations[] = {
        [](DrawRecordEditor &e) { return e.setText(3, 1, QStringLiteral("30")); },
        [](DrawRecordEditor &e) { return e.setText(8, 2, QStringLiteral("5")); },
        [](DrawRecordEditor &e) { return e.insertAfter(3); },
        [](DrawRecordEditor &e) { return e.deleteRow(2); },
    };
    const QStringList before = DrawFile::lines(m_path);
    for (const Way &way : ways) {
        for (size_t op = 0; op < std::size(operations); ++op) {
            SCOPED_TRACE(std::string(way.name) + " operation " + std::to_string(op));
            DrawRecordEditor editor = way.open(m_path);
            const EditResult result = operations[op](editor);
            locker.reset();
            EXPECT_EQ(result.status, EditResult::Status::Failed);
            EXPECT_TRUE(result.message.contains(way.reason)) << result.message.toStdString();
            EXPECT_EQ(editor.rowCount(), 3);
            EXPECT_EQ(editor.text(3, 1), QStringLiteral("2"));
            EXPECT_EQ(editor.text(8, 2), QString());
            EXPECT_EQ(DrawFile::lines(m_path), before);
        }
    }
}

TEST_F(EditorFile, RecordChangedElsewhereIsNotOverwritten)
{
    DrawRecordEditor editor = openEditor();
    {
        const Database other = Database::open(m_path, DrawDatabase::password(), Database::Mode::ReadWrite);
        other.exec(QStringLiteral("UPDATE 結果マスタ SET 第2数字 = 20 WHERE 回数 = 1"));
    }
    const EditResult update = editor.setText(3, 1, QStringLiteral("30"));
    EXPECT_EQ(update.status, EditResult::Status::Failed);
    EXPECT_TRUE(update.message.contains(QStringLiteral("ほかのプログラムで変更")));
    EXPECT_EQ(editor.deleteRow(1).status, EditResult::Status::Failed);
    EXPECT_EQ(DrawFile::lines(m_path).first(), QStringLiteral("1|1|20|3|4|5|6|7"));
}

TEST_F(EditorFile, ANumberTwiceInADrawIsKeptOffTheFile)
{
    // Draw 1 is 1 2 3 4 5 6 + 7. Each case types into one cell of it.
    struct Case
    {
        const char *name;
        int column;
        QString text;
        QString reason;
    };
    const Case cases[] = {
        {"a main number repeating another", 2, QStringLiteral("2"), QStringLiteral("第2数字と同じ数字です")},
        {"a main number equal to the bonus", 4, QStringLiteral("7"), QStringLiteral("ボーナス数字と同じ数字です")},
        {"a bonus equal to a main number", 8, QStringLiteral("3"), QStringLiteral("第3数字と同じ数字です")},
        {"full-width digits are the same number", 3, QStringLiteral("１"), QStringLiteral("第1数字と同じ数字です")},
    };
    const QStringList before = DrawFile::lines(m_path);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        DrawRecordEditor editor = openEditor();
        EXPECT_EQ(editor.setText(c.column, 1, c.text).status, EditResult::Status::Kept);
        EXPECT_EQ(editor.text(c.column, 1), c.text);
        const std::optional<CellProblem> problem = editor.problem(c.column, 1);
        ASSERT_TRUE(problem);
        EXPECT_EQ(problem->reason, c.reason);
        EXPECT_TRUE(problem->kept);
        EXPECT_EQ(editor.firstWrongCell(), (CellAddress{c.column, 1}));
        ASSERT_EQ(editor.keptCells().size(), 1u);
        EXPECT_FALSE(editor.problem(c.column == 2 ? 3 : 2, 1)); // the number it repeats is no fault
        EXPECT_EQ(DrawFile::lines(m_path), before);
    }
    // Out of range and repeated at once: the range is the reason.
    DrawRecordEditor editor = openEditor();
    editor.setText(2, 1, QStringLiteral("44"));
    EXPECT_EQ(editor.problem(2, 1)->reason, QStringLiteral("1～43の整数ではありません"));
}

TEST_F(EditorFile, AKeptNumberIsWrittenOnceItRepeatsNothing)
{
    {
        DrawRecordEditor editor = openEditor();
        // 21 typed as draw 3's bonus repeats 第1数字 until that becomes 30.
        EXPECT_EQ(editor.setText(8, 3, QStringLiteral("21")).status, EditResult::Status::Kept);
        EXPECT_EQ(editor.setText(2, 3, QStringLiteral("30")).status, EditResult::Status::Written);
        EXPECT_EQ(editor.firstWrongCell(), std::nullopt);
        EXPECT_TRUE(editor.keptCells().empty());
        // One still repeating a number stays kept, and so does its draw.
        EXPECT_EQ(editor.setText(5, 1, QStringLiteral("1")).status, EditResult::Status::Kept);
        EXPECT_EQ(editor.setText(6, 1, QStringLiteral("40")).status, EditResult::Status::Pending);
        EXPECT_EQ(editor.keptCells().size(), 2u);
    }
    EXPECT_EQ(DrawFile::lines(m_path),
              QStringList({QStringLiteral("1|1|2|3|4|5|6|7"), QStringLiteral("2|11|12|13|14|15|16|NULL"),
                           QStringLiteral("3|22|23|24|25|26|30|21")}));
}

TEST_F(EditorFile, StoredRepeatsAndImpossibleDrawNumbersAreNamed)
{
    {
        // A file made elsewhere with a number twice in draw 2 and the bonus
        // equal to a main number in draw 3.
        const Database db = Database::open(m_path, DrawDatabase::password(), Database::Mode::ReadWrite);
        db.exec(QStringLiteral("UPDATE 結果マスタ SET 第3数字 = 11 WHERE 回数 = 2"));
        db.exec(QStringLiteral("UPDATE 結果マスタ SET ボーナス数字 = 21 WHERE 回数 = 3"));
        db.exec(QStringLiteral("INSERT INTO 結果マスタ (回数) VALUES (32762)"));
    }
    DrawRecordEditor editor = openEditor();
    const std::vector<CellProblem> wrong = editor.wrongCells();
    ASSERT_EQ(wrong.size(), 2u);
    EXPECT_EQ(wrong[0].cell, (CellAddress{4, 2}));
    EXPECT_EQ(wrong[0].reason, QStringLiteral("第1数字と同じ数字です"));
    EXPECT_FALSE(wrong[0].kept);
    EXPECT_EQ(wrong[1].cell, (CellAddress{8, 3}));
    EXPECT_EQ(wrong[1].reason, QStringLiteral("第1数字と同じ数字です"));

    // 32763 is the last draw every window can show.
    EXPECT_FALSE(editor.insertRefusal(4));
    ASSERT_EQ(editor.insertAfter(4).status, EditResult::Status::Written);
    EXPECT_EQ(editor.text(1, 5), QStringLiteral("32763"));
    const QStringList before = DrawFile::lines(m_path);
    const EditResult refused = editor.insertAfter(5);
    EXPECT_EQ(refused.status, EditResult::Status::Refused);
    EXPECT_TRUE(refused.message.contains(QStringLiteral("32763"))) << refused.message.toStdString();
    EXPECT_EQ(editor.insertRefusal(5), refused.message);
    EXPECT_EQ(DrawFile::lines(m_path), before);
    // A taken draw number is refused before anything is asked or written.
    EXPECT_TRUE(editor.insertRefusal(1)->contains(QStringLiteral("回数2のデータはすでにあります")));
}
