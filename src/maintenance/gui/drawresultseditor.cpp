#include "maintenance/gui/drawresultseditor.h"

#include "maintenance/gui/drawrecordmodel.h"
#include "maintenance/gui/editorgrid.h"
#include "maintenance/gui/numbercelldelegate.h"
#include "ui/gui/metrics.h"
#include "ui/gui/subwindow.h"
#include "ui/gui/tableactions.h"
#include "ui/sheetexport.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

namespace {
constexpr int StripTwips = 600;
constexpr int GridLeftTwips = 120;
constexpr int VisibleRows = 50;
constexpr double RowHeight = 10.0;
constexpr double DrawNoWidth = 5.0;
constexpr double NumberWidth = 7.0;
// How many unsaved cells the close question lists by name.
constexpr int ListedCells = 10;
} // namespace

DrawResultsEditor::DrawResultsEditor(DrawRecordEditor records, Ask ask, QWidget *parent)
    : QWidget(parent)
    , m_ask(std::move(ask))
{
    setObjectName(ClassName);
    setWindowTitle(QStringLiteral("当選データ入力"));
    setFont(Metrics::gridFont());

    m_label = new QLabel(QStringLiteral("当選数字を開催回数毎に入力します。ここのデータが分析対象になります"), this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_close = new QPushButton(QStringLiteral("閉じる"), this);
    m_close->setObjectName(QStringLiteral("Command1"));
    connect(m_close, &QPushButton::clicked, this, &DrawResultsEditor::Command1_Click);

    m_model = new DrawRecordModel(std::move(records), this);
    // Shown after the edit has finished, so that a box never opens in the
    // middle of the grid closing its cell editor.
    connect(m_model, &DrawRecordModel::writeFailed, this,
            [this](const QString &text) { m_ask(Messages::error(text)); }, Qt::QueuedConnection);
    // Likewise the windows that follow the draws recompute once the edit is over.
    connect(m_model, &DrawRecordModel::recordsWritten, this, &DrawResultsEditor::drawsWritten, Qt::QueuedConnection);

    m_grid = new EditorGrid(this);
    m_grid->setObjectName(QStringLiteral("fpSpread1"));
    m_delegate = new NumberCellDelegate(m_grid);
    m_grid->setItemDelegate(m_delegate);
    m_grid->setModel(m_model);
    setUpGrid();
    setFocusProxy(m_grid); // the window opens ready for typing

    m_mnuEdit = new QMenu(QStringLiteral("編集(&E)"), this);
    m_mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    auto addItem = [this](const QString &name, const QString &caption, const QKeySequence &key, void (DrawResultsEditor::*slot)()) {
        QAction *action = m_mnuEdit->addAction(caption);
        action->setObjectName(name);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action); // the shortcuts work while the editor has the focus
        connect(action, &QAction::triggered, this, slot);
    };
    addItem(QStringLiteral("mnuAddLine"), QStringLiteral("行追加"), QKeySequence(Qt::CTRL | Qt::Key_A),
            &DrawResultsEditor::mnuAddLine_Click);
    addItem(QStringLiteral("mnuDelLine"), QStringLiteral("行削除"), QKeySequence(Qt::CTRL | Qt::Key_D),
            &DrawResultsEditor::mnuDelLine_Click);
    // The same keys do the same while a cell is being typed into.
    m_delegate->setWindowShortcuts({QKeySequence(Qt::CTRL | Qt::Key_A), QKeySequence(Qt::CTRL | Qt::Key_D)});

    auto *strip = new QHBoxLayout;
    strip->setContentsMargins(0, 0, 0, 0);
    strip->addWidget(m_label);
    strip->addStretch(1);
    strip->addWidget(m_close);
    auto *layout = new QVBoxLayout(this);
    const int left = Metrics::twipsToPixels(GridLeftTwips);
    layout->setContentsMargins(left, 4, left, left);
    layout->setSpacing(4);
    layout->addLayout(strip);
    layout->addWidget(m_grid, 0, Qt::AlignLeft | Qt::AlignTop);
    layout->addStretch(1);

    m_actions = new TableActions(this, {[this] {
                                            const Sheet sheet = recordsSheet();
                                            const QString range = sheet.maxRows() > 1
                                                ? TableOutput::drawRange(sheet.text(1, 2).toInt(),
                                                                         sheet.text(1, sheet.maxRows()).toInt())
                                                : QString();
                                            return SheetPrinter::Document{windowTitle(), range, {{QString(), sheet}}};
                                        },
                                        [this] { return SheetExport::csv(recordsSheet()); }});
    m_actions->setPresenter([this](QWidget *, const MessageRequest &request) { return m_ask(request); });
    m_actions->addGrid(m_grid, [this] { return recordsSheet(); });
    m_actions->enableGoToDraw([this](int drawNo) {
        for (int row = 0; row < m_model->rowCount(); ++row) {
            if (m_model->data(m_model->index(row, 0)).toString().trimmed() == QString::number(drawNo)) {
                const QModelIndex cell = m_model->index(row, std::max(m_grid->currentIndex().column(), 0));
                m_grid->setCurrentIndex(cell);
                m_grid->scrollTo(cell);
                m_grid->setFocus();
                return true;
            }
        }
        return false;
    },
    [this] { return TableOutput::drawsIn(recordsSheet(), 1); });
}

Sheet DrawResultsEditor::recordsSheet() const
{
    const int cols = m_model->columnCount();
    const int rows = m_model->rowCount() + 1;
    Sheet sheet;
    sheet.setDimensions(cols, rows, cols, VisibleRows);
    sheet.setFrozenRows(1);
    sheet.setFrozenCols(1);
    sheet.setRowHeight(-1, RowHeight);
    sheet.setColWidth(-1, NumberWidth);
    sheet.setColWidth(1, DrawNoWidth);
    sheet.setStaticCentred(Block::all());
    sheet.setBorder(Block::all(), Border::All);
    sheet.setBackColour(Block::row(1), rgb(240, 240, 240)); // as the header reads on screen
    for (int c = 0; c < cols; ++c) {
        sheet.setText(c + 1, 1, m_model->headerData(c, Qt::Horizontal).toString());
        for (int r = 0; r + 1 < rows; ++r)
            sheet.setText(c + 1, r + 2, m_model->data(m_model->index(r, c)).toString());
    }
    sheet.setActiveCell(0, 0);
    return sheet;
}

DrawResultsEditor::~DrawResultsEditor() = default;

void DrawResultsEditor::setUpGrid()
{
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_grid->setShowGrid(true);
    m_grid->setGridStyle(Qt::SolidLine);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->setSelectionMode(QAbstractItemView::ExtendedSelection);

    QHeaderView *rows = m_grid->verticalHeader();
    rows->setVisible(true); // the pop-up menu opens from the header column
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(Metrics::rowPixels(RowHeight));
    rows->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(rows, &QHeaderView::customContextMenuRequested, this, &DrawResultsEditor::fpSpread1_RightClick);

    QHeaderView *columns = m_grid->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Fixed);
    columns->setMinimumSectionSize(1);
    columns->resizeSection(0, Metrics::columnPixels(DrawNoWidth));
    for (int c = 1; c < DrawRecordEditor::ColumnCount; ++c)
        columns->resizeSection(c, Metrics::columnPixels(NumberWidth));
    fitHeaderCaptions();

    // Exactly 50 rows and all eight columns in view.
    const int frame = 2 * m_grid->frameWidth();
    int width = frame + rows->sizeHint().width() + m_grid->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < DrawRecordEditor::ColumnCount; ++c)
        width += columns->sectionSize(c);
    m_grid->setFixedSize(width, frame + columns->sizeHint().height() + VisibleRows * rows->defaultSectionSize());
}

void DrawResultsEditor::fitHeaderCaptions()
{
    // "ボーナス数字" is wider than its 7.0 column: the captions are set in a
    // narrower face of the grid font, so each is shown whole.
    QHeaderView *columns = m_grid->horizontalHeader();
    const int margins = 2 * columns->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, columns) + 2;
    auto overflows = [&](const QFont &font) {
        const QFontMetrics metrics(font);
        for (int c = 0; c < DrawRecordEditor::ColumnCount; ++c) {
            const QString caption = m_model->headerData(c, Qt::Horizontal).toString();
            if (metrics.horizontalAdvance(caption) > columns->sectionSize(c) - margins)
                return true;
        }
        return false;
    };
    QFont font = columns->font();
    for (int stretch = 95; overflows(font) && stretch >= 60; stretch -= 5)
        font.setStretch(stretch);
    while (overflows(font) && font.pointSizeF() > 6.0)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    columns->setFont(font);
}

int DrawResultsEditor::activeRow() const
{
    const QModelIndex active = m_grid->currentIndex();
    return active.isValid() ? active.row() : -1;
}

void DrawResultsEditor::fpSpread1_RightClick(const QPoint &pos)
{
    const int row = m_grid->verticalHeader()->logicalIndexAt(pos);
    if (row < 0 || row >= m_model->rowCount())
        return;
    QSet<int> selectedRows;
    for (const QModelIndex &index : m_grid->selectionModel()->selectedIndexes())
        selectedRows.insert(index.row());
    if (selectedRows.size() > 1)
        return;
    // The menu acts on the row it was opened from: make it the active row and
    // show it selected, keeping the active column.
    const int column = std::max(m_grid->currentIndex().column(), 1);
    m_grid->selectionModel()->setCurrentIndex(m_model->index(row, column),
                                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_mnuEdit->popup(m_grid->verticalHeader()->viewport()->mapToGlobal(pos));
}

void DrawResultsEditor::mnuAddLine_Click()
{
    // A cell being typed into is set aside while a box is open: No (or a
    // refusal) leaves it exactly as it was, Yes commits it like any move would.
    const std::optional<NumberCellDelegate::Pending> pending = m_delegate->takeOpenEditor();
    const int row = pending ? pending->index.row() : activeRow();
    if (row < 0)
        return;
    const int column = pending ? pending->index.column() : m_grid->currentIndex().column();
    // A row that cannot be added is refused at once, without the question.
    const std::optional<QString> refusal = m_model->editor().insertRefusal(row + 1);
    if (refusal)
        m_ask(Messages::error(*refusal));
    if (refusal
        || m_ask(Messages::confirm(QStringLiteral("選択された行のうしろに行を追加します。よろしいですか？"))) != QMessageBox::Yes) {
        if (pending)
            m_delegate->reopen(m_grid, *pending);
        return;
    }
    if (pending)
        m_model->setData(pending->index, pending->text);
    const EditResult result = m_model->insertAfter(row);
    if (result.status != EditResult::Status::Written) {
        m_ask(Messages::error(result.message));
        return;
    }
    const QModelIndex added = m_model->index(row + 1, column);
    m_grid->setCurrentIndex(added);
    m_grid->scrollTo(added);
}

void DrawResultsEditor::mnuDelLine_Click()
{
    // The half-typed value belongs to the row: it goes with it on Yes and
    // is back in its cell on No.
    const std::optional<NumberCellDelegate::Pending> pending = m_delegate->takeOpenEditor();
    const int row = pending ? pending->index.row() : activeRow();
    if (row < 0)
        return;
    if (m_ask(Messages::confirm(QStringLiteral("選択された行を削除します。よろしいですか？"))) != QMessageBox::Yes) {
        if (pending)
            m_delegate->reopen(m_grid, *pending);
        return;
    }
    const EditResult result = m_model->removeRecord(row);
    if (result.status != EditResult::Status::Written)
        m_ask(Messages::error(result.message));
}

void DrawResultsEditor::goToCell(const CellAddress &cell)
{
    if (QMdiSubWindow *window = enclosingSubWindow(this)) {
        if (QMdiArea *area = window->mdiArea())
            area->setActiveSubWindow(window);
        window->raise();
    }
    const QModelIndex index = m_model->indexOf(cell);
    m_grid->setCurrentIndex(index);
    m_grid->scrollTo(index);
    m_grid->setFocus(Qt::OtherFocusReason);
}

QString DrawResultsEditor::cellList(const std::vector<CellProblem> &cells) const
{
    QStringList lines;
    for (size_t i = 0; i < cells.size() && i < size_t(ListedCells); ++i) {
        const CellProblem &cell = cells[i];
        QString line = QStringLiteral("回数%1の%2「%3」")
                           .arg(m_model->editor().text(1, cell.cell.row), FieldName::numberField(cell.cell.column - 1),
                                cell.text);
        if (!cell.reason.isEmpty())
            line += QStringLiteral("：") + cell.reason;
        lines << line;
    }
    if (cells.size() > size_t(ListedCells))
        lines << QStringLiteral("ほか%1個").arg(cells.size() - size_t(ListedCells));
    return lines.join(QLatin1Char('\n'));
}

void DrawResultsEditor::Command1_Click()
{
    m_delegate->commitOpenEditor();
    const std::vector<CellProblem> wrong = m_model->editor().wrongCells();
    if (!wrong.empty()) {
        m_ask(Messages::error(QStringLiteral("次のセルの数字に誤りがあります。\n%1\n\n"
                                             "1～43の整数を、同じ回の数字と重ならないように入力してください。")
                                  .arg(cellList(wrong))));
        goToCell(wrong.front().cell);
        return;
    }
    Q_EMIT closeRequested();
}

bool DrawResultsEditor::confirmLosingKeptCells(const QString &closing)
{
    const std::vector<CellProblem> kept = m_model->editor().keptCells();
    if (kept.empty())
        return true;
    const QString text = QStringLiteral("次のセルは保存されていません。\n%1\n\n"
                                        "保存せずに%2よろしいですか？")
                             .arg(cellList(kept), closing);
    if (m_ask(Messages::confirm(text)) == QMessageBox::Yes)
        return true;
    goToCell(kept.front().cell);
    return false;
}

bool DrawResultsEditor::mayCloseWithProgram()
{
    m_delegate->commitOpenEditor();
    return confirmLosingKeptCells(QStringLiteral("終了して"));
}

void DrawResultsEditor::closeEvent(QCloseEvent *event)
{
    // Closing by the frame skips the check, but a value still being typed
    // is committed like any other. Typed values that are not saved are
    // named, and the user may go back to them; the program's exit has asked
    // already (mayCloseWithProgram).
    m_delegate->commitOpenEditor();
    if (!m_closingWithProgram && !confirmLosingKeptCells(QStringLiteral("閉じて"))) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
