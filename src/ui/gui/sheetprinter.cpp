#include "ui/gui/sheetprinter.h"

#include "ui/gui/metrics.h"
#include "ui/gui/sheetpainter.h"
#include "ui/linebreak.h"
#include "ui/savedfile.h"

#include <QAction>
#include <QBuffer>
#include <QDate>
#include <QPdfWriter>
#include <QFontMetrics>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolBar>

#include <cmath>
#include <functional>

namespace SheetPrinter {

namespace {

// Page furniture in the layout unit (the screen's pixels at 100 %).
constexpr double HeaderHeight = 28;
constexpr double FooterHeight = 22;
constexpr double TitleHeight = 20;
constexpr double TableGap = 12;
constexpr double MarginMillimetres = 10;
// Dots per inch of the PDF, as a printer's high resolution gives them.
constexpr int HighResolution = 1200;

// The grid font at the size it has on screen at 100 %, in the layout unit:
// the painter's scale then brings it to the paper.
QFont layoutFont(double pointScale = 1.0)
{
    QFont font = Metrics::gridFont();
    font.setPixelSize(std::max(1, int(std::lround(font.pointSizeF() * pointScale * Metrics::logicalDpi() / 72.0))));
    return font;
}

// Device pixels per layout unit.
double deviceScale(int resolution)
{
    return resolution / Metrics::logicalDpi();
}

std::vector<int> columnPixels(const Sheet &sheet)
{
    std::vector<int> pixels(size_t(sheet.maxCols()) + 1, 0);
    for (int c = 1; c <= sheet.maxCols(); ++c)
        pixels[size_t(c)] = Metrics::columnPixels(sheet.colWidth(c));
    return pixels;
}

// Frozen entries, then the band, laid end to end from 0.
std::vector<SheetPainter::Span> spans(int frozen, PageLayout::Band band, const std::function<int(int)> &size)
{
    std::vector<SheetPainter::Span> result;
    int at = 0;
    auto add = [&](int index) {
        result.push_back({index, at, size(index)});
        at += size(index);
    };
    for (int i = 1; i <= frozen; ++i)
        add(i);
    for (int i = band.first; i <= band.last; ++i)
        add(i);
    return result;
}

void drawHeader(QPainter &painter, const Document &document, double width)
{
    QFont bold = layoutFont(1.2);
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(Qt::black);
    const QRectF line(0, 0, width, HeaderHeight - 6);
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, document.caption);
    painter.setFont(layoutFont());
    painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter, document.drawRange);
    painter.drawLine(QPointF(0, HeaderHeight - 4), QPointF(width, HeaderHeight - 4));
}

void drawFooter(QPainter &painter, int page, int pages, const QString &date, double top, double width)
{
    painter.setFont(layoutFont());
    painter.setPen(Qt::black);
    const QRectF line(0, top + 4, width, FooterHeight - 4);
    painter.drawText(line, Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("%1 / %2").arg(page).arg(pages));
    painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter, date);
}

} // namespace

namespace {

QPageLayout pageLayout(QPageLayout::Orientation orientation)
{
    return QPageLayout(QPageSize(QPageSize::A4), orientation,
                       QMarginsF(MarginMillimetres, MarginMillimetres, MarginMillimetres, MarginMillimetres),
                       QPageLayout::Millimeter);
}

// The page body between header and footer, in the layout unit.
PageLayout::Body body(const QPageLayout &page)
{
    const QRectF inches = page.paintRect(QPageLayout::Inch);
    const double dpi = Metrics::logicalDpi();
    return {inches.width() * dpi, inches.height() * dpi - HeaderHeight - FooterHeight};
}

// A section's title as printed lines: its own lines, each wrapped to the
// narrower page (so the room kept for them holds in either orientation).
QStringList titleLines(const QString &title)
{
    if (title.isEmpty())
        return {};
    const QFontMetricsF metrics(layoutFont());
    return LineBreak::wrap(title, body(pageLayout(QPageLayout::Portrait)).width,
                           [&metrics](const QString &piece) { return metrics.horizontalAdvance(piece); });
}

} // namespace

std::vector<PageLayout::Table> tables(const Document &document)
{
    std::vector<PageLayout::Table> result;
    for (const Section &section : document.sections) {
        const Sheet &sheet = section.sheet;
        PageLayout::Table table;
        for (int c = 1; c <= sheet.maxCols(); ++c)
            table.colWidths.push_back(Metrics::columnPixels(sheet.colWidth(c)));
        for (int r = 1; r <= sheet.maxRows(); ++r)
            table.rowHeights.push_back(Metrics::rowPixels(sheet.rowHeight(r)));
        table.frozenCols = std::max(0, section.captionCols >= 0 ? section.captionCols : sheet.frozenCols());
        table.frozenRows = std::max(0, section.captionRows >= 0 ? section.captionRows : sheet.frozenRows());
        table.titleHeight = double(titleLines(section.title).size()) * TitleHeight;
        result.push_back(std::move(table));
    }
    return result;
}

bool prefersLandscape(const Document &document, bool fitWidth)
{
    return PageLayout::fitsBetterLandscape(tables(document), body(pageLayout(QPageLayout::Portrait)),
                                           body(pageLayout(QPageLayout::Landscape)), fitWidth, TableGap);
}

namespace {

// Paper, orientation and margins of any paged device (a printer, a PDF writer).
void setUpPages(QPagedPaintDevice &device, const Document &document, bool fitWidth)
{
    device.setPageSize(QPageSize(QPageSize::A4));
    device.setPageOrientation(prefersLandscape(document, fitWidth) ? QPageLayout::Landscape : QPageLayout::Portrait);
    device.setPageMargins(QMarginsF(MarginMillimetres, MarginMillimetres, MarginMillimetres, MarginMillimetres),
                          QPageLayout::Millimeter);
}

PageLayout::Result layoutOn(const QPagedPaintDevice &device, const Document &document, bool fitWidth)
{
    const PageLayout::Body page = body(device.pageLayout());
    return PageLayout::fit(tables(document), page.width, page.height, fitWidth, TableGap);
}

int printOn(QPagedPaintDevice &device, int resolution, const Document &document, bool fitWidth)
{
    const PageLayout::Result pages = layoutOn(device, document, fitWidth);
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    const double scale = deviceScale(resolution);
    const QRectF paper = device.pageLayout().paintRectPixels(resolution);
    const double width = paper.width() / scale;
    const double height = paper.height() / scale;
    const QString date = QStringLiteral("印刷日 %1").arg(QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));

    std::vector<std::vector<int>> colPixels;
    for (const Section &section : document.sections)
        colPixels.push_back(columnPixels(section.sheet));
    SheetPainter::TextCache texts(layoutFont());

    const int count = int(pages.pages.size());
    for (int p = 0; p < count; ++p) {
        if (p > 0)
            device.newPage();
        painter.resetTransform();
        painter.scale(scale, scale);
        drawHeader(painter, document, width);
        for (const PageLayout::Piece &piece : pages.pages[size_t(p)].pieces) {
            const Section &section = document.sections[size_t(piece.table)];
            const Sheet &sheet = section.sheet;
            painter.save();
            painter.translate(0, HeaderHeight);
            painter.scale(pages.scale, pages.scale);
            painter.translate(0, piece.top);
            // A title of several lines (買い目作成's summary) takes a line each.
            for (const QString &line : titleLines(section.title)) {
                painter.setFont(layoutFont());
                painter.setPen(Qt::black);
                painter.drawText(QRectF(0, 0, width / pages.scale, TitleHeight), Qt::AlignLeft | Qt::AlignVCenter, line);
                painter.translate(0, TitleHeight);
            }
            const std::vector<int> &pixels = colPixels[size_t(piece.table)];
            const auto cols = spans(piece.frozenCols, piece.cols, [&](int c) { return pixels[size_t(c)]; });
            const auto rows = spans(piece.frozenRows, piece.rows,
                                    [&](int r) { return Metrics::rowPixels(sheet.rowHeight(r)); });
            SheetPainter::paint(painter, sheet, cols, rows, pixels, texts, {}, piece.frozenRows);
            painter.restore();
        }
        drawFooter(painter, p + 1, count, date, height - FooterHeight, width);
    }
    return painter.end() ? count : 0;
}

} // namespace

void setUpPrinter(QPrinter &printer, const Document &document, bool fitWidth)
{
    setUpPages(printer, document, fitWidth);
    printer.setDocName(document.caption);
}

PageLayout::Result layout(QPrinter &printer, const Document &document, bool fitWidth)
{
    return layoutOn(printer, document, fitWidth);
}

int print(QPrinter &printer, const Document &document, bool fitWidth)
{
    return printOn(printer, printer.resolution(), document, fitWidth);
}

int writePdf(const QString &path, const Document &document, bool fitWidth, QString *error)
{
    // Made in memory and written whole (SavedFile): QPrinter's own file lost
    // its write errors and left a cut PDF on a full disk.
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    int pages = 0;
    {
        QPdfWriter writer(&pdf);
        writer.setResolution(HighResolution);
        writer.setCreator(QStringLiteral("ロト6ケルモンLite"));
        writer.setTitle(document.caption);
        setUpPages(writer, document, fitWidth);
        pages = printOn(writer, writer.resolution(), document, fitWidth);
    }
    const QString problem = pages > 0 ? SavedFile::write(path, pdf.data()) : QString();
    if (pages == 0 || !problem.isEmpty()) {
        if (error)
            *error = QStringLiteral("PDFファイル「%1」を書き込めません。%2").arg(path, problem);
        return 0;
    }
    return pages;
}

void preview(QWidget *parent, const Document &document)
{
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer, document);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("dlgPrintPreview"));
    dialog.setWindowTitle(QStringLiteral("%1 - 印刷プレビュー").arg(document.caption));
    bool fitWidth = false;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&](QPrinter *target) { print(*target, document, fitWidth); });
    if (auto *bar = dialog.findChild<QToolBar *>()) {
        bar->addSeparator();
        QAction *fit = bar->addAction(QStringLiteral("ページ幅に合わせる"));
        fit->setObjectName(QStringLiteral("actFitWidth"));
        fit->setCheckable(true);
        QObject::connect(fit, &QAction::toggled, &dialog, [&](bool on) {
            fitWidth = on;
            if (auto *view = dialog.findChild<QPrintPreviewWidget *>())
                view->updatePreview();
        });
    }
    dialog.resize(1000, 760);
    dialog.exec();
}

} // namespace SheetPrinter
