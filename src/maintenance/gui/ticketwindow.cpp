#include "maintenance/gui/ticketwindow.h"

#include "maintenance/gui/editorgrid.h"
#include "maintenance/gui/ticketmodel.h"
#include "store/drawdatabase.h"
#include "store/runtimeerror.h"
#include "ui/gui/metrics.h"
#include "ui/gui/subwindow.h"
#include "ui/gui/wrappinglabel.h"
#include "ui/numbertext.h"

#include <QApplication>
#include <QDate>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <set>

namespace {

constexpr double RowHeight = 10.0;

QPushButton *button(QWidget *parent, const QString &name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

void setUpTable(QTableView *table)
{
    table->setShowGrid(true);
    table->setGridStyle(Qt::SolidLine);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setMinimumSectionSize(1);
    table->verticalHeader()->setDefaultSectionSize(Metrics::rowPixels(RowHeight));
    table->horizontalHeader()->setMinimumSectionSize(1);
    table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                           | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
}

} // namespace

TicketWindow::TicketWindow(TicketLedger ledger, DrawResults results, std::vector<LineSource> sources, Ask ask,
                           QWidget *parent)
    : QWidget(parent)
    , m_sources(std::move(sources))
    , m_ask(std::move(ask))
    , m_random(QRandomGenerator::securelySeeded())
{
    setObjectName(ClassName);
    setWindowTitle(ClassName);
    setFont(Metrics::gridFont());

    m_model = new TicketTableModel(std::move(ledger), std::move(results), this);
    // Shown once the edit has finished, never in the middle of a cell editor closing.
    connect(m_model, &TicketTableModel::writeFailed, this, [this](const QString &text) { m_ask(Messages::error(text)); },
            Qt::QueuedConnection);
    m_prizes = new PrizeTableModel(m_model, this);
    m_summary = new QStandardItemModel(this);
    connect(m_model, &TicketTableModel::ledgerChanged, this, &TicketWindow::refreshSummary);

    auto *label = new WrappingLabel(QStringLiteral("購入した数字を記録し、抽選結果と照合します（1口 %1円）。当選金額は回ごとに入力できます（5等は 1,000円）。")
                                 .arg(TicketRules::PricePerLine),
                             this);
    label->setObjectName(QStringLiteral("Label1"));

    QPushButton *add = button(this, QStringLiteral("Cmd追加"), QStringLiteral("追加(&A)"));
    QPushButton *remove = button(this, QStringLiteral("Cmd削除"), QStringLiteral("削除(&R)"));
    QPushButton *copy = button(this, QStringLiteral("Cmd複製"), QStringLiteral("複製(&U)"));
    QPushButton *fromPrediction = button(this, QStringLiteral("Cmd予想から追加"), QStringLiteral("予想から追加(&P)"));
    QPushButton *quickPick = button(this, QStringLiteral("Cmdクイックピック"), QStringLiteral("クイックピック(&Q)"));
    QPushButton *close = button(this, QStringLiteral("Cmd閉じる"), QStringLiteral("閉じる(&C)"));
    m_pickCount = new QSpinBox(this);
    m_pickCount->setObjectName(QStringLiteral("Spinクイックピック"));
    m_pickCount->setRange(1, 100);
    m_pickCount->setSuffix(QStringLiteral(" 口"));

    auto *menu = new QMenu(fromPrediction);
    for (size_t i = 0; i < m_sources.size(); ++i) {
        QAction *action = menu->addAction(m_sources[i].name);
        action->setObjectName(m_sources[i].name);
        connect(action, &QAction::triggered, this, [this, i] { addFromPrediction(m_sources[i]); });
    }
    menu->addSeparator();
    QAction *wheel = menu->addAction(QStringLiteral("買い目作成（縮小ホイール・絞り込み）..."));
    wheel->setObjectName(QStringLiteral("買い目作成"));
    connect(wheel, &QAction::triggered, this, &TicketWindow::wheelRequested);
    fromPrediction->setMenu(menu);

    connect(add, &QPushButton::clicked, this, &TicketWindow::Cmd追加_Click);
    connect(remove, &QPushButton::clicked, this, &TicketWindow::Cmd削除_Click);
    connect(copy, &QPushButton::clicked, this, &TicketWindow::Cmd複製_Click);
    connect(quickPick, &QPushButton::clicked, this, &TicketWindow::Cmdクイックピック_Click);
    connect(close, &QPushButton::clicked, this, &TicketWindow::closeRequested);

    // Typed like a spreadsheet: Enter moves on to the line below.
    m_grid = new EditorGrid(this);
    m_grid->setObjectName(QStringLiteral("fpSpread1"));
    m_grid->setModel(m_model);
    m_prizeGrid = new QTableView(this);
    m_prizeGrid->setObjectName(QStringLiteral("fpSpread2"));
    m_prizeGrid->setModel(m_prizes);
    m_summaryGrid = new QTableView(this);
    m_summaryGrid->setObjectName(QStringLiteral("fpSpread3"));
    m_summaryGrid->setModel(m_summary);
    setUpGrids();
    refreshSummary();

    auto *strip = new QHBoxLayout;
    strip->setContentsMargins(0, 0, 0, 0);
    for (QWidget *w : std::initializer_list<QWidget *>{add, remove, copy, fromPrediction, quickPick, m_pickCount})
        strip->addWidget(w);
    strip->addStretch(1);
    strip->addWidget(close);

    auto *prizeLabel = new QLabel(QStringLiteral("■当選金額（1口あたり。空欄は不明、5等は1,000円）"), this);
    auto *summaryLabel = new QLabel(QStringLiteral("■収支（回収率は抽選済みの口数について。期待値はでたらめに買った場合）"), this);
    auto *prizeBox = new QVBoxLayout;
    prizeBox->addWidget(prizeLabel);
    prizeBox->addWidget(m_prizeGrid);
    auto *summaryBox = new QVBoxLayout;
    summaryBox->addWidget(summaryLabel);
    summaryBox->addWidget(m_summaryGrid);
    // The amounts take the width their columns need, the summary the rest.
    auto *bottom = new QHBoxLayout;
    bottom->addLayout(prizeBox, 0);
    bottom->addLayout(summaryBox, 1);

    auto *layout = new QVBoxLayout(this);
    const int margin = Metrics::twipsToPixels(120);
    layout->setContentsMargins(margin, 4, margin, margin);
    layout->setSpacing(4);
    layout->addLayout(strip);
    layout->addWidget(label);
    layout->addWidget(m_grid, 3);
    layout->addLayout(bottom, 2);
    setFocusProxy(m_grid);
}

DrawResults TicketWindow::currentResults(const DrawHistoryStore &store)
{
    try {
        const Database db = DrawDatabase::open(store.DatabasePath, Database::Mode::ReadOnly);
        return DrawResults(DrawDatabase::readAll(db));
    } catch (const DatabaseError &) {
        return DrawResults(store.DrawRecordset);
    }
}

void TicketWindow::setResults(DrawResults results)
{
    m_model->setResults(std::move(results));
}

void TicketWindow::reloadLedger()
{
    m_model->reload();
    m_grid->scrollToBottom();
}

bool TicketWindow::lookForOutsideChanges()
{
    if (!m_model->reloadIfChangedElsewhere())
        return false;
    m_grid->scrollToBottom();
    return true;
}

void TicketWindow::showEvent(QShowEvent *event)
{
    if (!m_watchingActivation) {
        m_watchingActivation = true;
        // Coming to the front among the program's windows.
        if (QMdiSubWindow *window = enclosingSubWindow(this))
            connect(window, &QMdiSubWindow::aboutToActivate, this, &TicketWindow::lookForOutsideChanges);
        // Back in the program (from a terminal where tickets were added, say).
        connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *focused) {
            if (focused && focused == window()->windowHandle())
                lookForOutsideChanges();
        });
    }
    QWidget::showEvent(event);
}

void TicketWindow::setUpGrids()
{
    setUpTable(m_grid);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    QHeaderView *columns = m_grid->horizontalHeader();
    columns->resizeSection(TicketTableModel::DrawColumn, Metrics::columnPixels(5.0));
    for (int c = TicketTableModel::FirstNumberColumn; c < TicketTableModel::FirstNumberColumn + 6; ++c)
        columns->resizeSection(c, Metrics::columnPixels(4.5));
    columns->resizeSection(TicketTableModel::CountColumn, Metrics::columnPixels(4.5));
    columns->resizeSection(TicketTableModel::DateColumn, Metrics::columnPixels(10.0));
    columns->resizeSection(TicketTableModel::MemoColumn, Metrics::columnPixels(14.0));
    columns->resizeSection(TicketTableModel::MatchColumn, Metrics::columnPixels(4.0));
    columns->resizeSection(TicketTableModel::BonusColumn, Metrics::columnPixels(6.0));
    columns->resizeSection(TicketTableModel::TierColumn, Metrics::columnPixels(6.0));
    columns->setStretchLastSection(true);

    setUpTable(m_prizeGrid);
    m_prizeGrid->verticalHeader()->setVisible(false);
    m_prizeGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_prizeGrid->horizontalHeader()->setStretchLastSection(true);
    m_prizeGrid->horizontalHeader()->setMinimumSectionSize(Metrics::columnPixels(7.0));
    connect(m_prizes, &QAbstractItemModel::modelReset, this, &TicketWindow::fitPrizeGrid);
    connect(m_prizes, &QAbstractItemModel::dataChanged, this, &TicketWindow::fitPrizeGrid);
    fitPrizeGrid();

    setUpTable(m_summaryGrid);
    m_summaryGrid->verticalHeader()->setVisible(false);
    m_summaryGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_summaryGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_summaryGrid->horizontalHeader()->setStretchLastSection(true);
}

void TicketWindow::fitPrizeGrid()
{
    // As wide as its columns need, a bar's width spare: an amount of 10億円
    // in every tier never hides behind a horizontal bar.
    QHeaderView *header = m_prizeGrid->horizontalHeader();
    int width = 2 * m_prizeGrid->frameWidth() + m_prizeGrid->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < m_prizes->columnCount(); ++c)
        width += std::max({header->sectionSizeHint(c), static_cast<QAbstractItemView *>(m_prizeGrid)->sizeHintForColumn(c),
                            header->minimumSectionSize()});
    m_prizeGrid->setMinimumWidth(width);
}

void TicketWindow::refreshSummary()
{
    const SpendingSummary summary = summarize(m_model->tickets(), m_model->results(), m_model->prizes());
    m_summary->clear();
    m_summary->setHorizontalHeaderLabels({QStringLiteral("期間"), QStringLiteral("口数"), QStringLiteral("支出"),
                                          QStringLiteral("未抽選"), QStringLiteral("当選金"), QStringLiteral("回収率"),
                                          QStringLiteral("期待値"), QStringLiteral("期待回収率")});
    const auto addRow = [this](const SpendingRow &row) {
        QString expected = formatYen(YenSum(row.expected() + 0.5));
        if (row.expectedPartial)
            expected += QStringLiteral("＋不明");
        QList<QStandardItem *> items;
        for (const QString &text : {row.period, groupedDigits(row.lines), formatYen(row.spent),
                                    row.pendingLines ? groupedDigits(row.pendingLines) + QStringLiteral("口") : QString(), wonText(row),
                                    returnRateText(row), expected, expectedRateText(row)}) {
            auto *item = new QStandardItem(text);
            item->setTextAlignment(items.isEmpty() ? Qt::AlignCenter : Qt::AlignRight | Qt::AlignVCenter);
            items << item;
        }
        if (row.period == QStringLiteral("合計")) {
            for (QStandardItem *item : items) {
                QFont font = item->font();
                font.setBold(true);
                item->setFont(font);
            }
        }
        m_summary->appendRow(items);
    };
    // Newest month first, then the years, then the whole.
    for (auto it = summary.months.rbegin(); it != summary.months.rend(); ++it)
        addRow(*it);
    for (auto it = summary.years.rbegin(); it != summary.years.rend(); ++it)
        addRow(*it);
    addRow(summary.overall);
}

Ticket TicketWindow::newTicket(const std::array<int, 6> &numbers, const QString &memo) const
{
    Ticket ticket;
    ticket.drawNo = m_model->nextDrawNo();
    ticket.numbers = numbers;
    ticket.purchaseDate = QDate::currentDate().toString(Qt::ISODate);
    ticket.memo = memo;
    return ticket;
}

void TicketWindow::addLines(const std::vector<std::array<int, 6>> &lines, const QString &memo)
{
    std::vector<Ticket> tickets;
    tickets.reserve(lines.size());
    for (const std::array<int, 6> &numbers : lines)
        tickets.push_back(newTicket(numbers, memo));
    const int first = m_model->rowCount();
    if (m_model->addTickets(tickets) && !tickets.empty()) {
        const QModelIndex added = m_model->index(first, TicketTableModel::FirstNumberColumn);
        m_grid->setCurrentIndex(added);
        m_grid->scrollTo(added);
    }
}

void TicketWindow::Cmd追加_Click()
{
    bool ok = false;
    const QString text = QInputDialog::getText(this, ClassName,
                                               QStringLiteral("第%1回の数字を6個入力してください（例: 1,2,3,4,5,6）").arg(m_model->nextDrawNo()),
                                               QLineEdit::Normal, QString(), &ok);
    if (!ok)
        return;
    addTyped(text);
}

bool TicketWindow::addTyped(const QString &text)
{
    QString problem;
    const std::optional<std::array<int, 6>> numbers = TicketRules::parseNumbers(text, &problem);
    if (!numbers) {
        m_ask(Messages::error(problem));
        return false;
    }
    addLines({*numbers}, QString());
    return true;
}

std::vector<int> TicketWindow::selectedRows() const
{
    std::set<int> rows;
    for (const QModelIndex &index : m_grid->selectionModel()->selectedIndexes())
        rows.insert(index.row());
    if (rows.empty() && m_grid->currentIndex().isValid())
        rows.insert(m_grid->currentIndex().row());
    return {rows.begin(), rows.end()};
}

void TicketWindow::Cmd削除_Click()
{
    const std::vector<int> rows = selectedRows();
    if (rows.empty())
        return;
    if (m_ask(Messages::confirm(QStringLiteral("選択された%1件の購入記録を削除します。よろしいですか？").arg(rows.size())))
        != QMessageBox::Yes)
        return;
    m_model->removeTickets(rows);
}

void TicketWindow::Cmd複製_Click()
{
    for (int row : selectedRows())
        m_model->duplicate(row);
}

void TicketWindow::Cmdクイックピック_Click()
{
    std::vector<std::array<int, 6>> lines;
    for (int i = 0; i < m_pickCount->value(); ++i)
        lines.push_back(TicketRules::quickPick(m_random));
    addLines(lines, QStringLiteral("クイックピック"));
}

void TicketWindow::addFromPrediction(const LineSource &source)
{
    Offer offer;
    try {
        offer = source.offer();
    } catch (const RuntimeError &error) {
        m_ask(Messages::error(QStringLiteral("%1: %2").arg(source.name, error.message())));
        return;
    }
    if (offer.lines.empty()) {
        m_ask(Messages::error(QStringLiteral("%1には 6個そろった数字の組がありません。").arg(source.name)));
        return;
    }
    if (offer.everySixOf > 0) {
        const qint64 count = qint64(offer.lines.size());
        const QString question = QStringLiteral("%1の数字 %2個のすべての組合せ %3口（%4）を第%5回の購入記録に追加します。よろしいですか？")
                                     .arg(source.name)
                                     .arg(offer.everySixOf)
                                     .arg(groupedDigits(count), formatYen(count * TicketRules::PricePerLine))
                                     .arg(m_model->nextDrawNo());
        if (m_ask(Messages::confirm(question)) != QMessageBox::Yes)
            return;
    }
    addLines(offer.lines, source.name);
}
