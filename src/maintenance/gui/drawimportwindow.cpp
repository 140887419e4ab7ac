#include "maintenance/gui/drawimportwindow.h"

#include "maintenance/drawimportfetch.h"
#include "maintenance/gui/updateprogressdialog.h"
#include "maintenance/recentaddresses.h"
#include "store/boundedinput.h"
#include "store/runtimeerror.h"
#include "ui/gui/filedialogs.h"
#include "ui/gui/metrics.h"
#include "ui/gui/wrappinglabel.h"

#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QPushButton *button(const QString &text, const QString &name, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

QTableWidgetItem *cell(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

QColor kindColour(DrawImport::PlanEntry::Kind kind)
{
    switch (kind) {
    case DrawImport::PlanEntry::Kind::Add:
        return QColor(0xE0, 0xF4, 0xE0);
    case DrawImport::PlanEntry::Kind::Identical:
        return QColor(0xFF, 0xFF, 0xFF);
    case DrawImport::PlanEntry::Kind::Different:
        return QColor(0xFF, 0xF0, 0xC8);
    case DrawImport::PlanEntry::Kind::Error:
        break;
    }
    return QColor(0xFF, 0xD8, 0xD8);
}

} // namespace

DrawImportWindow::DrawImportWindow(QString databasePath, QString ledgerPath, QString addressesPath, Ask ask,
                                   QWidget *parent)
    : QWidget(parent)
    , m_databasePath(std::move(databasePath))
    , m_ledgerPath(std::move(ledgerPath))
    , m_addressesPath(std::move(addressesPath))
    , m_ask(std::move(ask))
{
    setObjectName(ClassName);
    setWindowTitle(ClassName);
    setFont(Metrics::gridFont());
    createControls();
    showPlan();
}

void DrawImportWindow::createControls()
{
    auto *layout = new QVBoxLayout(this);
    auto *intro = new WrappingLabel(QStringLiteral("CSV・TSV ファイルを開くか、当選結果のページや CSV のアドレスを入力して「取得」を押すか、"
                                                   "当選結果のページの文字を下に貼り付けて「確認」を押してください。"
                                                   "取込実行を押すまで、当選データファイルには何も書き込みません。"),
                                    this);
    layout->addWidget(intro);

    auto *sourceRow = new QHBoxLayout;
    QPushButton *open = button(QStringLiteral("ファイルを開く(&O)..."), QStringLiteral("Cmdファイル"), this);
    m_source = new QLabel(this);
    m_source->setObjectName(QStringLiteral("lbl取込元"));
    sourceRow->addWidget(open);
    sourceRow->addWidget(m_source, 1);
    layout->addLayout(sourceRow);

    auto *addressRow = new QHBoxLayout;
    auto *addressLabel = new QLabel(QStringLiteral("アドレス(&A):"), this);
    m_address = new QComboBox(this);
    m_address->setObjectName(QStringLiteral("cboアドレス"));
    m_address->setEditable(true);
    m_address->setInsertPolicy(QComboBox::NoInsert);
    m_address->addItems(RecentAddresses::load(m_addressesPath));
    m_address->lineEdit()->setPlaceholderText(QStringLiteral("https://… 当選結果のページまたは CSV"));
    addressLabel->setBuddy(m_address);
    QPushButton *fetch = button(QStringLiteral("取得(&G)"), QStringLiteral("Cmd取得"), this);
    addressRow->addWidget(addressLabel);
    addressRow->addWidget(m_address, 1);
    addressRow->addWidget(fetch);
    layout->addLayout(addressRow);

    m_paste = new QPlainTextEdit(this);
    m_paste->setObjectName(QStringLiteral("txt貼り付け"));
    m_paste->setPlaceholderText(QStringLiteral("第2131回 2026年12月3日 03 11 19 27 33 41 (08)"));
    m_paste->setMaximumHeight(Metrics::twipsToPixels(1500));
    layout->addWidget(m_paste);

    auto *checkRow = new QHBoxLayout;
    QPushButton *check = button(QStringLiteral("確認(&K)"), QStringLiteral("Cmd確認"), this);
    checkRow->addWidget(check);
    checkRow->addStretch(1);
    layout->addLayout(checkRow);

    m_summary = new WrappingLabel(QString(), this);
    m_summary->setObjectName(QStringLiteral("lbl結果"));
    layout->addWidget(m_summary);

    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName(QStringLiteral("tbl取込"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("区分"), QStringLiteral("行"), QStringLiteral("回"),
                                        QStringLiteral("取込データ"), QStringLiteral("登録済みデータ"), QStringLiteral("上書き"),
                                        QStringLiteral("内容"), QStringLiteral("当選金")});
    m_table->verticalHeader()->setVisible(false);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    // The last column is fitted by fitLastColumn, as the table's width changes.
    m_table->viewport()->installEventFilter(this);
    connect(m_table->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column) {
        if (column != LastColumn)
            fitLastColumn();
    });
    layout->addWidget(m_table, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_apply = button(QStringLiteral("取込実行(&I)"), QStringLiteral("Cmd取込実行"), this);
    QPushButton *close = button(QStringLiteral("閉じる(&C)"), QStringLiteral("Cmd閉じる"), this);
    buttons->addWidget(m_apply);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(open, &QPushButton::clicked, this, &DrawImportWindow::Cmdファイル_Click);
    connect(fetch, &QPushButton::clicked, this, &DrawImportWindow::Cmd取得_Click);
    // Enter in the address field fetches, as in a browser's address bar.
    connect(m_address->lineEdit(), &QLineEdit::returnPressed, this, &DrawImportWindow::Cmd取得_Click);
    connect(check, &QPushButton::clicked, this, &DrawImportWindow::Cmd確認_Click);
    connect(m_apply, &QPushButton::clicked, this, &DrawImportWindow::Cmd取込実行_Click);
    connect(close, &QPushButton::clicked, this, &DrawImportWindow::closeRequested);
}

void DrawImportWindow::fitLastColumn()
{
    // The last column ends at the table's right edge, with no grey strip
    // beside it (a column sized to its text alone would leave one), or
    // further where its text is longer, the table then scrolling sideways.
    const int others = m_table->horizontalHeader()->length() - m_table->columnWidth(LastColumn);
    m_table->setColumnWidth(LastColumn, std::max(m_lastWidth, m_table->viewport()->width() - others));
}

bool DrawImportWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_table->viewport() && event->type() == QEvent::Resize)
        fitLastColumn();
    return QWidget::eventFilter(watched, event);
}

void DrawImportWindow::Cmdファイル_Click()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("当選データファイルを開く"),
                                                      FileDialogs::folder(FileDialogs::Kind::DrawData),
                                                      QStringLiteral("当選データ (*.csv *.tsv *.txt);;すべてのファイル (*)"));
    FileDialogs::remember(FileDialogs::Kind::DrawData, path);
    if (!path.isEmpty())
        loadFile(path);
}

void DrawImportWindow::loadFile(const QString &path)
{
    // The preview is of the file from now on: text left in the box would
    // look as if it were being imported too.
    m_paste->clear();
    setCursor(Qt::WaitCursor);
    const BoundedInput::Result input = BoundedInput::readFile(path);
    unsetCursor();
    if (!input.ok()) {
        m_ask(Messages::error(input.problem));
        return;
    }
    preview(DrawImport::readBytes(input.bytes), QFileInfo(path).absoluteFilePath());
}

void DrawImportWindow::Cmd取得_Click()
{
    const DrawImport::WebAddress address = DrawImport::parseWebAddress(m_address->currentText());
    if (!address.problem.isEmpty()) {
        m_ask(Messages::error(address.problem));
        return;
    }
    const QString typed = address.url.toString();
    DrawImport::Fetched fetched;
    UpdateProgressDialog::withProgress(this, QStringLiteral("当選データを取得しています。\n%1").arg(typed), {},
                                       [&](const DrawDataUpdate::TransferOptions &options) {
                                           fetched = DrawImport::fetch(address.url, options);
                                       });
    if (fetched.status == DrawImport::Fetched::Status::Cancelled)
        return;
    if (!fetched.ok()) {
        m_ask(Messages::error(fetched.message + QStringLiteral("\n当選データファイルには何も書き込んでいません。")));
        return;
    }
    // Offered first from now on; a list that cannot be saved costs nothing
    // but the offer.
    RecentAddresses::remember(m_addressesPath, typed);
    m_address->clear();
    m_address->addItems(RecentAddresses::load(m_addressesPath));
    m_address->setCurrentText(typed);

    // The preview is of the page from now on.
    m_paste->clear();
    QString source = typed;
    if (fetched.url != address.url)
        source += QStringLiteral("（転送先: %1）").arg(fetched.url.toString());
    const std::vector<DrawImport::RowError> errors = fetched.web.read.errors;
    const bool noDraws = fetched.web.read.draws.empty();
    preview(std::move(fetched.web.read), source);
    if (noDraws) {
        m_ask(Messages::error(QStringLiteral("「%1」からは当選データを読み取れませんでした。\n%2当選データファイルには何も書き込んでいません。")
                                  .arg(typed, errors.empty() ? QString() : errors.front().reason + QLatin1Char('\n'))));
    }
}

void DrawImportWindow::Cmd確認_Click()
{
    const QString text = m_paste->toPlainText();
    if (const QString problem = BoundedInput::check(text, QStringLiteral("貼り付けた文字")); !problem.isEmpty()) {
        m_ask(Messages::error(problem));
        return;
    }
    preview(DrawImport::read(text), QStringLiteral("貼り付けた文字"));
}

void DrawImportWindow::preview(DrawImport::ReadResult read, const QString &sourceName)
{
    setCursor(Qt::WaitCursor);
    try {
        m_plan = DrawImport::preview(read, m_databasePath, m_ledgerPath);
    } catch (const DatabaseError &error) {
        unsetCursor();
        m_plan = {};
        showPlan();
        m_ask(Messages::error(error.message()));
        return;
    }
    m_read = std::move(read);
    m_sourceName = sourceName;
    m_source->setText(QStringLiteral("取込元: %1").arg(sourceName));
    showPlan();
    unsetCursor();
}

void DrawImportWindow::showPlan()
{
    using Kind = DrawImport::PlanEntry::Kind;
    m_table->setRowCount(int(m_plan.entries.size()));
    for (int row = 0; row < int(m_plan.entries.size()); ++row) {
        const DrawImport::PlanEntry &entry = m_plan.entries[size_t(row)];
        QString incoming;
        if (entry.incoming) {
            incoming = DrawImport::numbersText(*entry.incoming);
            if (entry.incoming->date.isValid())
                incoming += QStringLiteral("  ") + entry.incoming->date.toString(QStringLiteral("yyyy/MM/dd"));
        }
        const QString cells[ColumnCount] = {
            DrawImport::kindName(entry.kind),
            QString::number(entry.line),
            entry.drawNo > 0 ? QString::number(entry.drawNo) : QString(),
            incoming,
            entry.stored ? DrawImport::numbersText(*entry.stored) : QString(),
            QString(),
            DrawImport::entryNote(entry),
            // A tier a line: the table stays narrow enough to read.
            entry.incoming ? DrawImport::prizesText(*entry.incoming, QStringLiteral("\n")) : QString(),
        };
        for (int column = 0; column < ColumnCount; ++column) {
            QTableWidgetItem *item = cell(cells[column]);
            item->setBackground(kindColour(entry.kind));
            if (column == OverwriteColumn && entry.overwritable()) {
                item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
                item->setCheckState(Qt::Unchecked);
                item->setText(QStringLiteral("上書き"));
            }
            m_table->setItem(row, column, item);
        }
    }
    m_table->resizeColumnsToContents();
    m_table->resizeRowsToContents();
    m_lastWidth = m_table->columnWidth(LastColumn);
    fitLastColumn();

    QString summary = QStringLiteral("追加 %1 件、同一 %2 件、相違 %3 件、エラー %4 件")
                          .arg(m_plan.count(Kind::Add))
                          .arg(m_plan.count(Kind::Identical))
                          .arg(m_plan.count(Kind::Different))
                          .arg(m_plan.count(Kind::Error));
    if (!overwritableDraws(m_plan).empty())
        summary += QStringLiteral("\n相違の回と購入記録と違う当選金額は、「上書き」に印を付けたものだけを書き換えます。");
    for (const QString &gap : m_plan.gapWarnings)
        summary += QStringLiteral("\n警告: ") + gap;
    for (const QString &note : m_plan.notes)
        summary += QStringLiteral("\n注意: ") + note;
    m_summary->setText(summary);
    m_apply->setEnabled(!m_plan.entries.empty());
}

std::set<int> DrawImportWindow::tickedOverwrites() const
{
    std::set<int> ticked;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const QTableWidgetItem *item = m_table->item(row, OverwriteColumn);
        if (item && (item->flags() & Qt::ItemIsUserCheckable) && item->checkState() == Qt::Checked)
            ticked.insert(m_plan.entries[size_t(row)].drawNo);
    }
    return ticked;
}

void DrawImportWindow::Cmd取込実行_Click()
{
    setCursor(Qt::WaitCursor);
    const DrawImport::ApplyResult result = DrawImport::apply(m_plan, tickedOverwrites());
    unsetCursor();
    const bool wrote = result.wroteAnything();
    if (result.prizes > 0)
        Q_EMIT ledgerChanged();
    if (wrote)
        Q_EMIT databaseChanged();
    if (!result.ok) {
        m_ask(Messages::error(result.message));
        if (wrote)
            preview(m_read, m_sourceName);
        return;
    }
    m_ask(Messages::information(
        result.added + result.overwritten > 0
            ? result.message + QStringLiteral("\n開いている分析ウィンドウと予想には、新しいデータが反映されました。")
            : result.message));
    // What is stored now: the written draws show as 同一.
    if (wrote)
        preview(m_read, m_sourceName);
}
