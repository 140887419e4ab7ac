#pragma once

// Shared pieces of the widget tests: a program folder with a draw database
// of the test's own, and a message presenter that records and answers.

#include "ui/gui/messages.h"

#include <QList>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

class DrawImportWindow;
class MainFrm;
class QWidget;

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

// Works in a folder of its own for as long as it lives: the options file
// and the ticket ledger of a program run from its folder lie in the working
// directory.
class WorkingDirectory
{
public:
    WorkingDirectory();
    ~WorkingDirectory();
    QString ledgerPath() const;

private:
    QTemporaryDir m_dir;
    QString m_previous;
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

// The folder and file a file dialog offered when it opened.
struct OfferedFile
{
    QString folder;
    QString file; // the full path of the suggested file, or empty
    bool seen = false;
};

// Answers the next file dialog that opens, as a user would: notes what it
// offers, then chooses `choose` (a full path), or cancels when it is empty.
std::shared_ptr<OfferedFile> answerNextFileDialog(const QString &choose);

// Points the user's home and configuration folders at a temporary folder
// for the rest of the test program, so that nothing it remembers reaches
// the real ones.
void useTemporaryHome(const QTemporaryDir &home);

// Clicks キャンセル in a download's progress dialog inside window as soon as
// it shows a byte received, for as long as it lives; seen is the dialog's
// text at that moment.
class CancelWhenReceiving
{
public:
    explicit CancelWhenReceiving(QWidget &window);
    QString seen;

private:
    QTimer m_watcher;
};

// The main window shown on screen at 1280 × 960, loaded, every message
// answered OK, with 当選データ取込 open: the scene of its pictures. Null
// when the window cannot be loaded.
DrawImportWindow *showImportWindow(MainFrm &window);
