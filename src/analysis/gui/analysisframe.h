#pragma once

#include "analysis/catalog.h"
#include "ui/gui/sheetprinter.h"

#include <QImage>
#include <QWidget>

#include <memory>

class QLabel;
class QPushButton;
class SheetView;
class TableActions;
class WrappingLabel;

// The one window frame of every analysis: Command1 "閉じる", Label1 with the
// description, the legend, Command2 "印刷" where the window has one, and the
// grid fpSpread1 showing the table its build function computed. The table is
// computed when the frame is created, and again when the draws change.
class AnalysisFrame : public QWidget
{
    Q_OBJECT

public:
    // Builds the table (throws RuntimeError when the build fails, so the
    // window never opens half made) and lays out the controls. drawRange
    // ("第1回〜第N回") heads the printed pages.
    AnalysisFrame(const AnalysisWindow &description, Sheet sheet, QWidget *parent = nullptr,
                  const QString &drawRange = {});
    ~AnalysisFrame() override;

    // Computes the table again from a newer history and shows it in place,
    // scrolled as before with the same cells selected. Throws RuntimeError,
    // leaving the window as it was.
    void recompute(const DrawHistoryStore &store);

    const AnalysisWindow &description() const { return m_description; }
    SheetView *grid() const { return m_grid; }
    // Print, PDF, CSV, copy with captions and 回数へ移動.
    TableActions *tableActions() const { return m_actions; }

    // The window's table as it prints, without a window.
    static SheetPrinter::Document printDocument(const AnalysisWindow &description, const DrawHistoryStore &store);
    static SheetPrinter::Document printDocument(const AnalysisWindow &description, const Sheet &sheet,
                                                const QString &drawRange);

    // The window as it shows on screen, drawn offscreen.
    static QImage render(const AnalysisWindow &description, const DrawHistoryStore &store);

Q_SIGNALS:
    void closeRequested();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layOutGrid();

    const AnalysisWindow &m_description;
    QString m_drawRange;
    SheetView *m_grid = nullptr;
    QPushButton *m_close = nullptr;
    QPushButton *m_print = nullptr;
    WrappingLabel *m_label = nullptr;
    QWidget *m_strip = nullptr;
    TableActions *m_actions = nullptr;
};
