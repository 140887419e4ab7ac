#include "prediction/gui/backtestwindow.h"

#include "prediction/backtestsheets.h"
#include "prediction/predictionengine.h"
#include "ui/gui/chartswap.h"
#include "ui/gui/metrics.h"
#include "ui/gui/sheetview.h"
#include "ui/gui/staleresultbar.h"
#include "ui/gui/wrappinglabel.h"

#include <QApplication>
#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QValueAxis>
#include <QVBoxLayout>

#include <memory>

namespace {

constexpr int ChartMinimumHeight = 180;

const QString SearchIntroduction = QStringLiteral("「設定の探索」を押すと、4096通りの反映設定を検証範囲の前半で試し、"
                                                  "１発予想が最も当たった設定を後半で確かめます。");

} // namespace

BacktestWindow::BacktestWindow(const DrawHistoryStore &store, const ReflectFlags &flags, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
{
    setObjectName(BacktestSheets::WindowName);
    setWindowTitle(BacktestSheets::WindowName);
    setFont(Metrics::gridFont());
    createControls();
    for (int k = 0; k < ReflectFlagCount; ++k)
        m_reflect[size_t(k)]->setChecked(flags[size_t(k)]);
    runBacktest();
}

void BacktestWindow::createControls()
{
    auto *top = new QHBoxLayout;
    const Backtest::Range initial = Backtest::defaultRange(m_store);
    const int last = std::max<int>(1, m_store.LastDrawNo);
    const auto spin = [&](const QString &name, int value) {
        auto *box = new QSpinBox(this);
        box->setObjectName(name);
        box->setRange(1, last);
        box->setValue(std::max(1, value));
        return box;
    };
    m_from = spin(QStringLiteral("fromDraw"), initial.from);
    m_to = spin(QStringLiteral("toDraw"), initial.to);
    top->addWidget(new QLabel(QStringLiteral("検証範囲: 第"), this));
    top->addWidget(m_from);
    top->addWidget(new QLabel(QStringLiteral("回 〜 第"), this));
    top->addWidget(m_to);
    top->addWidget(new QLabel(QStringLiteral("回"), this));
    m_run = new QPushButton(QStringLiteral("検証する"), this);
    m_run->setObjectName(QStringLiteral("Cmd検証"));
    m_search = new QPushButton(QStringLiteral("設定の探索"), this);
    m_search->setObjectName(QStringLiteral("Cmd探索"));
    m_search->setToolTip(QStringLiteral("4096通りの反映設定を前半で試し、最も当たった設定を後半で確かめます。"));
    m_close = new QPushButton(QStringLiteral("閉じる"), this);
    m_close->setObjectName(QStringLiteral("Cmd閉じる"));
    top->addSpacing(12);
    top->addWidget(m_run);
    top->addWidget(m_search);
    top->addStretch(1);
    top->addWidget(m_close);

    auto *options = new QGroupBox(QStringLiteral("反映するデータ分析"), this);
    auto *grid = new QGridLayout(options);
    for (int k = 0; k < ReflectFlagCount; ++k) {
        auto *box = new QCheckBox(Backtest::reflectName(k), options);
        box->setObjectName(QStringLiteral("reflect_%1").arg(k));
        grid->addWidget(box, k / 6, k % 6);
        m_reflect[size_t(k)] = box;
    }

    m_status = new WrappingLabel(QString(), this);
    m_status->setObjectName(QStringLiteral("status"));

    m_summary = new SheetView(this);
    m_summary->setObjectName(QStringLiteral("summary"));
    m_wheel = new SheetView(this);
    m_wheel->setObjectName(QStringLiteral("wheel"));

    m_tabs = new QTabWidget(this);
    m_draws = new SheetView(m_tabs);
    m_draws->setObjectName(QStringLiteral("draws"));
    m_tabs->addTab(m_draws, QStringLiteral("回ごとの予想と的中"));

    auto *chartPage = new QWidget(m_tabs);
    auto *chartLayout = new QVBoxLayout(chartPage);
    m_method = new QComboBox(chartPage);
    m_method->setObjectName(QStringLiteral("method"));
    for (int m = 0; m < Backtest::MethodCount; ++m)
        m_method->addItem(Backtest::methodName(m));
    m_method->setCurrentIndex(Backtest::OneShot);
    m_chart = new QChartView(chartPage);
    m_chart->setObjectName(QStringLiteral("chart"));
    m_chart->setRenderHint(QPainter::Antialiasing);
    // Tall enough for its labels and the whole axis title: a window with
    // less room scrolls rather than squashing the chart.
    m_chart->setMinimumHeight(ChartMinimumHeight);
    // Over two thousand draws the three lines lie on top of each other; as
    // the difference from the expectation the band and the walk stay readable.
    m_difference = new QCheckBox(QStringLiteral("期待値との差で表示"), chartPage);
    m_difference->setObjectName(QStringLiteral("difference"));
    m_difference->setChecked(true);
    auto *chartControls = new QHBoxLayout;
    chartControls->addWidget(m_method);
    chartControls->addWidget(m_difference);
    chartControls->addStretch(1);
    chartLayout->addLayout(chartControls);
    chartLayout->addWidget(m_chart, 1);
    m_tabs->addTab(chartPage, QStringLiteral("累積の的中数"));

    m_searchText = new QPlainTextEdit(m_tabs);
    m_searchText->setObjectName(QStringLiteral("search"));
    m_searchText->setReadOnly(true);
    m_searchText->setPlainText(SearchIntroduction);
    m_tabs->addTab(m_searchText, QStringLiteral("設定の探索"));

    m_stale = new StaleResultBar(this);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(options);
    layout->addWidget(m_stale);
    layout->addWidget(m_status);
    layout->addWidget(m_summary);
    layout->addWidget(m_wheel);
    layout->addWidget(m_tabs, 1);

    connect(m_run, &QPushButton::clicked, this, [this] { runBacktest(); });
    connect(m_stale, &StaleResultBar::recomputeRequested, this, &BacktestWindow::recomputeForNewDraws);
    connect(m_search, &QPushButton::clicked, this, [this] { runSearch(); });
    connect(m_close, &QPushButton::clicked, this, &BacktestWindow::closeRequested);
    connect(m_method, &QComboBox::currentIndexChanged, this, [this] { showChart(); });
    connect(m_difference, &QCheckBox::toggled, this, [this] { showChart(); });
}

Backtest::Range BacktestWindow::range() const
{
    return {m_from->value(), m_to->value()};
}

ReflectFlags BacktestWindow::flags() const
{
    ReflectFlags out{};
    for (int k = 0; k < ReflectFlagCount; ++k)
        out[size_t(k)] = m_reflect[size_t(k)]->isChecked();
    return out;
}

QString BacktestWindow::statusText() const
{
    return m_status->text();
}

void BacktestWindow::setStatus(const QString &text, bool problem)
{
    m_status->setText(text);
    m_status->setStyleSheet(problem ? QStringLiteral("color: #C00000;") : QString());
}

// A progress dialog that appears only when the work outlasts a blink.
Backtest::Progress BacktestWindow::progress(const QString &label, std::function<void()> &finish)
{
    auto dialog = std::make_shared<QProgressDialog>(label, QStringLiteral("キャンセル"), 0, 1, this);
    dialog->setWindowTitle(BacktestSheets::WindowName);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setMinimumDuration(400);
    dialog->setValue(0);
    finish = [dialog] { dialog->reset(); };
    return [dialog](int done, int total) {
        dialog->setMaximum(total);
        dialog->setValue(done);
        return !dialog->wasCanceled();
    };
}

bool BacktestWindow::runBacktest()
{
    const Backtest::Range r = range();
    if (const QString problem = Backtest::checkRange(m_store, r); !problem.isEmpty()) {
        setStatus(problem, true);
        return false;
    }
    setCursor(Qt::WaitCursor);
    std::function<void()> finish;
    std::optional<Backtest::Result> result
        = Backtest::run(m_store, r, flags(), isVisible() ? progress(QStringLiteral("検証しています…"), finish)
                                                         : Backtest::Progress());
    if (finish)
        finish();
    unsetCursor();
    if (!result) {
        setStatus(QStringLiteral("検証を取り消しました。前の結果のままです。"), true);
        return false;
    }
    setCursor(Qt::WaitCursor);
    Backtest::addWheelStrategy(*result, m_wheels);
    unsetCursor();
    m_result = std::move(result);
    showResult();
    return true;
}

void BacktestWindow::markOutdated()
{
    m_stale->show();
}

void BacktestWindow::recomputeForNewDraws()
{
    // A range that ran to the last draw runs to the new last draw.
    const int last = std::max<int>(1, m_store.LastDrawNo);
    const bool toTheEnd = m_to->value() == m_to->maximum();
    m_from->setMaximum(last);
    m_to->setMaximum(last);
    if (toTheEnd)
        m_to->setValue(last);
    m_searchText->setPlainText(SearchIntroduction);
    runBacktest();
}

bool BacktestWindow::runSearch()
{
    const Backtest::Range r = range();
    if (const QString problem = Backtest::checkRange(m_store, r); !problem.isEmpty()) {
        setStatus(problem, true);
        return false;
    }
    if (Backtest::targetCount(m_store, r) < 2) {
        setStatus(QStringLiteral("設定の探索には検証する回が2回以上必要です。"), true);
        return false;
    }
    // The tables and the chart show the range searched, not the one before.
    if (!runBacktest())
        return false;
    setCursor(Qt::WaitCursor);
    std::function<void()> finish;
    const std::optional<Backtest::SearchResult> found = Backtest::search(
        m_store, r, isVisible() ? progress(QStringLiteral("4096通りの設定を試しています…"), finish) : Backtest::Progress());
    if (finish)
        finish();
    unsetCursor();
    if (!found) {
        setStatus(QStringLiteral("設定の探索を取り消しました。"), true);
        return false;
    }
    m_searchText->setPlainText(Backtest::searchText(*found));
    m_tabs->setCurrentWidget(m_searchText);
    setStatus(QStringLiteral("設定の探索が終わりました（第%1回〜第%2回）。").arg(r.from).arg(r.to), false);
    return true;
}

void BacktestWindow::showResult()
{
    const Backtest::Result &r = *m_result;
    m_summary->setSheet(BacktestSheets::summary(r));
    // Every method's row stays in view; the tabs below take the rest.
    m_summary->setFixedHeight(m_summary->sizeHint().height());
    m_wheel->setSheet(BacktestSheets::wheel(*r.wheel));
    m_wheel->setFixedHeight(m_wheel->sizeHint().height());
    m_draws->setSheet(BacktestSheets::draws(r));
    int failed = 0;
    for (const Backtest::DrawResult &d : r.draws)
        failed += d.error.isEmpty() ? 0 : 1;
    const int shift = PredictionEngine::lookBackShift(r.flags);
    QString text = QStringLiteral("第%1回〜第%2回の %3 回を、それぞれその前までのデータだけで予想して確かめました"
                                  "（ずらし %4 回）。期待値はでたらめに同じ個数の数字を選んだ場合です。")
                       .arg(r.range.from)
                       .arg(r.range.to)
                       .arg(r.draws.size())
                       .arg(shift);
    if (failed > 0)
        text += QStringLiteral(" %1 回は予想できませんでした。").arg(failed);
    text += QStringLiteral(" ずらしは反映するデータ分析の重みの合計で、消去法・連発予想・１発予想はその回数だけ前の回までさかのぼって数字を選びます。"
                           "判定は7つの予想方法をまとめて調整した p 値（Holm の方法）で、5% を境にしています。"
                           "その下の行は消去法の数字を全組合せの代わりに縮小ホイールで買った場合で、当せん口数を同じ口数のでたらめな口と比べ、"
                           "その p 値だけで判定しています（7つの調整には加えていません）。");
    setStatus(text, false);
    showChart();
}

void BacktestWindow::showChart()
{
    // The height goes to the plot: the choices above say which method and
    // how it is drawn, the legend beside it what the lines and the band are.
    auto *chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->setBackgroundRoundness(0);
    const int method = m_method->currentIndex();
    const bool difference = m_difference->isChecked();
    if (m_result) {
        const std::vector<BacktestSheets::CumulativePoint> points = BacktestSheets::cumulative(*m_result, method);
        auto *hits = new QLineSeries;
        hits->setName(Backtest::methodName(method) + (difference ? QStringLiteral("の的中数 − 期待値") : QStringLiteral("の的中数")));
        auto *expected = new QLineSeries;
        expected->setName(QStringLiteral("でたらめに選んだ場合の期待値"));
        auto *upper = new QLineSeries;
        auto *lower = new QLineSeries;
        double top = 1;
        double bottom = 0;
        for (const BacktestSheets::CumulativePoint &p : points) {
            const double base = difference ? p.expected : 0;
            const double low = difference ? -2 * p.sd : std::max(0.0, p.expected - 2 * p.sd);
            hits->append(p.draw, double(p.hits) - base);
            expected->append(p.draw, p.expected - base);
            upper->append(p.draw, p.expected - base + 2 * p.sd);
            lower->append(p.draw, low);
            top = std::max({top, double(p.hits) - base, p.expected - base + 2 * p.sd});
            bottom = std::min({bottom, double(p.hits) - base, low});
        }
        auto *band = areaBetween(upper, lower);
        band->setName(QStringLiteral("期待値±2σ"));
        band->setColor(QColor(180, 200, 255, 120));
        band->setBorderColor(QColor(180, 200, 255));
        expected->setColor(QColor(40, 80, 200));
        hits->setColor(QColor(220, 40, 40));
        chart->addSeries(band);
        chart->addSeries(expected);
        chart->addSeries(hits);
        auto *x = new QValueAxis;
        x->setTitleText(QStringLiteral("回数"));
        x->setLabelFormat(QStringLiteral("%d"));
        auto *y = new QValueAxis;
        y->setTitleText(difference ? QStringLiteral("的中数 − 期待値") : QStringLiteral("的中数"));
        y->setLabelFormat(QStringLiteral("%.0f"));
        chart->addAxis(x, Qt::AlignBottom);
        chart->addAxis(y, Qt::AlignLeft);
        for (QAbstractSeries *s : chart->series()) {
            s->attachAxis(x);
            s->attachAxis(y);
        }
        if (!points.empty()) {
            const double first = points.front().draw;
            const double last = std::max(points.back().draw, points.front().draw + 1);
            x->setRange(first, last);
            x->setTickType(QValueAxis::TicksDynamic);
            x->setTickAnchor(0);
            x->setTickInterval(BacktestSheets::roundTickInterval(last - first, 8));
            // The values run from round label to round label, 0 among them:
            // the chart's dynamic ticks put them between the round values.
            const BacktestSheets::AxisTicks values = BacktestSheets::roundAxis(bottom, top, 6);
            y->setRange(values.min, values.max);
            y->setTickType(QValueAxis::TicksFixed);
            y->setTickCount(values.count);
        }
    }
    replaceChart(m_chart, chart);
}

QImage BacktestWindow::render(const DrawHistoryStore &store, const ReflectFlags &flags, int tab)
{
    const QSize size(Metrics::twipsToPixels(18600), Metrics::twipsToPixels(11400));
    QMdiArea area;
    area.resize(size + QSize(4, 4));
    auto *content = new BacktestWindow(store, flags);
    auto *window = area.addSubWindow(content);
    window->setGeometry(QRect(QPoint(0, 0), size));
    area.show();
    window->show();
    if (tab == 2)
        content->runSearch();
    content->m_tabs->setCurrentIndex(tab);
    QApplication::processEvents();
    return window->grab().toImage();
}
