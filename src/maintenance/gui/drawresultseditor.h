#pragma once

#include "maintenance/drawrecordeditor.h"
#include "maintenance/gui/editorgrid.h"
#include "ui/gui/messages.h"

#include <QWidget>

#include <functional>

class DrawRecordModel;
class NumberCellDelegate;
class QLabel;
class QMenu;
class QPushButton;
class QTableView;
class Sheet;
class TableActions;

// The window 当選データ入力: every draw record in an editable grid. A draw
// is written to its record once its row shows seven different numbers
// (DrawRecordEditor); rows are added and deleted from the pop-up menu of the
// header column; 閉じる closes only when no number cell is wrong, and any
// way of closing names the typed values that are not saved first.
class DrawResultsEditor : public QWidget
{
    Q_OBJECT

public:
    static inline const QString ClassName = QStringLiteral("当選データ入力");
    static constexpr int HeightTwips = 13450;
    static constexpr int WidthTwips = 7180;

    using Ask = std::function<QMessageBox::StandardButton(const MessageRequest &)>;

    // ask shows a message box and returns the answer (MainFrm::message).
    DrawResultsEditor(DrawRecordEditor records, Ask ask, QWidget *parent = nullptr);
    ~DrawResultsEditor() override;

    QTableView *grid() const { return m_grid; }
    QMenu *editMenu() const { return m_mnuEdit; }
    const DrawRecordModel &model() const { return *m_model; }
    // Print, PDF, CSV, zoom and 回数へ移動 for the grid.
    TableActions *tableActions() const { return m_actions; }
    // The records as a table: a caption row, then one row per record.
    Sheet recordsSheet() const;

    // The program is about to end: a value being typed is committed, and
    // typed values that are not saved are named; false when the user goes
    // back to them (the exit stops). Then closeWithoutQuestion: the editor
    // closes without asking again.
    bool mayCloseWithProgram();
    void closeWithoutQuestion() { m_closingWithProgram = true; }

    void Command1_Click();
    void mnuAddLine_Click();
    void mnuDelLine_Click();

Q_SIGNALS:
    // The close check passed: the frame closes the window.
    void closeRequested();
    // A committed cell, an added or a deleted row is in the database.
    void drawsWritten();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void setUpGrid();
    void fitHeaderCaptions();
    void fpSpread1_RightClick(const QPoint &pos);
    int activeRow() const;
    // Brings the window to the front with that cell current, in view and
    // focused, ready for typing.
    void goToCell(const CellAddress &cell);
    // Asks whether to go on closing ("閉じて", "終了して") although typed
    // values were not saved; false when the user goes back to them.
    bool confirmLosingKeptCells(const QString &closing);
    // "回数5のボーナス数字「44」：1～43の整数ではありません", one a line.
    QString cellList(const std::vector<CellProblem> &cells) const;

    Ask m_ask;
    DrawRecordModel *m_model = nullptr;
    NumberCellDelegate *m_delegate = nullptr;
    EditorGrid *m_grid = nullptr;
    QLabel *m_label = nullptr;
    QPushButton *m_close = nullptr;
    QMenu *m_mnuEdit = nullptr;
    bool m_closingWithProgram = false;
    TableActions *m_actions = nullptr;
};
