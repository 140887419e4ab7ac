#include "ui/gui/tableactions.h"

#include "ui/gui/sheetprinter.h"
#include "ui/gui/sheetview.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QSaveFile>
#include <QTableView>
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

// Ctrl+wheel and Ctrl++ / Ctrl+- / Ctrl+0 over the editor's grid.
class TableViewZoomFilter : public QObject
{
public:
    TableViewZoomFilter(QTableView *view)
        : QObject(view)
        , m_view(view)
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
};

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
    connect(m_copy, &QAction::triggered, this, [this] {
        if (auto *grid = qobject_cast<SheetView *>(m_menuGrid.data()))
            grid->copySelection();
    });
    m_copyWithCaptions = addAction(QStringLiteral("actCopyWithCaptions"), QStringLiteral("見出し付きでコピー"),
                                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), &TableActions::copyWithCaptions);
    m_menu->addAction(m_copyWithCaptions);
    m_menu->addSeparator();
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

void TableActions::addGrid(QTableView *grid)
{
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this,
            [this, grid](const QPoint &pos) { showMenu(grid, grid->viewport()->mapToGlobal(pos)); });
    auto *zoom = new TableViewZoomFilter(grid);
    grid->installEventFilter(zoom);          // keys
    grid->viewport()->installEventFilter(zoom); // wheel
}

void TableActions::enableGoToDraw(std::function<bool(int)> goTo)
{
    m_goToDraw = std::move(goTo);
    m_goTo = addAction(QStringLiteral("actGoToDraw"), QStringLiteral("回数へ移動..."), QKeySequence(Qt::CTRL | Qt::Key_G),
                       &TableActions::goToDraw);
    m_menu->insertAction(m_zoomActions.front(), m_goTo);
    m_menu->insertSeparator(m_zoomActions.front());
}

void TableActions::showMenu(QWidget *grid, const QPoint &globalPos)
{
    m_menuGrid = grid;
    const auto *sheetGrid = qobject_cast<SheetView *>(grid);
    m_copy->setVisible(sheetGrid != nullptr);
    m_copyWithCaptions->setVisible(sheetGrid != nullptr);
    m_copy->setEnabled(sheetGrid && sheetGrid->hasSelection());
    m_copyWithCaptions->setEnabled(sheetGrid && sheetGrid->hasSelection());
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

void TableActions::copyWithCaptions()
{
    // From the menu, the grid it was opened over; by key, the grid with the focus.
    const Grid *grid = nullptr;
    for (const Grid &candidate : m_sheetGrids) {
        if (candidate.view && (candidate.view == m_menuGrid || candidate.view->hasFocus()))
            grid = &candidate;
    }
    if (!grid && !m_sheetGrids.empty())
        grid = &m_sheetGrids.front();
    if (!grid || !grid->view || !grid->view->hasSelection())
        return;
    const Sheet &sheet = grid->view->sheet();
    QApplication::clipboard()->setText(
        TableOutput::textWithCaptions(sheet, grid->view->selection(), TableOutput::captions(sheet, grid->drawColumn)));
}

void TableActions::error(const QString &text)
{
    m_presenter(m_window, Messages::error(text));
}

QString TableActions::suggestedPath(const QString &suffix) const
{
    QString name = m_window->windowTitle();
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QDir::home().filePath(name + suffix);
}

void TableActions::printPreview()
{
    SheetPrinter::preview(m_window, m_source.document());
}

void TableActions::savePdf()
{
    const QString path = QFileDialog::getSaveFileName(m_window, QStringLiteral("PDFで保存"), suggestedPath(QStringLiteral(".pdf")),
                                                      QStringLiteral("PDF (*.pdf)"));
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
    QFileDialog dialog(m_window, QStringLiteral("CSVで保存"), suggestedPath(QStringLiteral(".csv")));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({Utf8Filter, ShiftJisFilter});
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
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
    // Written beside the target and renamed over it only when complete.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() || !file.commit()) {
        error(QStringLiteral("CSVファイル「%1」を書き込めません。").arg(path));
        return false;
    }
    return true;
}

void TableActions::goToDraw()
{
    if (!m_goToDraw)
        return;
    bool ok = false;
    const int drawNo = QInputDialog::getInt(m_window, QStringLiteral("回数へ移動"), QStringLiteral("回数:"), 1, 1, 32767, 1, &ok);
    if (ok)
        moveToDraw(drawNo);
}

bool TableActions::moveToDraw(int drawNo)
{
    if (!m_goToDraw)
        return false;
    if (m_goToDraw(drawNo))
        return true;
    m_presenter(m_window, Messages::information(QStringLiteral("第%1回はこの表にありません。").arg(drawNo)));
    return false;
}
