#pragma once

#include "ui/gui/messages.h"

#include <QString>

#include <functional>

class DrawStore;
class PredictionEngine;
class TicketLedgerWatch;
class QWidget;
struct DrawHistoryStore;
struct WindowFactory;

// What the menu's window factories get instead of the main window: the few
// things the windows use.
struct WindowContext
{
    // The draws, kept current; a window follows them through follow().
    DrawStore &store;
    // The reflect flags (and the prediction window's tables), from the
    // start's ReadInitFile to the exit's WriteInitFile.
    PredictionEngine &prediction;
    // The ticket ledger's file and its change notification.
    TicketLedgerWatch &ledger;
    // The executable's folder: DataLocation says where the data lives for it.
    QString programFolder;
    // Shows a message box (through the main window's presenter) and returns
    // the button chosen.
    std::function<QMessageBox::StandardButton(const MessageRequest &)> ask;
    // Opens another window of the program as its menu entry does (or brings
    // it to the front) and returns its content; nullptr when it cannot open.
    std::function<QWidget *(const WindowFactory &)> open;

    // Recomputes what window shows from the new history whenever the draws
    // change, for as long as the window lives. A recomputation that fails
    // (RuntimeError) closes the window with a message naming it, as a window
    // that cannot be computed never opens.
    void follow(QWidget *window, std::function<void(const DrawHistoryStore &)> recompute) const;

    // The draw database was written: the store reads it again and every
    // window that follows it recomputes. A database that cannot be read any
    // more is told; the windows keep what they show.
    void drawsWritten() const;

    // Reads the ledger again (reload) whenever a window of the program wrote
    // to it, for as long as window lives.
    void followLedger(QWidget *window, std::function<void()> reload) const;
    // A window wrote to the ticket ledger: every window showing it reads it again.
    void ledgerWritten() const;

    // The draw database file the store reads.
    QString databasePath() const;
};
