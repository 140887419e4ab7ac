#pragma once

#include <QString>

#include <functional>
#include <variant>

class MainFrm;
class QWidget;
struct AnalysisWindow;
struct WindowContext;

// A child window a menu entry opens: one per class name, at the top-left
// corner of the main window with its size in twips. create may throw
// RuntimeError or DatabaseError: the window does not open and the user is
// told why. A window that shows draws follows them (WindowContext::follow).
struct WindowFactory
{
    QString className;
    int heightTwips = 0;
    int widthTwips = 0;
    std::function<QWidget *(const WindowContext &)> create;
};

// What a menu entry does when it is chosen: open its window, or run a
// command on the main window. Entries with a sub-menu do nothing.
using MenuCommand = std::function<void(MainFrm &)>;
using MenuAction = std::variant<std::monostate, WindowFactory, MenuCommand>;

// The actions of the menu entries that do more than one thing.
namespace MenuCommands {

WindowFactory analysis(const AnalysisWindow &description);
WindowFactory prediction();
WindowFactory backtest();
WindowFactory randomness();
WindowFactory tickets();
// 買い目作成: lines over candidate numbers, priced, tried on the past and
// sent to the ledger.
WindowFactory wheels();

// 当選データ最新化: refused while the editor is open (it would go on writing
// to the replaced file); asks first, since draws entered or imported here
// are replaced too; the store follows a successful update.
void updateDrawData(MainFrm &frame);
// 当選データ入力: only while no analysis-type window is open (propEnd).
void openEditor(MainFrm &frame);
// 当選データ取込: refused while the editor is open; the two must not write
// the same file at the same time.
void openImport(MainFrm &frame);
// 当選データ書出し...: every record as a CSV file the user chooses.
void exportDraws(MainFrm &frame);

} // namespace MenuCommands
