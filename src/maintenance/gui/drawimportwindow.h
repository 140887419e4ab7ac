#pragma once

#include "maintenance/drawimportplan.h"
#include "ui/gui/messages.h"

#include <QWidget>

#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

// The window 当選データ取込: draw results from a CSV/TSV file or from pasted
// text, previewed per draw (追加, 同一, 相違 with both sides, エラー with line
// and reason) and written only by 取込実行. A 相違 row is kept as stored
// unless its 上書き box is ticked.
class DrawImportWindow : public QWidget
{
    Q_OBJECT

public:
    static inline const QString ClassName = QStringLiteral("当選データ取込");
    static constexpr int HeightTwips = 9600;
    static constexpr int WidthTwips = 12600;
    // Preview columns.
    enum Column { KindColumn, LineColumn, DrawNoColumn, IncomingColumn, StoredColumn, OverwriteColumn, NoteColumn, ColumnCount };

    using Ask = std::function<QMessageBox::StandardButton(const MessageRequest &)>;

    // databasePath: the draw database to compare with and write to; ask shows
    // a message box (MainFrm::message).
    DrawImportWindow(QString databasePath, Ask ask, QWidget *parent = nullptr);

    QPlainTextEdit *pasteBox() const { return m_paste; }
    QTableWidget *table() const { return m_table; }
    QLabel *summary() const { return m_summary; }
    QPushButton *applyButton() const { return m_apply; }
    const DrawImport::Plan &plan() const { return m_plan; }

    // Reads a file and shows its preview; a file that cannot be read is said so.
    void loadFile(const QString &path);
    // Shows the preview of the text in the paste box.
    void Cmd確認_Click();
    void Cmdファイル_Click();
    // Writes the previewed changes, with the ticked overwrites.
    void Cmd取込実行_Click();

Q_SIGNALS:
    void closeRequested();
    // The database file now holds new draws: the frame reloads what it shows.
    void databaseChanged();

private:
    void createControls();
    void preview(const QString &text, const QString &sourceName);
    void showPlan();
    std::set<int> tickedOverwrites() const;

    QString m_databasePath;
    Ask m_ask;
    QString m_sourceText;
    QString m_sourceName;
    DrawImport::Plan m_plan;
    QPlainTextEdit *m_paste = nullptr;
    QLabel *m_source = nullptr;
    QLabel *m_summary = nullptr;
    QTableWidget *m_table = nullptr;
    QPushButton *m_apply = nullptr;
};
