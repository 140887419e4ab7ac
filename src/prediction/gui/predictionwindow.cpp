#include "prediction/gui/predictionwindow.h"

#include "prediction/predictionexport.h"
#include "prediction/predictiongrids.h"
#include "ui/gui/metrics.h"
#include "ui/gui/sheetview.h"
#include "ui/gui/tableactions.h"
#include "ui/gui/wrappinglabel.h"
#include "ui/tableoutput.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

namespace {

// Frame captions by flag index, as the options are listed in the window.
const std::array<const char *, ReflectFlagCount> OptionCaptions{
    "■頻度分析（出現頻度分析、回数出現分析）",
    "■間隔分析（出現間隔分析、数字間隔分析）",
    "■出現回数分析",
    "■バラツキ分析",
    "■引っ張り分析",
    "■連番・飛び石分析",
    "■数字合計分析",
    "■組合せパターン分析",
    "■5分割傾向分析",
    "■分割データ分析",
    "■下一桁出現傾向分析",
    "■下一桁連続出現回数分析",
};

constexpr int GridWidthTwips = 4680;

QRect twips(int left, int top, int width, int height)
{
    return {Metrics::twipsToPixels(left), Metrics::twipsToPixels(top), Metrics::twipsToPixels(width),
            Metrics::twipsToPixels(height)};
}

// A description, wrapped by the Japanese line-breaking rules.
QLabel *textLabel(const QString &text, const QRect &geometry, QWidget *parent)
{
    auto *label = new WrappingLabel(text, parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(geometry);
    // Our font's lines are taller than the layout's: a description that
    // wraps onto one more line grows down into the gap below it, whole.
    const int needed = label->heightForWidth(geometry.width());
    if (needed > geometry.height())
        label->resize(geometry.width(), needed);
    return label;
}

// An option button at its place; a button lower than its text and indicator
// would clip them, so it keeps at least its natural height, centred on the
// line it was laid out for.
QRadioButton *optionButton(const QString &text, const QString &name, int k, int left, int width, QWidget *parent)
{
    auto *button = new QRadioButton(text, parent);
    button->setObjectName(QStringLiteral("%1_%2").arg(name).arg(k));
    button->setProperty("index", k);
    QRect geometry = twips(left, 240, width, 180);
    const int height = std::max(geometry.height(), button->sizeHint().height());
    geometry.adjust(0, -(height - geometry.height()) / 2, 0, 0);
    geometry.setHeight(height);
    button->setGeometry(geometry);
    return button;
}

} // namespace

PredictionWindow::PredictionWindow(PredictionEngine &engine, const DrawHistoryStore &store, QWidget *parent)
    : QWidget(parent)
    , m_engine(engine)
{
    setObjectName(PredictionEngine::WindowName);
    setWindowTitle(PredictionEngine::WindowName);
    setFont(Metrics::gridFont());
    createControls();
    ShowReflectFlags();
    m_engine.SetUpPredictionGrids(store);
    showGrids();
    fitGridHeights();

    const QString drawRange = TableOutput::drawRange(store);
    m_actions = new TableActions(this, {[this, drawRange] { return printDocument(m_engine, drawRange); },
                                        [this] { return PredictionExport::csv(m_engine); }});
    for (SheetView *view : m_grids)
        m_actions->addGrid(view);
    connect(m_print, &QPushButton::clicked, m_actions, &TableActions::printPreview);
}

SheetPrinter::Document PredictionWindow::printDocument(const PredictionEngine &engine, const QString &drawRange)
{
    SheetPrinter::Document document{PredictionEngine::WindowName, drawRange, {}};
    for (int k = 0; k < PredictionEngine::GridCount; ++k)
        document.sections.push_back({PredictionGrids::caption(k), engine.grid(k)});
    return document;
}

void PredictionWindow::recompute(const DrawHistoryStore &store)
{
    m_engine.SetUpPredictionGrids(store);
    showGrids();
    fitGridHeights();
}

QSize PredictionWindow::minimumSizeHint() const
{
    // The layout's own margins may go: the window's size in twips counted
    // its title bar and borders too.
    const QRect controls = childrenRect();
    return {controls.right() + 1, controls.bottom() + 1};
}

void PredictionWindow::fitGridHeights()
{
    // The layout's heights were made for a smaller row unit than ours: a grid
    // grows downwards until all its rows show (the gaps below take it), and
    // it ends where its columns do.
    for (SheetView *view : m_grids)
        view->resize(view->fittedSize(QSize(Metrics::twipsToPixels(GridWidthTwips), QWIDGETSIZE_MAX)));
    updateGeometry();
}

void PredictionWindow::createControls()
{
    m_print = new QPushButton(QStringLiteral("印刷"), this);
    m_print->setObjectName(QStringLiteral("Command2"));
    m_print->setGeometry(twips(7200, 60, 855, 375));
    m_close = new QPushButton(QStringLiteral("閉じる"), this);
    m_close->setObjectName(QStringLiteral("Cmd閉じる"));
    m_close->setGeometry(twips(8160, 60, 855, 375));
    connect(m_close, &QPushButton::clicked, this, &PredictionWindow::closeRequested);
    // Buying every line of a prediction is rarely sensible: the window
    // 買い目作成 makes fewer lines over its numbers.
    m_wheel = new QPushButton(QStringLiteral("買い目作成"), this);
    m_wheel->setObjectName(QStringLiteral("Cmd買い目作成"));
    m_wheel->setGeometry(twips(5640, 60, 1455, 375));
    auto *sources = new QMenu(m_wheel);
    for (TicketSources::Source source : TicketSources::AllSources) {
        QAction *action = sources->addAction(QStringLiteral("%1の数字で").arg(TicketSources::sourceName(source)));
        action->setObjectName(TicketSources::sourceName(source));
        connect(action, &QAction::triggered, this, [this, source] { Q_EMIT wheelRequested(source); });
    }
    m_wheel->setMenu(sources);

    auto *options = new QGroupBox(QStringLiteral("データ分析オプション"), this);
    options->setObjectName(QStringLiteral("fraOptions"));
    options->setGeometry(twips(120, 480, 3855, 7272));
    textLabel(QStringLiteral("各データ分析の分析結果を当選予想へ反映するかを設定します。"), twips(120, 240, 3615, 615), options);
    for (int k = 0; k < ReflectFlagCount; ++k) {
        auto *frame = new QGroupBox(QString::fromUtf8(OptionCaptions[size_t(k)]), options);
        frame->setObjectName(QStringLiteral("fraOption_%1").arg(k));
        frame->setGeometry(twips(120, 720 + 540 * k, 3615, 495));
        // The two buttons of a frame exclude each other, as siblings do.
        m_reflect[size_t(k)] = optionButton(QStringLiteral("反映する"), QStringLiteral("Opt反映する"), k, 480, 1200, frame);
        m_notReflect[size_t(k)] = optionButton(QStringLiteral("反映しない"), QStringLiteral("Opt反映しない"), k, 1920, 1340, frame);
        m_notReflect[size_t(k)]->setChecked(true);
        connect(m_reflect[size_t(k)], &QRadioButton::clicked, this, [this, k] { Opt反映する_Click(k); });
        connect(m_notReflect[size_t(k)], &QRadioButton::clicked, this, [this, k] { Opt反映しない_Click(k); });
    }

    auto *results = new QGroupBox(QStringLiteral("当選予想"), this);
    results->setObjectName(QStringLiteral("fraPrediction"));
    results->setGeometry(twips(4080, 480, 5055, 7272));
    textLabel(QStringLiteral("各データ分析の結果を元に周期法、消去法、連発ケルモン、一発ケルモンの各手法を用いて当選数字を予想します。"),
              twips(240, 240, 4575, 375), results);
    const int captionTops[4] = {840, 2640, 4200, 5520};
    const int gridTops[4] = {1680, 3480, 5040, 6360};
    const int gridHeights[4] = {1092, 912, 612, 672};
    for (int k = 0; k < PredictionEngine::GridCount; ++k) {
        // One line each, at least as tall as the font's line.
        auto *caption = new QLabel(PredictionGrids::caption(k), results);
        caption->setObjectName(QStringLiteral("lblPrediction_%1").arg(k));
        caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        QRect at = twips(120, captionTops[k], k == 3 ? 4452 : 4812, k == 0 ? 372 : 252);
        at.setHeight(std::max(at.height(), caption->sizeHint().height()));
        caption->setGeometry(at);

        auto *view = new SheetView(this);
        view->setObjectName(QStringLiteral("fpSpread1_%1").arg(k));
        view->setProperty("index", k);
        view->setGeometry(twips(4320, gridTops[k], GridWidthTwips, gridHeights[k]));
        view->viewport()->installEventFilter(this);
        m_grids[size_t(k)] = view;
    }
}

void PredictionWindow::ShowReflectFlags()
{
    for (int k = 0; k < ReflectFlagCount; ++k)
        (m_engine.flag(k) ? m_reflect : m_notReflect)[size_t(k)]->setChecked(true);
}

void PredictionWindow::showGrids()
{
    for (int k = 0; k < PredictionEngine::GridCount; ++k)
        m_grids[size_t(k)]->setSheet(m_engine.grid(k));
}

void PredictionWindow::Opt反映する_Click(int index)
{
    m_reflect[size_t(index)]->setChecked(true);
    m_engine.setFlag(index, true);
    m_engine.ClearEliminationCells();
    m_engine.ClearShotCells();
    m_engine.ShowPredictions();
    showGrids();
}

void PredictionWindow::Opt反映しない_Click(int index)
{
    m_notReflect[size_t(index)]->setChecked(true);
    m_engine.setFlag(index, false);
    m_engine.ClearEliminationCells();
    m_engine.ClearShotCells();
    m_engine.ShowPredictions();
    showGrids();
}

void PredictionWindow::fpSpread1_DblClick(int, int, int, int, int, int, bool &cancel)
{
    cancel = true;
}

bool PredictionWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (int k = 0; k < PredictionEngine::GridCount; ++k) {
            SheetView *view = m_grids[size_t(k)];
            if (watched != view->viewport())
                continue;
            auto *mouse = static_cast<QMouseEvent *>(event);
            const QPoint pos = mouse->position().toPoint();
            const QPoint cell = view->cellAt(pos);
            bool cancel = false;
            fpSpread1_DblClick(k, cell.x(), cell.y(), int(mouse->button()), pos.x(), pos.y(), cancel);
            return cancel;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QImage PredictionWindow::render(PredictionEngine &engine, const DrawHistoryStore &store)
{
    const QSize size(Metrics::twipsToPixels(9360), Metrics::twipsToPixels(8400));
    QMdiArea area;
    area.resize(size + QSize(4, 4));
    auto *window = area.addSubWindow(new PredictionWindow(engine, store));
    window->setGeometry(QRect(QPoint(0, 0), size));
    area.show();
    window->show();
    QApplication::processEvents();
    return window->grab().toImage();
}
