#pragma once

#include "store/globalbas.h"

#include <QString>

// The store's derived tables as one JSON object:
// {"LastDrawNo":n,"NumberTotal":[43 values for 1…43],"MaxTotal":n,"TotalGroups":[…],"TotalGroupRows":n}
QString storeSummaryJson(const DrawHistoryStore &store);
