#pragma once

// Shared pieces of the widget tests: a program folder with a draw database
// of the test's own, and a message presenter that records and answers.

#include "ui/gui/messages.h"

#include <QList>
#include <QTemporaryDir>

class MainFrm;

// A temporary program folder holding Loto6Kermon.mdb made from CSV rows
// (without header) or, when rows is empty, from the bundled history.
class ProgramFolder
{
public:
    explicit ProgramFolder(const QString &csvRows = {});
    QString path() const { return m_dir.path(); }
    QString databasePath() const;

private:
    QTemporaryDir m_dir;
};

// Records every message box and answers with the next queued button (No
// when nothing is queued, as a cautious user would).
class MessageRecorder
{
public:
    void install(MainFrm &window);
    QList<MessageRequest> shown;
    QList<QMessageBox::StandardButton> answers;
};
