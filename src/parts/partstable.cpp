// The entry point of the parts that need Qt Charts and Qt Print Support,
// whether they are linked in or loaded as a module.
#include "analysis/gui/randomnesswindow.h"
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
    };
    return &parts;
}
