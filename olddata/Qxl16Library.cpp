// The old-data provider library QXL16Data.
#include "olddata/Qxl16Export.h"
