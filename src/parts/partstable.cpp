// The entry point of the parts that need Qt Charts, Qt Print Support or Qt
// Network, whether they are linked in or loaded as a module.
#include "analysis/gui/randomnesswindow.h"
#include "maintenance/gui/updateprogressdialog.h"
#include "prediction/gui/backtestwindow.h"
#include "ui/gui/ondemand.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT const OnDemand::Parts *loto6kermon_parts()
{
    static const OnDemand::Parts parts{
        &SheetPrinter::preview,
        &SheetPrinter::writePdf,
        [](const DrawHistoryStore &store, const ReflectFlags &flags) -> QWidget * {
            return new BacktestWindow(store, flags);
        },
        [](const DrawHistoryStore &store) -> QWidget * { return new RandomnessWindow(store); },
        &UpdateProgressDialog::run,
    };
    return &parts;
}
