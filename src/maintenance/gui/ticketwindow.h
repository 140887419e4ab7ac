#pragma once

#include "maintenance/ticketledger.h"
#include "store/globalbas.h"
#include "ui/gui/messages.h"

#include <QRandomGenerator>
#include <QWidget>

#include <array>
#include <functional>
#include <vector>

class PrizeTableModel;
class QPushButton;
class QSpinBox;
class QStandardItemModel;
class QTableView;
class TicketTableModel;

// 購入記録・当選チェック: the user's tickets, each checked against the draw
// results as soon as its draw is in the history; the prize amounts the user
// records per draw; and what was spent and won per month, year and overall
// beside what the same lines would return at random.
//
// Object names: the buttons Cmd追加, Cmd削除, Cmd複製, Cmd予想から追加 (its
// menu items carry the source names, and 買い目作成), Cmdクイックピック with the spin box
// Spinクイックピック, Cmd閉じる; the tables fpSpread1 (tickets), fpSpread2
// (prize amounts), fpSpread3 (summary).
class TicketWindow : public QWidget
{
    Q_OBJECT

public:
    static inline const QString ClassName = QStringLiteral("購入記録・当選チェック");
    static constexpr int HeightTwips = 9600;
    static constexpr int WidthTwips = 15600;

    using Ask = std::function<QMessageBox::StandardButton(const MessageRequest &)>;
    // What a prediction offers now, as the prediction window shows it: its
    // lines and, when they are every six of the numbers it shows, how many
    // numbers that is (the user agrees to the cost first).
    struct Offer
    {
        std::vector<std::array<int, 6>> lines;
        int everySixOf = 0;
    };
    // One item of 予想から追加: the name on the menu and in the memo. The
    // offer may throw RuntimeError when the prediction cannot be made.
    struct LineSource
    {
        QString name;
        std::function<Offer()> offer;
    };

    TicketWindow(TicketLedger ledger, DrawResults results, std::vector<LineSource> sources, Ask ask,
                 QWidget *parent = nullptr);

    // The draws the window checks against: the draw database as it is now
    // (an update or the editor may have changed it since start-up), or the
    // store's history when the file cannot be read.
    static DrawResults currentResults(const DrawHistoryStore &store);

    // Checks every ticket again against new draws (after an update).
    void setResults(DrawResults results);
    // Shows what the ledger holds now (another window added to it), the
    // newest tickets in view.
    void reloadLedger();
    // The same when another program has written to the ledger since it was
    // read; done whenever the window is activated. True when it had.
    bool lookForOutsideChanges();

    TicketTableModel *model() const { return m_model; }
    QTableView *grid() const { return m_grid; }
    QTableView *prizeGrid() const { return m_prizeGrid; }
    QStandardItemModel *summary() const { return m_summary; }

    // 追加 asks for the six numbers and hands them to addTyped, which refuses
    // wrong ones with a message and adds nothing.
    void Cmd追加_Click();
    bool addTyped(const QString &text);
    void Cmd削除_Click();
    void Cmd複製_Click();
    void Cmdクイックピック_Click();
    // Adds the lines of a prediction; all C(k, 6) only after the user agreed
    // to how many lines and how much money that is.
    void addFromPrediction(const LineSource &source);

Q_SIGNALS:
    void closeRequested();
    // The last item of 予想から追加: the window 買い目作成 for fewer lines.
    void wheelRequested();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void setUpGrids();
    void refreshSummary();
    void fitPrizeGrid();
    void addLines(const std::vector<std::array<int, 6>> &lines, const QString &memo);
    std::vector<int> selectedRows() const;
    Ticket newTicket(const std::array<int, 6> &numbers, const QString &memo) const;

    std::vector<LineSource> m_sources;
    Ask m_ask;
    QRandomGenerator m_random;
    TicketTableModel *m_model = nullptr;
    PrizeTableModel *m_prizes = nullptr;
    QStandardItemModel *m_summary = nullptr;
    QTableView *m_grid = nullptr;
    QTableView *m_prizeGrid = nullptr;
    QTableView *m_summaryGrid = nullptr;
    QSpinBox *m_pickCount = nullptr;
    bool m_watchingActivation = false;
};
