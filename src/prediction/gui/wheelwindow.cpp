#include "prediction/gui/wheelwindow.h"

#include "maintenance/ticketledger.h"
#include "maintenance/ticketsummary.h"
#include "prediction/buyingsheets.h"
#include "prediction/gui/filterpanel.h"
#include "store/runtimeerror.h"
#include "ui/gui/metrics.h"
#include "ui/gui/sheetview.h"
#include "ui/gui/tableactions.h"
#include "ui/gui/wrappinglabel.h"
#include "ui/numbertext.h"
#include "ui/sheetexport.h"
#include "ui/tableoutput.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDate>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <atomic>
#include <limits>
#include <mutex>

namespace {

QPushButton *button(QWidget *parent, const QString &name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

// A text of the window, its lines broken by the Japanese rules.
QLabel *label(QWidget *parent, const QString &name, const QString &text = {})
{
    auto *l = new WrappingLabel(text, parent);
    l->setObjectName(name);
    return l;
}

QString numbersText(const std::vector<int> &numbers)
{
    QStringList words;
    for (int n : numbers)
        words << QString::number(n);
    return words.join(QLatin1Char(','));
}

// The guarantees the window offers, the usual one first chosen.
std::vector<WheelCondition> conditions()
{
    std::vector<WheelCondition> out;
    for (int m = 3; m <= 6; ++m) {
        for (int t = 3; t <= m; ++t)
            out.push_back({m, t});
    }
    return out;
}

} // namespace

WheelWindow::WheelWindow(const DrawHistoryStore &store, Prediction prediction, QString ledgerPath, Ask ask, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_prediction(std::move(prediction))
    , m_ledgerPath(std::move(ledgerPath))
    , m_ask(std::move(ask))
{
    setObjectName(ClassName);
    setWindowTitle(ClassName);
    setFont(Metrics::gridFont());
    readHistory();
    createControls();
    showMode();
    showPlan();

    m_actions = new TableActions(this, {[this] {
                                            SheetPrinter::Document document{ClassName, TableOutput::drawRange(m_store), {}};
                                            document.sections.push_back({m_summary->text(), m_lines->sheet()});
                                            if (m_plan && m_plan->listed())
                                                document.sections.push_back({m_whatIfText->text(), m_whatIf->sheet()});
                                            if (m_plan && m_plan->filter)
                                                document.sections.push_back({QStringLiteral("絞り込みの条件"), m_filterStats->sheet()});
                                            return document;
                                        },
                                        [this] { return SheetExport::csv(m_lines->sheet()); }});
    m_actions->setPresenter([this](QWidget *, const MessageRequest &request) { return m_ask(request); });
    for (SheetView *view : {m_lines, m_whatIf, m_filterStats})
        m_actions->addGrid(view);
    connect(findChild<QPushButton *>(QStringLiteral("Command2")), &QPushButton::clicked, m_actions, &TableActions::printPreview);
}

void WheelWindow::createControls()
{
    // Candidates.
    m_candidates = new QLineEdit(this);
    m_candidates->setObjectName(QStringLiteral("Txt候補"));
    m_candidates->setPlaceholderText(QStringLiteral("例: 1,4,7,12,18,23,29,35,41（6～43個。絞り込みでは空欄で1～43すべて）"));
    QPushButton *fromPrediction = button(this, QStringLiteral("Cmd予想から"), QStringLiteral("予想から(&Y)"));
    auto *predictions = new QMenu(fromPrediction);
    for (TicketSources::Source source : TicketSources::AllSources) {
        QAction *action = predictions->addAction(TicketSources::sourceName(source));
        action->setObjectName(TicketSources::sourceName(source));
        connect(action, &QAction::triggered, this, [this, source] { useSource(source); });
    }
    fromPrediction->setMenu(predictions);
    QPushButton *fromAnalysis = button(this, QStringLiteral("Cmd分析から"), QStringLiteral("分析から(&B)"));
    auto *analyses = new QMenu(fromAnalysis);
    const auto frequencyItem = [&](const QString &name, const QString &caption, Candidates::Frequency which) {
        QAction *action = analyses->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, [this, which] { useFrequency(which, m_frequencyCount->value()); });
    };
    frequencyItem(QStringLiteral("多い数字"), QStringLiteral("出現回数の多い数字（出現頻度分析）"), Candidates::Frequency::MostDrawn);
    frequencyItem(QStringLiteral("少ない数字"), QStringLiteral("出現回数の少ない数字（出現頻度分析）"), Candidates::Frequency::LeastDrawn);
    fromAnalysis->setMenu(analyses);
    m_frequencyCount = new QSpinBox(this);
    m_frequencyCount->setObjectName(QStringLiteral("Spin個数"));
    m_frequencyCount->setRange(Candidates::Fewest, Candidates::Most);
    m_frequencyCount->setValue(18);
    m_frequencyCount->setSuffix(QStringLiteral(" 個"));
    auto *candidateRow = new QHBoxLayout;
    auto *candidateLabel = new QLabel(QStringLiteral("候補の数字(&N):"), this);
    candidateLabel->setBuddy(m_candidates);
    candidateRow->addWidget(candidateLabel);
    candidateRow->addWidget(m_candidates, 1);
    candidateRow->addWidget(fromPrediction);
    candidateRow->addWidget(fromAnalysis);
    candidateRow->addWidget(m_frequencyCount);

    // How the lines are made.
    m_all = new QRadioButton(QStringLiteral("全組合せ(&A)"), this);
    m_all->setObjectName(QStringLiteral("Opt全組合せ"));
    m_wheel = new QRadioButton(QStringLiteral("縮小ホイール(&R)"), this);
    m_wheel->setObjectName(QStringLiteral("Opt縮小ホイール"));
    m_filter = new QRadioButton(QStringLiteral("絞り込み(&F)"), this);
    m_filter->setObjectName(QStringLiteral("Opt絞り込み"));
    m_wheel->setChecked(true);
    auto *modes = new QButtonGroup(this);
    for (QRadioButton *b : {m_all, m_wheel, m_filter}) {
        modes->addButton(b);
        connect(b, &QRadioButton::toggled, this, [this] { showMode(); });
    }
    m_condition = new QComboBox(this);
    m_condition->setObjectName(QStringLiteral("Cbo保証"));
    for (const WheelCondition &c : conditions())
        m_condition->addItem(Wheel::guaranteeText(c), QVariant::fromValue(QPoint(c.ifDrawn, c.match)));
    setCondition({4, 3});
    m_seconds = new QSpinBox(this);
    m_seconds->setObjectName(QStringLiteral("Spin探索時間"));
    m_seconds->setRange(1, 600);
    m_seconds->setValue(10);
    m_seconds->setSuffix(QStringLiteral(" 秒"));
    auto *modeRow = new QHBoxLayout;
    modeRow->addWidget(new QLabel(QStringLiteral("買い方:"), this));
    for (QRadioButton *b : {m_all, m_wheel, m_filter})
        modeRow->addWidget(b);
    modeRow->addSpacing(12);
    modeRow->addWidget(m_condition, 1);
    modeRow->addWidget(new QLabel(QStringLiteral("探索時間"), this));
    modeRow->addWidget(m_seconds);

    m_filters = new FilterPanel(this);

    // Commands.
    m_make = button(this, QStringLiteral("Cmd作成"), QStringLiteral("作成(&G)"));
    m_make->setDefault(true);
    QPushButton *print = button(this, QStringLiteral("Command2"), QStringLiteral("印刷(&P)"));
    m_add = button(this, QStringLiteral("Cmd購入記録に追加"), QStringLiteral("購入記録に追加(&K)"));
    m_draw = new QSpinBox(this);
    m_draw->setObjectName(QStringLiteral("Spin回"));
    m_draw->setRange(1, TicketRules::HighestDrawNo);
    m_draw->setPrefix(QStringLiteral("第"));
    m_draw->setSuffix(QStringLiteral("回"));
    m_draw->setValue(m_results.lastDrawNo() + 1);
    QPushButton *close = button(this, QStringLiteral("Cmd閉じる"), QStringLiteral("閉じる(&C)"));
    auto *commandRow = new QHBoxLayout;
    commandRow->addWidget(m_make);
    commandRow->addWidget(print);
    commandRow->addSpacing(24);
    commandRow->addWidget(m_draw);
    commandRow->addWidget(m_add);
    commandRow->addStretch(1);
    commandRow->addWidget(close);
    connect(m_make, &QPushButton::clicked, this, [this] { make(); });
    connect(m_add, &QPushButton::clicked, this, [this] { addToLedger(); });
    connect(close, &QPushButton::clicked, this, &WheelWindow::closeRequested);
    connect(m_candidates, &QLineEdit::returnPressed, this, [this] { make(); });

    QLabel *honesty = label(this, QStringLiteral("lblHonesty"), BuyingPlan::honestyText());
    honesty->setStyleSheet(QStringLiteral("color: #A00000;"));
    m_summary = label(this, QStringLiteral("lblSummary"));
    m_status = label(this, QStringLiteral("lblStatus"));

    m_lines = new SheetView(this);
    m_lines->setObjectName(QStringLiteral("fpSpread1"));
    m_whatIf = new SheetView(this);
    m_whatIf->setObjectName(QStringLiteral("fpSpread2"));
    m_filterStats = new SheetView(this);
    m_filterStats->setObjectName(QStringLiteral("fpSpread3"));
    // Each table as wide and as tall as its cells: no grey band beside them.
    for (SheetView *view : {m_lines, m_whatIf, m_filterStats})
        view->setFollowsTable(true);
    m_whatIfText = label(this, QStringLiteral("lblWhatIf"));
    QLabel *warning = label(this, QStringLiteral("lblPastWarning"), BuyingPlan::pastWarning());

    auto *right = new QVBoxLayout;
    right->addWidget(new QLabel(QStringLiteral("■過去の抽せんに当てはめると"), this));
    right->addWidget(warning);
    right->addWidget(m_whatIfText);
    right->addWidget(m_whatIf, 0, Qt::AlignLeft);
    right->addStretch(1);
    // The filters' table is wider than the column beside the lines: it
    // takes the window's whole width above them.
    m_filterCaption = new QLabel(QStringLiteral("■絞り込みの条件: 過去に満たした回と、公平な抽せんで満たす確率"), this);
    auto *tables = new QHBoxLayout;
    tables->addWidget(m_lines, 2, Qt::AlignLeft | Qt::AlignTop);
    tables->addLayout(right, 3);

    auto *layout = new QVBoxLayout(this);
    const int margin = Metrics::twipsToPixels(120);
    layout->setContentsMargins(margin, 4, margin, margin);
    layout->setSpacing(4);
    layout->addLayout(candidateRow);
    layout->addLayout(modeRow);
    layout->addWidget(m_filters);
    layout->addLayout(commandRow);
    layout->addWidget(honesty);
    layout->addWidget(m_summary);
    layout->addWidget(m_status);
    layout->addWidget(m_filterCaption);
    layout->addWidget(m_filterStats, 0, Qt::AlignLeft);
    layout->addLayout(tables, 1);
    setFocusProxy(m_candidates);
}

void WheelWindow::readHistory()
{
    m_history = ComboFilter::pastDraws(m_store);
    m_results = DrawResults(m_store.DrawRecordset);
}

QString WheelWindow::statusText() const
{
    return m_status->text();
}

void WheelWindow::setStatus(const QString &text, bool problem)
{
    m_status->setText(text);
    m_status->setStyleSheet(problem ? QStringLiteral("color: #C00000;") : QString());
}

void WheelWindow::setCandidates(const std::vector<int> &numbers)
{
    std::vector<int> sorted = numbers;
    std::sort(sorted.begin(), sorted.end());
    m_candidates->setText(numbersText(sorted));
}

bool WheelWindow::useSource(TicketSources::Source source)
{
    const QString name = TicketSources::sourceName(source);
    std::vector<int> numbers;
    try {
        numbers = TicketSources::shownNumbers(m_prediction(), source);
    } catch (const RuntimeError &error) {
        m_ask(Messages::error(QStringLiteral("%1: %2").arg(name, error.message())));
        return false;
    }
    if (numbers.size() < size_t(Candidates::Fewest)) {
        m_ask(Messages::error(QStringLiteral("%1の数字は %2個です。候補には6個以上が必要です。").arg(name).arg(numbers.size())));
        return false;
    }
    setCandidates(numbers);
    setStatus(QStringLiteral("%1の数字 %2個を候補にしました。").arg(name).arg(numbers.size()), false);
    return true;
}

void WheelWindow::useFrequency(Candidates::Frequency which, int count)
{
    setCandidates(Candidates::byFrequency(m_store, which, count));
    setStatus(QStringLiteral("第%1回までで出現回数の%2 %3個を候補にしました。")
                  .arg(m_store.LastDrawNo)
                  .arg(which == Candidates::Frequency::MostDrawn ? QStringLiteral("多い数字") : QStringLiteral("少ない数字"))
                  .arg(count),
              false);
}

void WheelWindow::setMode(BuyingPlan::Mode mode)
{
    (mode == BuyingPlan::Mode::AllLines ? m_all : mode == BuyingPlan::Mode::Wheel ? m_wheel : m_filter)->setChecked(true);
}

void WheelWindow::setCondition(const WheelCondition &condition)
{
    m_condition->setCurrentIndex(m_condition->findData(QVariant::fromValue(QPoint(condition.ifDrawn, condition.match))));
}

void WheelWindow::setSeconds(int seconds)
{
    m_seconds->setValue(seconds);
}

void WheelWindow::showMode()
{
    m_condition->setEnabled(m_wheel->isChecked());
    m_seconds->setEnabled(m_wheel->isChecked());
    m_filters->setEnabled(m_filter->isChecked());
}

std::optional<BuyingPlan::Request> WheelWindow::request()
{
    BuyingPlan::Request r;
    r.mode = m_all->isChecked() ? BuyingPlan::Mode::AllLines
             : m_wheel->isChecked() ? BuyingPlan::Mode::Wheel
                                    : BuyingPlan::Mode::Filter;
    const QPoint condition = m_condition->currentData().toPoint();
    r.condition = {condition.x(), condition.y()};
    r.seconds = m_seconds->value();
    if (r.mode == BuyingPlan::Mode::Filter)
        r.filters = m_filters->filters();
    const bool everyNumber = r.mode == BuyingPlan::Mode::Filter && m_candidates->text().trimmed().isEmpty();
    if (!everyNumber) {
        QString why;
        const std::optional<std::vector<int>> numbers = Candidates::parse(m_candidates->text(), &why);
        if (!numbers) {
            m_ask(Messages::error(why));
            return std::nullopt;
        }
        r.numbers = *numbers;
    }
    if (const std::optional<QString> wrong = BuyingPlan::problem(r, m_history)) {
        m_ask(Messages::error(*wrong));
        return std::nullopt;
    }
    return r;
}

std::optional<BuyingPlan::Plan> WheelWindow::runWithProgress(const BuyingPlan::Request &request)
{
    // The search runs on a thread of its own; this one keeps painting and
    // shows where the search stands.
    struct Standing
    {
        std::mutex lock;
        WheelProgress last;
    };
    auto standing = std::make_shared<Standing>();
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    std::optional<BuyingPlan::Plan> plan;
    const std::vector<ComboFilter::Line> history = m_history;
    const DrawResults results = m_results;
    QThread *worker = QThread::create([&plan, &request, history, results, standing, cancel] {
        plan = BuyingPlan::make(request, history, results, [standing, cancel](const WheelProgress &p) {
            std::lock_guard<std::mutex> hold(standing->lock);
            standing->last = p;
            return !cancel->load();
        });
    });

    QProgressDialog dialog(QStringLiteral("買い目を作っています…"), QStringLiteral("キャンセル"), 0, 1000, this);
    dialog.setObjectName(QStringLiteral("progressDialog"));
    dialog.setWindowTitle(ClassName);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setAutoReset(false);
    dialog.setAutoClose(false);
    // Shown by hand below, never by the dialog's own timer.
    dialog.setMinimumDuration(std::numeric_limits<int>::max());
    connect(&dialog, &QProgressDialog::canceled, this, [cancel] { cancel->store(true); });

    QTimer poll;
    poll.setInterval(50);
    connect(&poll, &QTimer::timeout, this, [&] {
        // The dialog's cancel() and Esc close it without the canceled
        // signal: a dialog no longer up stops the search too.
        if (dialog.wasCanceled() || !dialog.isVisible())
            cancel->store(true);
        WheelProgress p;
        {
            std::lock_guard<std::mutex> hold(standing->lock);
            p = standing->last;
        }
        if (p.budget > 0) {
            dialog.setLabelText(QStringLiteral("縮小ホイールを探しています…\n見つかった最小: %1（下限 %2口）\n経過 %3秒 / %4秒")
                                    .arg(p.lines > 0 ? QStringLiteral("%1口").arg(groupedDigits(p.lines)) : QStringLiteral("まだありません"))
                                    .arg(groupedDigits(p.lowerBound))
                                    .arg(QString::number(p.elapsed, 'f', 1), QString::number(p.budget, 'f', 0)));
            dialog.setValue(std::clamp(int(1000 * p.elapsed / p.budget), 0, 999));
        } else if (p.elapsed > 0) {
            dialog.setLabelText(QStringLiteral("過去の抽せんに当てはめています…"));
        }
    });
    QEventLoop loop;
    connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    setCursor(Qt::WaitCursor);
    worker->start();
    // A short search ends before anything shows, and meanwhile no click
    // reaches the window (input waits); a longer one shows the dialog,
    // which keeps the window from input while it is up.
    QTimer::singleShot(ProgressDelayMs, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (worker->isRunning()) {
        dialog.show();
        poll.start();
        loop.exec();
    }
    worker->wait();
    delete worker;
    poll.stop();
    dialog.hide();
    unsetCursor();
    return plan;
}

bool WheelWindow::make()
{
    const std::optional<BuyingPlan::Request> r = request();
    if (!r)
        return false;
    std::optional<BuyingPlan::Plan> plan = runWithProgress(*r);
    if (!plan) {
        setStatus(QStringLiteral("取り消しました。前の結果のままです。"), true);
        return false;
    }
    m_plan = std::move(plan);
    // The draws may have changed while the search ran.
    BuyingPlan::replay(*m_plan, m_history, m_results);
    showPlan();
    setStatus(m_plan->failure.isEmpty() ? QString() : m_plan->failure, !m_plan->failure.isEmpty());
    return m_plan->failure.isEmpty();
}

void WheelWindow::showPlan()
{
    BuyingPlan::Plan empty;
    const BuyingPlan::Plan &plan = m_plan ? *m_plan : empty;
    m_lines->setSheet(BuyingSheets::lines(plan));
    m_summary->setText(m_plan ? BuyingSheets::summary(plan)
                              : QStringLiteral("候補の数字と買い方を選んで「作成」を押してください。"));
    const bool listed = m_plan && plan.listed();
    m_whatIf->setSheet(BuyingSheets::whatIf(plan.whatIf));
    m_whatIf->setVisible(listed);
    m_whatIfText->setText(listed ? BuyingSheets::whatIfText(plan.whatIf) : QString());
    m_filterStats->setSheet(plan.filter ? BuyingSheets::filters(*plan.filter) : Sheet());
    m_filterStats->setVisible(plan.filter.has_value());
    m_filterCaption->setVisible(plan.filter.has_value());
    m_add->setEnabled(listed && plan.count > 0);
}

bool WheelWindow::addToLedger()
{
    if (!m_plan || !m_plan->listed() || m_plan->count == 0)
        return false;
    const int drawNo = m_draw->value();
    const QString memo = BuyingPlan::memo(*m_plan);
    const QString question = QStringLiteral("%1 の %2口（%3）を第%4回の購入記録に追加します。よろしいですか？")
                                 .arg(memo, groupedDigits(m_plan->count), formatYen(m_plan->cost()))
                                 .arg(drawNo);
    if (m_ask(Messages::confirm(question)) != QMessageBox::Yes)
        return false;
    Ticket pattern;
    pattern.drawNo = drawNo;
    pattern.purchaseDate = QDate::currentDate().toString(Qt::ISODate);
    pattern.memo = memo;
    try {
        TicketLedger::open(m_ledgerPath).addAll(TicketRules::ticketsOf(m_plan->lines, pattern));
    } catch (const DatabaseError &error) {
        m_ask(Messages::error(error.message()));
        return false;
    }
    setStatus(QStringLiteral("第%1回の購入記録に %2口を追加しました。").arg(drawNo).arg(groupedDigits(m_plan->count)), false);
    Q_EMIT ticketsAdded(drawNo);
    return true;
}

void WheelWindow::recompute(const DrawHistoryStore &)
{
    // A draw chosen for the next one moves on with it.
    const bool next = m_draw->value() == m_results.lastDrawNo() + 1;
    readHistory();
    if (next)
        m_draw->setValue(m_results.lastDrawNo() + 1);
    if (m_plan) {
        BuyingPlan::replay(*m_plan, m_history, m_results);
        showPlan();
    }
}
