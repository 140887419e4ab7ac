// For the executables that link the parts in: tests and tools.
#include "ui/gui/ondemand.h"

extern "C" const OnDemand::Parts *loto6kermon_parts();

const OnDemand::Parts *OnDemand::parts(QString *)
{
    return loto6kermon_parts();
}
