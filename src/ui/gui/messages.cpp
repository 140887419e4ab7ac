#include "ui/gui/messages.h"

#include <QAbstractButton>

namespace Messages {

MessageRequest error(const QString &text)
{
    return {QMessageBox::Critical, ErrorTitle, text, QMessageBox::Ok, QMessageBox::Ok};
}

MessageRequest confirm(const QString &text)
{
    return {QMessageBox::Warning, ProgramTitle, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No};
}

MessageRequest information(const QString &text)
{
    return {QMessageBox::NoIcon, ProgramTitle, text, QMessageBox::Ok, QMessageBox::Ok};
}

QMessageBox::StandardButton showBox(QWidget *parent, const MessageRequest &request)
{
    QMessageBox box(request.icon, request.title, request.text, request.buttons, parent);
    box.setDefaultButton(request.defaultButton);
    for (const auto &[button, text] : request.buttonTexts) {
        if (QAbstractButton *shown = box.button(button))
            shown->setText(text);
    }
    box.setEscapeButton(request.buttons.testFlag(QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok);
    return QMessageBox::StandardButton(box.exec());
}

} // namespace Messages
