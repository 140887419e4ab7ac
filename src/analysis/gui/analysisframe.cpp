#include "analysis/gui/analysisframe.h"

#include "ui/gui/legendpictures.h"
#include "ui/gui/metrics.h"
#include "ui/gui/sheetview.h"
#include "ui/gui/tableactions.h"
#include "ui/gui/wrappinglabel.h"
#include "ui/sheetexport.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QResizeEvent>
#include <QVBoxLayout>

namespace {
// The strip above the grid that holds the description, legend and buttons.
constexpr int StripTwips = 600;
constexpr int GridLeftTwips = 120;

QWidget *legendWidget(const LegendItem &item, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(item.objectName);
    switch (item.kind) {
    case LegendItem::Kind::Dots:
        label->setPixmap(LegendPictures::dots(item.colours));
        break;
    case LegendItem::Kind::Ball:
        label->setPixmap(LegendPictures::ball(item.colours.front(), item.colours.front() != Colours::MainDot));
        break;
    case LegendItem::Kind::Swatch:
        label->setFixedSize(19, 13);
        label->setAutoFillBackground(true);
        label->setStyleSheet(QStringLiteral("background-color: rgb(%1, %2, %3);")
                                 .arg(red(item.colours.front()))
                                 .arg(green(item.colours.front()))
                                 .arg(blue(item.colours.front())));
        break;
    case LegendItem::Kind::Label:
        label->setText(item.text);
        break;
    }
    return label;
}

} // namespace

AnalysisFrame::AnalysisFrame(const AnalysisWindow &description, Sheet sheet, QWidget *parent, const QString &drawRange)
    : QWidget(parent)
    , m_description(description)
    , m_drawRange(drawRange)
{
    setObjectName(description.className);
    setWindowTitle(description.caption);
    setFont(Metrics::gridFont());

    m_strip = new QWidget(this);
    auto *column = new QVBoxLayout(m_strip);
    column->setContentsMargins(Metrics::twipsToPixels(GridLeftTwips), 2, 8, 2);
    column->setSpacing(2);
    auto *strip = new QHBoxLayout;
    strip->setSpacing(6);
    column->addLayout(strip);

    // Narrow windows wrap their description onto a second line of the strip.
    m_label = new WrappingLabel(description.label, m_strip);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setToolTip(description.label);
    QSizePolicy wrapping(QSizePolicy::Preferred, QSizePolicy::Preferred);
    wrapping.setHeightForWidth(true); // so the strip can grow to every line of it
    m_label->setSizePolicy(wrapping);
    strip->addWidget(m_label, 1);
    strip->addSpacing(12);

    // Legend items left to right; a label marked "below" stacks under the
    // label before it.
    QVBoxLayout *stack = nullptr;
    for (const LegendItem &item : description.legend) {
        QWidget *widget = legendWidget(item, m_strip);
        if (item.below && stack) {
            stack->addWidget(widget);
            continue;
        }
        if (item.kind == LegendItem::Kind::Label) {
            stack = new QVBoxLayout;
            stack->setSpacing(0);
            stack->addWidget(widget);
            strip->addLayout(stack);
        } else {
            stack = nullptr;
            strip->addWidget(widget);
        }
    }
    strip->addStretch(1);

    if (description.printButton) {
        m_print = new QPushButton(QStringLiteral("印刷"), m_strip);
        m_print->setObjectName(QStringLiteral("Command2"));
        strip->addWidget(m_print);
    }
    m_close = new QPushButton(QStringLiteral("閉じる"), m_strip);
    m_close->setObjectName(QStringLiteral("Command1"));
    strip->addWidget(m_close);
    connect(m_close, &QPushButton::clicked, this, &AnalysisFrame::closeRequested);

    // Where the buttons and legend leave the description fewer than ten
    // characters a line (回数別頻度分析), it takes a line of its own above them.
    strip->removeWidget(m_label);
    const QMargins margins = column->contentsMargins();
    const int besides = strip->sizeHint().width() + margins.left() + margins.right();
    const int room = Metrics::twipsToPixels(description.widthTwips) - besides;
    if (room < 10 * m_label->fontMetrics().horizontalAdvance(QChar(0x3042)))
        column->insertWidget(0, m_label);
    else
        strip->insertWidget(0, m_label, 1);

    m_grid = new SheetView(this);
    m_grid->setObjectName(QStringLiteral("fpSpread1"));
    m_grid->setSheet(std::move(sheet), SheetView::View::Keep);
    m_grid->setFrozenRowsOnScreen(description.frozenRowsOnScreen);
    // The grid takes the keyboard when the window opens (the frame gives
    // the focus to its child's focus proxy).
    setFocusProxy(m_grid);
    layOutGrid();
    connect(m_grid, &SheetView::zoomChanged, this, &AnalysisFrame::layOutGrid);

    m_actions = new TableActions(this, {[this] { return printDocument(m_description, m_grid->sheet(), m_drawRange); },
                                        [this] { return SheetExport::csv(m_grid->sheet()); }});
    m_actions->addGrid(m_grid, description.drawColumn);
    if (const int drawColumn = description.drawColumn) {
        m_actions->enableGoToDraw([this, drawColumn](int drawNo) {
            const int row = TableOutput::rowOfDraw(m_grid->sheet(), drawColumn, drawNo);
            if (row == 0)
                return false;
            const int col = m_grid->hasSelection() ? m_grid->selection().col1 : drawColumn;
            m_grid->selectBlock(col, row, col, row);
            m_grid->scrollToCell(col, row);
            m_grid->setFocus();
            return true;
        },
        [this, drawColumn] { return TableOutput::drawsIn(m_grid->sheet(), drawColumn); });
    }
    if (m_print)
        connect(m_print, &QPushButton::clicked, m_actions, &TableActions::printPreview);
}

AnalysisFrame::~AnalysisFrame() = default;

void AnalysisFrame::recompute(const DrawHistoryStore &store)
{
    // Built before anything changes: a table that cannot be computed leaves
    // the window as it was.
    Sheet sheet = m_description.build(store);
    m_grid->setSheet(std::move(sheet), SheetView::View::Keep);
    m_drawRange = TableOutput::drawRange(store);
    layOutGrid(); // the grid ends where the new table does
}

void AnalysisFrame::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layOutGrid();
}

void AnalysisFrame::layOutGrid()
{
    // The strip grows below its designed height when a narrow window wraps
    // the description onto more lines: every word of it stays readable.
    int top = Metrics::twipsToPixels(StripTwips);
    if (QLayout *strip = m_strip->layout(); strip && strip->hasHeightForWidth())
        top = std::max(top, strip->totalHeightForWidth(width()));
    const int left = Metrics::twipsToPixels(GridLeftTwips);
    m_strip->setGeometry(0, 0, width(), top);
    // The grid fits the client area at its offset, its scroll bars in view,
    // and ends where the table does.
    const QSize room(std::max(0, width() - 2 * left), std::max(0, height() - top - left));
    m_grid->setGeometry(QRect(QPoint(left, top), m_grid->fittedSize(room)));
}

SheetPrinter::Document AnalysisFrame::printDocument(const AnalysisWindow &description, const Sheet &sheet,
                                                    const QString &drawRange)
{
    const TableOutput::Captions captions = TableOutput::captions(sheet, description.drawColumn);
    return {description.caption, drawRange, {{QString(), sheet, captions.rows, captions.cols}}};
}

SheetPrinter::Document AnalysisFrame::printDocument(const AnalysisWindow &description, const DrawHistoryStore &store)
{
    return printDocument(description, description.build(store), TableOutput::drawRange(store));
}

QImage AnalysisFrame::render(const AnalysisWindow &description, const DrawHistoryStore &store)
{
    const QSize size(Metrics::twipsToPixels(description.widthTwips), Metrics::twipsToPixels(description.heightTwips));
    QMdiArea area;
    area.resize(size + QSize(4, 4));
    auto *frame = new AnalysisFrame(description, description.build(store), nullptr, TableOutput::drawRange(store));
    QMdiSubWindow *window = area.addSubWindow(frame);
    window->setGeometry(QRect(QPoint(0, 0), size));
    area.show();
    window->show();
    QApplication::processEvents();
    return window->grab().toImage();
}
