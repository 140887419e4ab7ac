#pragma once

#include <QRect>
#include <QSize>

class QMdiArea;
class QWidget;
class QWindow;

// How the main window sits on the screen and how its child windows are laid
// out, apart from the window class itself.
namespace WindowArrangement {

// The main window's client geometry: the designed size where the screen's
// available area has room for it and its frame, otherwise that area less the
// frame; kept inside the area. frame is the space the window manager's
// decorations take (left + right, top + bottom).
QRect fitOnScreen(const QSize &designed, const QRect &available, const QSize &frame);

// Cascade that keeps every child window's size: each next window one title
// bar lower and to the right, starting again at the corner when the next
// one would leave no title bar to grab. The active window ends on top.
void cascade(QMdiArea *area);

// The four arrangements of the ウィンドウ menu, numbered by the codes the
// platform's arrange call takes.
enum class Layout { Cascade = 0, OneAboveTheOther = 1, SideBySide = 2, Icons = 3 };
void arrange(QMdiArea *area, Layout layout);

// True when the window is another top-level window of the program in its
// own right (the about window, the help viewer); false for its dialogs (message
// boxes, file dialogs, progress), its pop-ups and menus, and for anything
// that is not the program's.
bool isOwnWindow(QWindow *window);

} // namespace WindowArrangement
