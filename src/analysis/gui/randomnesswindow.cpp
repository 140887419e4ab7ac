#include "analysis/gui/randomnesswindow.h"

#include "ui/gui/chartswap.h"
#include "ui/gui/filedialogs.h"
#include "ui/gui/messages.h"
#include "ui/gui/staleresultbar.h"
#include "ui/gui/wrappinglabel.h"
#include "ui/savedfile.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QBuffer>
#include <QButtonGroup>
#include <QChart>
#include <QChartView>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QSplitter>
#include <QSvgGenerator>
#include <QTableWidget>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

QString formatP(double p)
{
    return p < 0.0001 ? QString::number(p, 'e', 2) : QString::number(p, 'f', 4);
}

// The bins' labels along the bottom, under the bars at 0 … n-1. Where the
// bins are many (sums, gaps) only every step-th label fits, the step chosen
// so that labels never run into each other.
QCategoryAxis *binAxis(const QStringList &labels, int plotWidth)
{
    auto *axis = new QCategoryAxis;
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setGridLineVisible(false);
    const qsizetype n = std::max<qsizetype>(1, labels.size());
    axis->setRange(-0.5, double(n) - 0.5);
    axis->setStartValue(-0.5);
    const QFontMetrics metrics(axis->labelsFont());
    int widest = 0;
    for (const QString &label : labels)
        widest = std::max(widest, metrics.horizontalAdvance(label));
    const int step = std::max(1, int(std::ceil((widest + 10) * double(n) / std::max(1, plotWidth))));
    for (qsizetype i = 0; i < labels.size(); i += step)
        axis->append(labels[i], double(i));
    return axis;
}

} // namespace

RandomnessWindow::RandomnessWindow(const DrawHistoryStore &store, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
{
    setObjectName(ClassName);
    setWindowTitle(ClassName);

    auto *all = new QRadioButton(QStringLiteral("すべての回"));
    auto *last = new QRadioButton(QStringLiteral("直近"));
    auto *span = new QRadioButton(QStringLiteral("回の範囲"));
    all->setChecked(true);
    m_rangeKind = new QButtonGroup(this);
    m_rangeKind->addButton(all, 0);
    m_rangeKind->addButton(last, 1);
    m_rangeKind->addButton(span, 2);
    const int lastDraw = m_lastDraw = std::max<int>(1, store.LastDrawNo);
    m_last = new QSpinBox;
    m_last->setObjectName(QStringLiteral("lastDraws"));
    m_last->setRange(1, 32767);
    m_last->setValue(std::min(100, lastDraw));
    m_last->setSuffix(QStringLiteral(" 回"));
    m_from = new QSpinBox;
    m_from->setObjectName(QStringLiteral("fromDraw"));
    m_from->setRange(-32768, 32767);
    m_from->setValue(1);
    m_to = new QSpinBox;
    m_to->setObjectName(QStringLiteral("toDraw"));
    m_to->setRange(-32768, 32767);
    m_to->setValue(lastDraw);
    auto *run = new QPushButton(QStringLiteral("検定する"));
    run->setObjectName(QStringLiteral("runTests"));
    connect(run, &QPushButton::clicked, this, &RandomnessWindow::recompute);

    auto *range = new QHBoxLayout;
    range->addWidget(all);
    range->addSpacing(12);
    range->addWidget(last);
    range->addWidget(m_last);
    range->addSpacing(12);
    range->addWidget(span);
    range->addWidget(new QLabel(QStringLiteral("第")));
    range->addWidget(m_from);
    range->addWidget(new QLabel(QStringLiteral("回〜第")));
    range->addWidget(m_to);
    range->addWidget(new QLabel(QStringLiteral("回")));
    range->addSpacing(12);
    range->addWidget(run);
    range->addStretch();

    m_summary = new WrappingLabel(QString());
    m_summary->setObjectName(QStringLiteral("summary"));

    m_table = new QTableWidget(0, 6);
    m_table->setObjectName(QStringLiteral("tests"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("検定"), QStringLiteral("統計量"), QStringLiteral("自由度"),
                                        QStringLiteral("p値"), QStringLiteral("調整後p値"), QStringLiteral("判定")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 6);
    // 判定 takes the rest of the width, however the other columns are sized.
    m_table->horizontalHeader()->setStretchLastSection(true);
    connect(m_table, &QTableWidget::currentCellChanged, this, [this](int row) { showChart(row); });

    m_chart = new QChartView;
    m_chart->setObjectName(QStringLiteral("chart"));
    m_chart->setRenderHint(QPainter::Antialiasing);
    m_chart->setMinimumHeight(220);

    m_save = new QPushButton(QStringLiteral("画像で保存..."));
    m_save->setObjectName(QStringLiteral("saveChart"));
    connect(m_save, &QPushButton::clicked, this, &RandomnessWindow::saveChartAs);
    auto *close = new QPushButton(QStringLiteral("閉じる"));
    close->setObjectName(QStringLiteral("Cmd閉じる"));
    connect(close, &QPushButton::clicked, this, &RandomnessWindow::closeRequested);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_save);
    buttons->addWidget(close);

    auto *splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(m_table);
    splitter->addWidget(m_chart);
    // Every test's row in view, the chart below takes the rest.
    const int tableHeight = 10 * m_table->verticalHeader()->defaultSectionSize() + 8;
    splitter->setSizes({tableHeight, 2 * tableHeight});
    splitter->setStretchFactor(1, 1);

    m_stale = new StaleResultBar;
    connect(m_stale, &StaleResultBar::recomputeRequested, this, &RandomnessWindow::recomputeForNewDraws);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(range);
    layout->addWidget(m_stale);
    layout->addWidget(m_summary);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);

    recompute();
}

void RandomnessWindow::markOutdated()
{
    m_stale->show();
}

void RandomnessWindow::recomputeForNewDraws()
{
    // A range that ran to the last draw runs to the new last draw.
    const int last = std::max<int>(1, m_store.LastDrawNo);
    if (m_to->value() == m_lastDraw)
        m_to->setValue(last);
    m_lastDraw = last;
    recompute();
}

void RandomnessWindow::recompute()
{
    Randomness::Range range;
    if (m_rangeKind->checkedId() == 1)
        range.last = m_last->value();
    if (m_rangeKind->checkedId() == 2) {
        range.from = m_from->value();
        range.to = m_to->value();
    }
    try {
        m_report = Randomness::analyse(m_store, range);
    } catch (const std::invalid_argument &error) {
        m_report = {};
        m_report.problem = QString::fromStdString(error.what());
    }
    showReport();
}

void RandomnessWindow::showReport()
{
    // The test the user was looking at stays chosen through a new run.
    const int chosen = std::max(0, m_table->currentRow());
    m_table->setRowCount(0);
    if (!m_report.problem.isEmpty()) {
        m_summary->setText(m_report.problem);
        showChart(-1);
        return;
    }
    m_summary->setText(QStringLiteral("第%1回〜第%2回の %3 回の当選数字を、公平な抽せん（43個から6個、残りから"
                                      "ボーナス数字1個）と比べます。判定は %4 個の検定をまとめた Holm の調整後p値で、"
                                      "5% を境にしています。")
                           .arg(m_report.firstDraw)
                           .arg(m_report.lastDraw)
                           .arg(m_report.draws)
                           .arg(std::count_if(m_report.tests.begin(), m_report.tests.end(),
                                              [](const Randomness::Test &t) { return t.tested(); })));
    m_table->setRowCount(int(m_report.tests.size()));
    for (int row = 0; row < int(m_report.tests.size()); ++row) {
        const Randomness::Test &t = m_report.tests[size_t(row)];
        const QStringList texts{t.name,
                                t.tested() ? QString::number(t.statistic, 'f', 2) : QString(),
                                t.tested() ? QString::number(t.df) : QString(),
                                t.tested() ? formatP(t.p) : QString(),
                                t.tested() ? formatP(t.adjustedP) : QString(),
                                t.verdict()};
        for (int col = 0; col < texts.size(); ++col) {
            auto *item = new QTableWidgetItem(texts[col]);
            if (col >= 1 && col <= 4)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (t.tested() && t.adjustedP < 0.05)
                item->setForeground(QColor(192, 0, 0));
            m_table->setItem(row, col, item);
        }
    }
    // Sized to their texts, but for 判定, which fills the rest: sizing it
    // to its text would undo the stretch and leave a white block beside it.
    for (int col = 0; col + 1 < m_table->columnCount(); ++col)
        m_table->resizeColumnToContents(col);
    selectTest(std::min(chosen, m_table->rowCount() - 1));
}

void RandomnessWindow::selectTest(int row)
{
    if (row >= 0 && row < m_table->rowCount())
        m_table->setCurrentCell(row, 0);
    showChart(row);
}

void RandomnessWindow::showChart(int row)
{
    auto *chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    m_save->setEnabled(row >= 0 && row < int(m_report.tests.size()));
    if (!m_save->isEnabled()) {
        replaceChart(m_chart, chart);
        return;
    }
    const Randomness::Test &t = m_report.tests[size_t(row)];
    chart->setTitle(t.name);
    auto *observed = new QBarSet(QStringLiteral("実際の回数"));
    observed->setColor(QColor(70, 120, 200));
    auto *expected = new QLineSeries;
    expected->setName(QStringLiteral("偶然なら（期待値）"));
    expected->setPen(QPen(QColor(200, 40, 40), 2));
    auto *upper = new QLineSeries;
    auto *lower = new QLineSeries;
    double top = 0;
    for (size_t i = 0; i < t.bins.expected.size(); ++i) {
        const double e = t.bins.expected[i], s = t.bins.sigma[i];
        *observed << t.bins.observed[i];
        expected->append(double(i), e);
        upper->append(double(i), e + 2 * s);
        lower->append(double(i), std::max(0.0, e - 2 * s));
        top = std::max({top, t.bins.observed[i], e + 2 * s});
    }
    auto *bars = new QBarSeries;
    bars->append(observed);
    bars->setBarWidth(0.7);
    auto *band = areaBetween(upper, lower);
    band->setName(QStringLiteral("±2σ の範囲"));
    band->setColor(QColor(240, 160, 60, 70));
    band->setBorderColor(QColor(240, 160, 60, 140));
    // The band behind the bars, the expected line in front of them.
    chart->addSeries(band);
    chart->addSeries(bars);
    chart->addSeries(expected);

    auto *values = new QValueAxis;
    values->setRange(0, top * 1.08 + 1);
    values->setLabelFormat(QStringLiteral("%.0f"));
    values->applyNiceNumbers();
    values->setTitleText(QStringLiteral("回数"));
    QCategoryAxis *bins = binAxis(t.bins.labels, std::max(400, m_chart->width() - 120));
    chart->addAxis(bins, Qt::AlignBottom);
    chart->addAxis(values, Qt::AlignLeft);
    for (QAbstractSeries *series : chart->series()) {
        series->attachAxis(bins);
        series->attachAxis(values);
    }
    replaceChart(m_chart, chart);
}

QString RandomnessWindow::saveChart(const QString &fileName) const
{
    QBuffer image;
    image.open(QIODevice::WriteOnly);
    if (fileName.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
        QSvgGenerator generator;
        generator.setOutputDevice(&image);
        generator.setSize(m_chart->size());
        generator.setViewBox(QRect(QPoint(0, 0), m_chart->size()));
        generator.setTitle(m_chart->chart()->title());
        QPainter painter;
        if (painter.begin(&generator)) {
            m_chart->render(&painter);
            painter.end();
        }
    } else {
        m_chart->grab().save(&image, "PNG");
    }
    const QString problem = image.data().isEmpty() ? QString() : SavedFile::write(fileName, image.data());
    if (image.data().isEmpty() || !problem.isEmpty())
        return QStringLiteral("画像ファイル「%1」を書き込めません。%2").arg(fileName, problem);
    return {};
}

void RandomnessWindow::saveChartAs()
{
    QString filter;
    QString fileName = QFileDialog::getSaveFileName(
        this, QStringLiteral("画像で保存"), FileDialogs::suggestion(FileDialogs::Kind::Image, windowTitle() + QStringLiteral(".png")),
        QStringLiteral("PNG 画像 (*.png);;SVG 画像 (*.svg)"), &filter);
    if (fileName.isEmpty())
        return;
    FileDialogs::remember(FileDialogs::Kind::Image, fileName);
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += filter.startsWith(QLatin1String("SVG")) ? QStringLiteral(".svg") : QStringLiteral(".png");
    const QString error = saveChart(fileName);
    if (!error.isEmpty())
        Messages::showBox(this, Messages::error(error));
}
