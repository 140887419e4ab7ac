#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

// What a message box would show; windows describe it, a presenter shows it.
// Tests install a presenter that records the request and answers for the user.
struct MessageRequest
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::Ok;
    // Buttons that say what they do rather than Qt's word for them.
    std::vector<std::pair<QMessageBox::StandardButton, QString>> buttonTexts = {};
};

using MessagePresenter = std::function<QMessageBox::StandardButton(QWidget *parent, const MessageRequest &)>;

namespace Messages {

// The program's title, the caption of information and confirmation boxes.
inline const QString ProgramTitle = QStringLiteral("ロト6ケルモンLite");
// Caption of error and refusal boxes; the fourth character is U+FF0D.
inline const QString ErrorTitle = QStringLiteral("メッセ－ジ");

// Critical icon, caption "メッセ－ジ", OK.
MessageRequest error(const QString &text);
// Exclamation icon, Yes/No with No as the default, the program's title.
MessageRequest confirm(const QString &text);
// No icon, OK only, the program's title.
MessageRequest information(const QString &text);

// Shows the request in a real QMessageBox and returns the button chosen,
// the box at least as wide as a title bar needs for the whole caption.
QMessageBox::StandardButton showBox(QWidget *parent, const MessageRequest &request);

} // namespace Messages
