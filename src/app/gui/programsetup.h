#pragma once

#include <QIcon>

class QApplication;

// What every window of the program shares from the start: Qt's own texts in
// Japanese and the program's icon.
namespace ProgramSetup {

// The name of the desktop entry and of the icon in the icon theme.
inline const QString DesktopName = QStringLiteral("loto6kermon");

// Loads Qt's Japanese translation (qtbase_ja.qm), so that the buttons of
// message boxes read はい / いいえ / OK / キャンセル and the file and print
// dialogs are Japanese. Returns false when the translation is not installed:
// the dialogs stay in English and nothing else changes.
bool installQtTranslation(QApplication &app);

// The program's icon, a lottery ball with 6, at every size it is drawn in.
QIcon programIcon();

// Both, plus the icon as every window's default and the desktop entry's name.
// With Icon::Later the icon waits for setIconNow(): its seven sizes take a
// decode and a large property on every window, which a start does after
// its first frame.
enum class Icon { Now, Later };
void apply(QApplication &app, Icon icon = Icon::Now);
// The icon as every window's default, unless it is already.
void setIconNow();

} // namespace ProgramSetup
