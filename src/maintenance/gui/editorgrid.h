#pragma once

#include <QTableView>

// An editable grid (the editor's, the ticket table) made to behave like a
// spreadsheet: whatever is typed goes into the current cell and nowhere
// else. There is no type-to-find (a typed digit would otherwise jump to
// another draw whose cell starts with it), a click on the current cell
// opens it at once instead of after the double-click interval (keys typed in
// that interval went to the jump), and Enter moves on to the cell below.
class EditorGrid : public QTableView
{
    Q_OBJECT

public:
    explicit EditorGrid(QWidget *parent = nullptr);

    void keyboardSearch(const QString &search) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void moveDown();

    QPersistentModelIndex m_pressedCurrent;
};
