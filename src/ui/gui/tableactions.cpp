#include "ui/gui/tableactions.h"

#include "ui/gui/filedialogs.h"
#include "ui/gui/sheetprinter.h"
#include "ui/gui/sheetview.h"
#include "ui/savedfile.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QTableView>
#include <QTimer>
#include <QWheelEvent>

#include <cmath>

namespace {

const QString Utf8Filter = QStringLiteral("CSV UTF-8 BOM付き (*.csv)");
const QString ShiftJisFilter = QStringLiteral("CSV Shift_JIS (*.csv)");

// Zoom of the editor's item view: its font and its sections scale together,
// from the sizes it had at 100 %, kept as properties of the view.
void zoomTableView(QTableView *view, int percent)
{
    percent = std::clamp(percent, SheetView::MinZoom, SheetView::MaxZoom);
    if (!view->property("zoomBase.font").isValid()) {
        view->setProperty("zoomBase.font", view->font());
        view->setProperty("zoomBase.row", view->verticalHeader()->defaultSectionSize());
        QList<QVariant> widths;
        for (int c = 0; c < view->horizontalHeader()->count(); ++c)
            widths << view->horizontalHeader()->sectionSize(c);
        view->setProperty("zoomBase.cols", widths);
        view->setProperty("zoomBase.hbar", int(view->horizontalScrollBarPolicy()));
    }
    // A view sized for its columns at 100 % scrolls sideways when they grow.
    view->setHorizontalScrollBarPolicy(percent > 100 ? Qt::ScrollBarAsNeeded
                                                     : Qt::ScrollBarPolicy(view->property("zoomBase.hbar").toInt()));
    const double k = percent / 100.0;
    QFont font = view->property("zoomBase.font").value<QFont>();
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * k);
    view->setFont(font);
    view->verticalHeader()->setDefaultSectionSize(int(std::lround(view->property("zoomBase.row").toInt() * k)));
    const QList<QVariant> widths = view->property("zoomBase.cols").toList();
    for (int c = 0; c < widths.size(); ++c)
        view->horizontalHeader()->resizeSection(c, int(std::lround(widths[c].toInt() * k)));
    view->setProperty("zoom", percent);
}

int tableViewZoom(const QTableView *view)
{
    return view->property("zoom").isValid() ? view->property("zoom").toInt() : 100;
}

// Ctrl+wheel and Ctrl++ / Ctrl+- / Ctrl+0 over the editor's grid, and its
// Ctrl+C, which copies the selected block instead of the current cell only.
class TableViewKeyFilter : public QObject
{
public:
    TableViewKeyFilter(QTableView *view, std::function<void()> copy)
        : QObject(view)
        , m_view(view)
        , m_copy(std::move(copy))
    {
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Wheel) {
            auto *wheel = static_cast<QWheelEvent *>(event);
            if (!(wheel->modifiers() & Qt::ControlModifier))
                return false;
            const int steps = wheel->angleDelta().y() / 120;
            zoomTableView(m_view, tableViewZoom(m_view) + steps * SheetView::ZoomStep);
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (key->matches(QKeySequence::Copy)) {
                m_copy();
                return true;
            }
            if (!(key->modifiers() & Qt::ControlModifier))
                return false;
            if (key->key() == Qt::Key_Plus || key->key() == Qt::Key_Equal)
                zoomTableView(m_view, tableViewZoom(m_view) + SheetView::ZoomStep);
            else if (key->key() == Qt::Key_Minus)
                zoomTableView(m_view, tableViewZoom(m_view) - SheetView::ZoomStep);
            else if (key->key() == Qt::Key_0)
                zoomTableView(m_view, 100);
            else
                return false;
            return true;
        }
        return false;
    }

private:
    QTableView *m_view;
    std::function<void()> m_copy;
};

// The selected cells of an item view as a block of the table asSheet gives
// (model row r is row r + 2, column c is column c + 1); the current cell
// when nothing is selected.
Block tableViewBlock(const QTableView *view)
{
    QModelIndexList cells = view->selectionModel() ? view->selectionModel()->selectedIndexes() : QModelIndexList();
    if (cells.isEmpty() && view->currentIndex().isValid())
        cells << view->currentIndex();
    if (cells.isEmpty())
        return Block::cells(0, 0, 0, 0);
    int row1 = cells.front().row(), row2 = row1, col1 = cells.front().column(), col2 = col1;
    for (const QModelIndex &cell : cells) {
        row1 = std::min(row1, cell.row());
        row2 = std::max(row2, cell.row());
        col1 = std::min(col1, cell.column());
        col2 = std::max(col2, cell.column());
    }
    return Block::cells(col1 + 1, row1 + 2, col2 + 1, row2 + 2);
}

} // namespace

TableActions::TableActions(QWidget *window, Source source)
    : QObject(window)
    , m_window(window)
    , m_source(std::move(source))
    , m_presenter(&Messages::showBox)
{
    m_menu = new QMenu(window);
    m_menu->setObjectName(QStringLiteral("mnuTable"));
    m_menu->addAction(addAction(QStringLiteral("actPrint"), QStringLiteral("印刷..."), QKeySequence(Qt::CTRL | Qt::Key_P),
                                &TableActions::printPreview));
    m_menu->addAction(addAction(QStringLiteral("actSavePdf"), QStringLiteral("PDFで保存..."), {}, &TableActions::savePdf));
    m_menu->addAction(addAction(QStringLiteral("actSaveCsv"), QStringLiteral("CSVで保存..."), {}, &TableActions::saveCsv));
    m_menu->addSeparator();
    m_copy = m_menu->addAction(QStringLiteral("コピー"));
    m_copy->setObjectName(QStringLiteral("actCopy"));
    m_copy->setShortcut(QKeySequence::Copy);
    m_copy->setShortcutContext(Qt::WidgetShortcut); // the grid's own Ctrl+C does the work
    connect(m_copy, &QAction::triggered, this, [this] { copy(false); });
    m_copyWithCaptions = addAction(QStringLiteral("actCopyWithCaptions"), QStringLiteral("見出し付きでコピー"),
                                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), &TableActions::copyWithCaptions);
    m_menu->addAction(m_copyWithCaptions);
    m_menu->addSeparator();
    // The menu's actions act on the grid it was opened over; once it has
    // closed (and its action has run), keys act on the grid with the focus.
    connect(m_menu, &QMenu::aboutToHide, this, [this] {
        QTimer::singleShot(0, this, [this] {
            m_menuGrid = nullptr;
            m_copy->setEnabled(true);
            m_copyWithCaptions->setEnabled(true);
        });
    });
    const std::pair<QString, int> zooms[] = {
        {QStringLiteral("拡大"), SheetView::ZoomStep}, {QStringLiteral("縮小"), -SheetView::ZoomStep}, {QStringLiteral("100%"), 0}};
    const QKeySequence zoomKeys[] = {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Minus),
                                     QKeySequence(Qt::CTRL | Qt::Key_0)};
    for (int i = 0; i < 3; ++i) {
        QAction *zoom = m_menu->addAction(zooms[i].first);
        zoom->setShortcut(zoomKeys[i]);
        zoom->setShortcutContext(Qt::WidgetShortcut); // the grids take the keys themselves
        const int step = zooms[i].second;
        connect(zoom, &QAction::triggered, this, [this, step] { zoomActive(step); });
        m_zoomActions.push_back(zoom);
    }
}

QAction *TableActions::addAction(const QString &name, const QString &text, const QKeySequence &key, void (TableActions::*slot)())
{
    auto *action = new QAction(text, m_window);
    action->setObjectName(name);
    if (!key.isEmpty()) {
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        m_window->addAction(action); // the key works wherever the window has the focus
    }
    connect(action, &QAction::triggered, this, slot);
    return action;
}

void TableActions::addGrid(SheetView *grid, int drawColumn)
{
    m_sheetGrids.push_back({grid, drawColumn});
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this,
            [this, grid](const QPoint &pos) { showMenu(grid, grid->mapToGlobal(pos)); });
}

void TableActions::addGrid(QTableView *grid, std::function<Sheet()> asSheet)
{
    m_tableGrids.push_back({grid, std::move(asSheet)});
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this,
            [this, grid](const QPoint &pos) { showMenu(grid, grid->viewport()->mapToGlobal(pos)); });
    auto *keys = new TableViewKeyFilter(grid, [this, grid] {
        m_menuGrid = grid;
        copy(false);
        m_menuGrid = nullptr;
    });
    grid->installEventFilter(keys);          // keys
    grid->viewport()->installEventFilter(keys); // wheel
}

void TableActions::enableGoToDraw(std::function<bool(int)> goTo, std::function<DrawRange()> range)
{
    m_goToDraw = std::move(goTo);
    m_drawRange = std::move(range);
    m_goTo = addAction(QStringLiteral("actGoToDraw"), QStringLiteral("回数へ移動..."), QKeySequence(Qt::CTRL | Qt::Key_G),
                       &TableActions::goToDraw);
    m_menu->insertAction(m_zoomActions.front(), m_goTo);
    m_menu->insertSeparator(m_zoomActions.front());
}

void TableActions::showMenu(QWidget *grid, const QPoint &globalPos)
{
    m_menuGrid = grid;
    bool selected = false;
    if (const auto *sheetGrid = qobject_cast<SheetView *>(grid))
        selected = sheetGrid->hasSelection();
    else if (const auto *tableGrid = qobject_cast<QTableView *>(grid))
        selected = tableViewBlock(tableGrid).col1 > 0;
    m_copy->setEnabled(selected);
    m_copyWithCaptions->setEnabled(selected);
    m_menu->popup(globalPos);
}

void TableActions::zoomActive(int step)
{
    QWidget *grid = m_menuGrid;
    if (auto *sheetGrid = qobject_cast<SheetView *>(grid))
        sheetGrid->setZoom(step == 0 ? 100 : sheetGrid->zoom() + step);
    else if (auto *tableGrid = qobject_cast<QTableView *>(grid))
        zoomTableView(tableGrid, step == 0 ? 100 : tableViewZoom(tableGrid) + step);
}

QWidget *TableActions::copySource() const
{
    if (m_menuGrid)
        return m_menuGrid;
    QWidget *focus = QApplication::focusWidget();
    QWidget *first = nullptr;
    auto consider = [&](QWidget *grid) {
        if (!grid)
            return false;
        if (!first)
            first = grid;
        return focus && (grid == focus || grid->isAncestorOf(focus));
    };
    for (const Grid &grid : m_sheetGrids) {
        if (consider(grid.view))
            return grid.view;
    }
    for (const TableGrid &grid : m_tableGrids) {
        if (consider(grid.view))
            return grid.view;
    }
    return first;
}

void TableActions::copy(bool withCaptions)
{
    const QWidget *source = copySource();
    for (const Grid &grid : m_sheetGrids) {
        if (grid.view != source || !grid.view->hasSelection())
            continue;
        const Sheet &sheet = grid.view->sheet();
        QApplication::clipboard()->setText(TableOutput::textWithCaptions(
            sheet, grid.view->selection(), withCaptions ? TableOutput::captions(sheet, grid.drawColumn) : TableOutput::Captions{}));
        return;
    }
    for (const TableGrid &grid : m_tableGrids) {
        if (grid.view != source)
            continue;
        const Block block = tableViewBlock(grid.view);
        if (block.col1 == 0)
            return;
        // The column captions and the draw numbers are the table's captions.
        QApplication::clipboard()->setText(TableOutput::textWithCaptions(
            grid.asSheet(), block, withCaptions ? TableOutput::Captions{1, 1} : TableOutput::Captions{}));
        return;
    }
}

void TableActions::error(const QString &text)
{
    m_presenter(m_window, Messages::error(text));
}

void TableActions::printPreview()
{
    SheetPrinter::preview(m_window, m_source.document());
}

void TableActions::savePdf()
{
    const QString path = QFileDialog::getSaveFileName(
        m_window, QStringLiteral("PDFで保存"), FileDialogs::suggestion(FileDialogs::Kind::Pdf, m_window->windowTitle() + QStringLiteral(".pdf")),
        QStringLiteral("PDF (*.pdf)"));
    FileDialogs::remember(FileDialogs::Kind::Pdf, path);
    if (!path.isEmpty())
        writePdf(path);
}

bool TableActions::writePdf(const QString &path, bool fitWidth)
{
    m_window->setCursor(Qt::WaitCursor);
    QString problem;
    const bool written = SheetPrinter::writePdf(path, m_source.document(), fitWidth, &problem) > 0;
    m_window->unsetCursor();
    if (!written)
        error(problem);
    return written;
}

void TableActions::saveCsv()
{
    QFileDialog dialog(m_window, QStringLiteral("CSVで保存"),
                       FileDialogs::suggestion(FileDialogs::Kind::Csv, m_window->windowTitle() + QStringLiteral(".csv")));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({Utf8Filter, ShiftJisFilter});
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    FileDialogs::remember(FileDialogs::Kind::Csv, dialog.selectedFiles().constFirst());
    writeCsv(dialog.selectedFiles().constFirst(), dialog.selectedNameFilter() == ShiftJisFilter
                                                      ? TableOutput::Encoding::ShiftJis
                                                      : TableOutput::Encoding::Utf8Bom);
}

bool TableActions::writeCsv(const QString &path, TableOutput::Encoding encoding)
{
    const std::optional<QByteArray> bytes = TableOutput::encode(m_source.csv(), encoding);
    if (!bytes) {
        error(QStringLiteral("Shift_JIS で表せない文字があります。UTF-8 で保存してください。"));
        return false;
    }
    if (const QString problem = SavedFile::write(path, *bytes); !problem.isEmpty()) {
        error(QStringLiteral("CSVファイル「%1」を書き込めません。\n%2").arg(path, problem));
        return false;
    }
    return true;
}

void TableActions::goToDraw()
{
    if (!m_goToDraw)
        return;
    // Typed as text: a number box would drop the digits past its limit and
    // go to another draw without a word.
    const DrawRange range = m_drawRange();
    QInputDialog dialog(m_window);
    dialog.setObjectName(QStringLiteral("dlgGoToDraw"));
    dialog.setWindowTitle(QStringLiteral("回数へ移動"));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setLabelText(range.second > 0 ? QStringLiteral("回数（%1〜%2）:").arg(range.first).arg(range.second)
                                         : QStringLiteral("回数:"));
    if (dialog.exec() == QDialog::Accepted)
        moveToDraw(dialog.textValue());
}

bool TableActions::moveToDraw(const QString &typed)
{
    if (!m_goToDraw)
        return false;
    QString text = typed.normalized(QString::NormalizationForm_KC).trimmed();
    if (text.startsWith(QStringLiteral("第")) && text.endsWith(QStringLiteral("回")))
        text = text.mid(1, text.size() - 2).trimmed();
    bool number = false;
    const qlonglong drawNo = text.toLongLong(&number);
    if (!number) {
        m_presenter(m_window, Messages::information(QStringLiteral("「%1」は回数として読めません。数字で入力してください。").arg(typed)));
        return false;
    }
    return moveToDrawNumber(drawNo);
}

bool TableActions::moveToDraw(int drawNo)
{
    return moveToDrawNumber(drawNo);
}

bool TableActions::moveToDrawNumber(qlonglong drawNo)
{
    if (!m_goToDraw)
        return false;
    const DrawRange range = m_drawRange();
    const bool inRange = range.second > 0 && drawNo >= range.first && drawNo <= range.second;
    if (inRange && m_goToDraw(int(drawNo)))
        return true;
    m_presenter(m_window, Messages::information(
                              inRange || range.second == 0
                                  ? QStringLiteral("第%1回はこの表にありません。").arg(drawNo)
                                  : QStringLiteral("第%1回はこの表の範囲（第%2回〜第%3回）の外です。")
                                        .arg(drawNo)
                                        .arg(range.first)
                                        .arg(range.second)));
    return false;
}
