#include "app/gui/windowcontext.h"

#include "store/drawdatabase.h"
#include "store/drawstore.h"
#include "store/runtimeerror.h"

#include <QWidget>

void WindowContext::follow(QWidget *window, std::function<void(const DrawHistoryStore &)> recompute) const
{
    store.onChanged(window, [window, recompute = std::move(recompute), &draws = store, tell = ask] {
        try {
            recompute(draws.history());
        } catch (const RuntimeError &error) {
            // The child window's frame, when it has one, closes with it.
            QWidget *frame = window->parentWidget() ? window->parentWidget() : window;
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

QString WindowContext::databasePath() const
{
    return store.history().DatabasePath;
}
