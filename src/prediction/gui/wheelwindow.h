#pragma once

#include "maintenance/ticket.h"
#include "prediction/ticketsources.h"
#include "prediction/buyingplan.h"
#include "prediction/candidates.h"
#include "ui/gui/messages.h"

#include <QWidget>

#include <functional>
#include <optional>

class FilterPanel;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class SheetView;
class TableActions;

// 買い目作成: lines over candidate numbers (typed, or taken from a prediction
// or from how often the numbers were drawn), made as all their combinations,
// as a reduced wheel or by filters; their price, the wheel's guarantee and
// bound, what they would have won on the past draws, and 購入記録に追加. The
// core makes and measures everything; the window routes the input and
// shows the grids. A search longer than a blink runs under a progress
// dialog with キャンセル.
//
// Object names: Txt候補, Cmd予想から (menu items named after the
// predictions), Cmd分析から (items 多い数字, 少ない数字) with Spin個数, the
// mode buttons Opt全組合せ, Opt縮小ホイール, Opt絞り込み, Cbo保証,
// Spin探索時間, the filter panel fraFilters, Cmd作成, Command2 (印刷),
// Cmd購入記録に追加 with Spin回, Cmd閉じる; the labels lblHonesty,
// lblSummary, lblWhatIf, lblStatus; the grids fpSpread1 (lines),
// fpSpread2 (the past), fpSpread3 (the filters).
class WheelWindow : public QWidget
{
    Q_OBJECT

public:
    static inline const QString ClassName = QStringLiteral("買い目作成");
    static constexpr int HeightTwips = 11400;
    static constexpr int WidthTwips = 16800;
    // A search that outlasts this shows its progress and キャンセル.
    static constexpr int ProgressDelayMs = 400;

    using Ask = std::function<QMessageBox::StandardButton(const MessageRequest &)>;
    // The prediction as the prediction window shows it now.
    using Prediction = std::function<PredictionEngine()>;

    // store must outlive the window (the program's store is replaced in place).
    WheelWindow(const DrawHistoryStore &store, Prediction prediction, QString ledgerPath, Ask ask, QWidget *parent = nullptr);

    // Candidates: the numbers a prediction shows, or the count numbers drawn
    // most or least often. A prediction without six numbers is refused with
    // a message.
    bool useSource(TicketSources::Source source);
    void useFrequency(Candidates::Frequency which, int count);
    void setCandidates(const std::vector<int> &numbers);

    void setMode(BuyingPlan::Mode mode);
    void setCondition(const WheelCondition &condition);
    void setSeconds(int seconds);

    // 作成. Returns false with the reason told (wrong input) or shown in the
    // status line (cancelled); the lines shown before stay.
    bool make();
    // 購入記録に追加: the lines for the chosen draw, after the user agreed
    // to how many and how much money.
    bool addToLedger();

    // The draws changed: the past is played again, and the next draw moves on.
    void recompute(const DrawHistoryStore &store);

    const std::optional<BuyingPlan::Plan> &plan() const { return m_plan; }
    QString statusText() const;
    TableActions *tableActions() const { return m_actions; }

Q_SIGNALS:
    void closeRequested();
    // Lines went into the ledger for that draw.
    void ticketsAdded(int drawNo);

private:
    void createControls();
    void readHistory();
    std::optional<BuyingPlan::Request> request();
    std::optional<BuyingPlan::Plan> runWithProgress(const BuyingPlan::Request &request);
    void showPlan();
    void showMode();
    void setStatus(const QString &text, bool problem);

    const DrawHistoryStore &m_store;
    Prediction m_prediction;
    QString m_ledgerPath;
    Ask m_ask;
    std::vector<ComboFilter::Line> m_history;
    DrawResults m_results;
    std::optional<BuyingPlan::Plan> m_plan;

    QLineEdit *m_candidates = nullptr;
    QSpinBox *m_frequencyCount = nullptr;
    QRadioButton *m_all = nullptr;
    QRadioButton *m_wheel = nullptr;
    QRadioButton *m_filter = nullptr;
    QComboBox *m_condition = nullptr;
    QSpinBox *m_seconds = nullptr;
    FilterPanel *m_filters = nullptr;
    QPushButton *m_make = nullptr;
    QPushButton *m_add = nullptr;
    QSpinBox *m_draw = nullptr;
    QLabel *m_summary = nullptr;
    QLabel *m_whatIfText = nullptr;
    QLabel *m_status = nullptr;
    SheetView *m_lines = nullptr;
    SheetView *m_whatIf = nullptr;
    SheetView *m_filterStats = nullptr;
    QLabel *m_filterCaption = nullptr;
    TableActions *m_actions = nullptr;
};
