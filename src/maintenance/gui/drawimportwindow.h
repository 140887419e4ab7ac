#pragma once

#include "maintenance/drawimportplan.h"
#include "ui/gui/messages.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

// The window 当選データ取込: draw results from a CSV/TSV file, from pasted
// text or from a web address (a results page or a CSV, fetched only when
// 取得 is clicked), previewed per draw (追加, 同一, 相違 with both sides and what differs,
// エラー with line and reason, the prize table where the source has one) and
// written only by 取込実行. A 相違 row, or a prize amount other than the one
// in the ticket ledger, is kept as stored unless its 上書き box is ticked.
class DrawImportWindow : public QWidget
{
    Q_OBJECT

public:
    static inline const QString ClassName = QStringLiteral("当選データ取込");
    static constexpr int HeightTwips = 9600;
    static constexpr int WidthTwips = 15600;
    // Preview columns.
    enum Column {
        KindColumn,
        LineColumn,
        DrawNoColumn,
        IncomingColumn,
        StoredColumn,
        OverwriteColumn,
        NoteColumn,
        PrizeColumn,
        ColumnCount,
        LastColumn = ColumnCount - 1
    };

    using Ask = std::function<QMessageBox::StandardButton(const MessageRequest &)>;

    // databasePath: the draw database to compare with and write to;
    // ledgerPath: the ticket ledger that records prize amounts;
    // addressesPath: the list of web addresses fetched last; ask shows a
    // message box (MainFrm::message).
    DrawImportWindow(QString databasePath, QString ledgerPath, QString addressesPath, Ask ask, QWidget *parent = nullptr);

    QPlainTextEdit *pasteBox() const { return m_paste; }
    // The address field, offering the addresses fetched last (newest first).
    QComboBox *addressBox() const { return m_address; }
    QTableWidget *table() const { return m_table; }
    QLabel *summary() const { return m_summary; }
    QPushButton *applyButton() const { return m_apply; }
    const DrawImport::Plan &plan() const { return m_plan; }

    // Reads a file and shows its preview; a file that cannot be read, or is
    // beyond the input limits, is said so. The paste box is emptied: what is
    // previewed is the file.
    void loadFile(const QString &path);
    // Shows the preview of the text in the paste box.
    void Cmd確認_Click();
    void Cmdファイル_Click();
    // Fetches the address in the field under a progress dialog with
    // キャンセル and shows the preview of what it holds.
    void Cmd取得_Click();
    // Writes the previewed changes, with the ticked overwrites.
    void Cmd取込実行_Click();

Q_SIGNALS:
    void closeRequested();
    // The database file now holds new draws (or the ledger new prize
    // amounts): the frame reloads what it shows.
    void databaseChanged();
    // The ticket ledger holds new prize amounts.
    void ledgerChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void fitLastColumn();
    void preview(DrawImport::ReadResult read, const QString &sourceName);
    void showPlan();
    std::set<int> tickedOverwrites() const;

    QString m_databasePath;
    QString m_ledgerPath;
    QString m_addressesPath;
    Ask m_ask;
    DrawImport::ReadResult m_read;
    QString m_sourceName;
    DrawImport::Plan m_plan;
    QPlainTextEdit *m_paste = nullptr;
    QComboBox *m_address = nullptr;
    QLabel *m_source = nullptr;
    QLabel *m_summary = nullptr;
    QTableWidget *m_table = nullptr;
    QPushButton *m_apply = nullptr;
    int m_lastWidth = 0; // what the last column's texts need
};
