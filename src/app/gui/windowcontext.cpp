#include "app/gui/windowcontext.h"

#include "maintenance/ticketledgerwatch.h"
#include "store/drawdatabase.h"
#include "store/drawstore.h"
#include "store/runtimeerror.h"
#include "ui/gui/subwindow.h"

#include <QWidget>

void WindowContext::follow(QWidget *window, std::function<void(const DrawHistoryStore &)> recompute) const
{
    store.onChanged(window, [window, recompute = std::move(recompute), &draws = store, tell = ask] {
        try {
            recompute(draws.history());
        } catch (const RuntimeError &error) {
            // The child window's frame, when it has one, closes with it.
            QWidget *frame = enclosingSubWindow(window);
            if (!frame)
                frame = window;
            const QString name = window->windowTitle();
            frame->close();
            tell(Messages::error(QStringLiteral("%1: %2").arg(name, error.message())));
        }
    });
}

void WindowContext::drawsWritten() const
{
    try {
        store.reload();
    } catch (const DatabaseError &error) {
        ask(Messages::error(error.message()));
    }
}

void WindowContext::followLedger(QWidget *window, std::function<void()> reload) const
{
    ledger.onChanged(window, std::move(reload));
}

void WindowContext::ledgerWritten() const
{
    ledger.written();
}

QString WindowContext::databasePath() const
{
    return store.history().DatabasePath;
}
