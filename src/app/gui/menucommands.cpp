#include "app/gui/menucommands.h"

#include "analysis/catalog.h"
#include "analysis/gui/analysisframe.h"
#include "analysis/gui/randomnesswindow.h"
#include "app/gui/mainfrm.h"
#include "app/gui/windowcontext.h"
#include "maintenance/drawexportfile.h"
#include "maintenance/gui/drawimportwindow.h"
#include "maintenance/gui/drawresultseditor.h"
#include "maintenance/gui/ticketwindow.h"
#include "maintenance/gui/updateprogressdialog.h"
#include "maintenance/recentaddresses.h"
#include "maintenance/ticketledgerwatch.h"
#include "prediction/backtestsheets.h"
#include "prediction/gui/backtestwindow.h"
#include "prediction/gui/predictionwindow.h"
#include "prediction/gui/wheelwindow.h"
#include "store/datalocation.h"
#include "store/drawstore.h"
#include "ui/gui/filedialogs.h"
#include "ui/gui/subwindow.h"
#include "ui/tableoutput.h"

#include <QApplication>
#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace MenuCommands {

namespace {

const QString UpdateQuestion = QStringLiteral("当選データを最新のものに置き換えます。入力・取込したデータは置き換わります"
                                              "（元のファイルは Loto6Kermon.mdb.bak に残します）。よろしいですか？");

// The prediction as the prediction window shows it now, for the windows that
// take numbers from it.
std::function<PredictionEngine()> currentPrediction(const WindowContext &context)
{
    return [&context] {
        PredictionEngine engine;
        engine.setFlags(context.prediction.flags());
        engine.SetUpPredictionGrids(context.store.history());
        return engine;
    };
}

// The four predictions as 予想から追加 offers them, made when one is chosen.
std::vector<TicketWindow::LineSource> predictionLines(const WindowContext &context)
{
    std::vector<TicketWindow::LineSource> sources;
    for (TicketSources::Source source : TicketSources::AllSources) {
        sources.push_back({TicketSources::sourceName(source), [&context, source] {
                               const PredictionEngine engine = currentPrediction(context)();
                               TicketWindow::Offer offer{TicketSources::lines(engine, source), 0};
                               if (TicketSources::offersEverySix(source))
                                   offer.everySixOf = int(TicketSources::shownNumbers(engine, source).size());
                               return offer;
                           }});
    }
    return sources;
}

// 買い目作成 brought up, with the numbers of a prediction as candidates when
// one is named.
void openWheels(const WindowContext &context, std::optional<TicketSources::Source> source = std::nullopt)
{
    auto *window = qobject_cast<WheelWindow *>(context.open(wheels()));
    if (window && source)
        window->useSource(*source);
}

} // namespace

WindowFactory analysis(const AnalysisWindow &description)
{
    return {description.className, description.heightTwips, description.widthTwips,
            [&description](const WindowContext &context) -> QWidget * {
                const DrawHistoryStore &history = context.store.history();
                auto *frame = new AnalysisFrame(description, description.build(history), nullptr,
                                                TableOutput::drawRange(history));
                context.follow(frame, [frame](const DrawHistoryStore &newer) { frame->recompute(newer); });
                return frame;
            }};
}

WindowFactory prediction()
{
    return {PredictionEngine::WindowName, 8400, 9360, [](const WindowContext &context) -> QWidget * {
                auto *window = new PredictionWindow(context.prediction, context.store.history());
                context.follow(window, [window](const DrawHistoryStore &newer) { window->recompute(newer); });
                QObject::connect(window, &PredictionWindow::wheelRequested, window,
                                 [&context](TicketSources::Source source) { openWheels(context, source); });
                return window;
            }};
}

WindowFactory backtest()
{
    return {BacktestSheets::WindowName, 11400, 18600, [](const WindowContext &context) -> QWidget * {
                auto *window = new BacktestWindow(context.store.history(), context.prediction.flags());
                context.follow(window, [window](const DrawHistoryStore &) { window->markOutdated(); });
                return window;
            }};
}

WindowFactory randomness()
{
    return {RandomnessWindow::ClassName, RandomnessWindow::HeightTwips, RandomnessWindow::WidthTwips,
            [](const WindowContext &context) -> QWidget * {
                auto *window = new RandomnessWindow(context.store.history());
                context.follow(window, [window](const DrawHistoryStore &) { window->markOutdated(); });
                return window;
            }};
}

WindowFactory tickets()
{
    return {TicketWindow::ClassName, TicketWindow::HeightTwips, TicketWindow::WidthTwips,
            [](const WindowContext &context) -> QWidget * {
                // The ledger lives apart from the draw database, which an
                // update replaces.
                auto *window = new TicketWindow(TicketLedger::open(context.ledger.path()),
                                                TicketWindow::currentResults(context.store.history()),
                                                predictionLines(context), context.ask);
                context.follow(window, [window](const DrawHistoryStore &newer) {
                    window->setResults(TicketWindow::currentResults(newer));
                });
                context.followLedger(window, [window] { window->reloadLedger(); });
                QObject::connect(window, &TicketWindow::wheelRequested, window, [&context] { openWheels(context); });
                return window;
            }};
}

WindowFactory wheels()
{
    return {WheelWindow::ClassName, WheelWindow::HeightTwips, WheelWindow::WidthTwips,
            [](const WindowContext &context) -> QWidget * {
                auto *window = new WheelWindow(context.store.history(), currentPrediction(context),
                                               context.ledger.path(), context.ask);
                context.follow(window, [window](const DrawHistoryStore &newer) { window->recompute(newer); });
                // Every window showing the ledger reads it again; the new
                // lines come into view where the user keeps the tickets.
                QObject::connect(window, &WheelWindow::ticketsAdded, window, [&context] {
                    context.ledgerWritten();
                    context.open(MenuCommands::tickets());
                });
                return window;
            }};
}

void updateDrawData(MainFrm &frame)
{
    const WindowContext *context = frame.context();
    if (!context)
        return;
    if (frame.childWindow(DrawResultsEditor::ClassName)) {
        frame.message(Messages::error(QStringLiteral("当選データ入力を閉じてから当選データ最新化を実行してください。")));
        return;
    }
    // The draws entered or imported by hand are replaced as well: the user
    // decides first, and learns where the old file is kept.
    if (frame.message(Messages::confirm(UpdateQuestion)) != QMessageBox::Yes)
        return;
    frame.setCursor(Qt::WaitCursor);
    QApplication::processEvents();
    // A download older than the database would take draws away: asked again.
    const auto replaceOlder = [&frame](const DrawDataUpdate::OlderDownload &download) {
        return frame.message(Messages::confirm(download.question())) == QMessageBox::Yes;
    };
    const DrawDataUpdate::Result result = UpdateProgressDialog::run(
        &frame, frame.downloadUrl(), DataLocation::databaseFile(frame.programFolder()), {}, replaceOlder);
    // Every open window shows the new draws before the user reads the outcome.
    if (result.succeeded())
        context->drawsWritten();
    frame.unsetCursor();
    if (!result.unreachable) {
        frame.message(result.isFault() ? Messages::error(result.message) : Messages::information(result.message));
        return;
    }
    // Where the provider's server cannot be reached, the draws can still
    // come from a results page the user knows.
    MessageRequest offer = Messages::error(
        result.message + QStringLiteral("\n\n当選結果のページや CSV のアドレスがわかれば、当選データ取込でそこから取り込めます。"));
    offer.buttons = QMessageBox::Ok | QMessageBox::Open;
    offer.buttonTexts = {{QMessageBox::Open, QStringLiteral("当選データ取込（URL）...")}};
    if (frame.message(offer) == QMessageBox::Open)
        openImport(frame);
}

void openEditor(MainFrm &frame)
{
    if (!frame.propEnd()) {
        frame.message(Messages::error(QStringLiteral("表示中のウィンドウを閉じないと実行できません。")));
        frame.unsetCursor();
        return;
    }
    QWidget *content = frame.openWindow({DrawResultsEditor::ClassName, DrawResultsEditor::HeightTwips,
                                         DrawResultsEditor::WidthTwips, [](const WindowContext &context) -> QWidget * {
                                             // A connection of its own, opened for writing.
                                             auto *editor = new DrawResultsEditor(
                                                 DrawRecordEditor::open(context.store.history().DatabasePath), context.ask);
                                             QObject::connect(editor, &DrawResultsEditor::drawsWritten, editor,
                                                              [&context] { context.drawsWritten(); });
                                             return editor;
                                         }});
    // No minimise and no maximise button.
    if (QMdiSubWindow *window = enclosingSubWindow(content)) {
        window->setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                               | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
        window->show();
        frame.mdiArea()->setActiveSubWindow(window);
        content->setFocus();
    }
}

void openImport(MainFrm &frame)
{
    if (frame.childWindow(DrawResultsEditor::ClassName)) {
        frame.message(Messages::error(QStringLiteral("当選データ入力を閉じないと実行できません。")));
        return;
    }
    frame.openWindow({DrawImportWindow::ClassName, DrawImportWindow::HeightTwips, DrawImportWindow::WidthTwips,
                      [](const WindowContext &context) -> QWidget * {
                          auto *window = new DrawImportWindow(context.databasePath(), context.ledger.path(),
                                                              RecentAddresses::defaultPath(context.programFolder),
                                                              context.ask);
                          QObject::connect(window, &DrawImportWindow::databaseChanged, window,
                                           [&context] { context.drawsWritten(); });
                          // The prize amounts it recorded, in the ticket window at once.
                          QObject::connect(window, &DrawImportWindow::ledgerChanged, window,
                                           [&context] { context.ledgerWritten(); });
                          return window;
                      }});
}

void exportDraws(MainFrm &frame)
{
    const WindowContext *context = frame.context();
    if (!context)
        return;
    const QString utf8 = QStringLiteral("CSV UTF-8 BOM付き (*.csv)");
    const QString shiftJis = QStringLiteral("CSV Shift_JIS (*.csv)");
    QString filter = utf8;
    // Named after what it is, as every other save is after its window.
    const QString caption = QStringLiteral("当選データ書出し");
    const QString out = QFileDialog::getSaveFileName(&frame, caption,
                                                     FileDialogs::suggestion(FileDialogs::Kind::DrawData, caption + QStringLiteral(".csv")),
                                                     utf8 + QStringLiteral(";;") + shiftJis, &filter);
    FileDialogs::remember(FileDialogs::Kind::DrawData, out);
    if (out.isEmpty())
        return;
    frame.setCursor(Qt::WaitCursor);
    const DrawExport::Result result = DrawExport::save(context->databasePath(), out,
                                                       filter == shiftJis ? DrawExport::Encoding::ShiftJis : DrawExport::Encoding::Utf8Bom);
    frame.unsetCursor();
    frame.message(result.ok ? Messages::information(result.message) : Messages::error(result.message));
}

} // namespace MenuCommands
