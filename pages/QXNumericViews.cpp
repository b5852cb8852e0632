#include "pages/QXNumericViews.h"

#include "pages/QXNumericPages.h"
#include "pages/QXSimpleDataView.h"

QX_SIMPLE_DATA_VIEW(CQXMatrixDataView, CQXMatrixDataPage, 624, 10024)
QX_SIMPLE_DATA_VIEW(CQXListDataView, CQXListDataPage, 625, 10020)
QX_SIMPLE_DATA_VIEW(CQXGraphFactorDataView, CQXGraphFactorDataPage, 643, 10027)
QX_SIMPLE_DATA_VIEW(CQXTableRangeDataView, CQXTableRangeDataPage, 643, 10028)
QX_SIMPLE_DATA_VIEW(CQXVariableDataView, CQXVariableDataPage, 643, 10030)
QX_SIMPLE_DATA_VIEW(CQXVWinDataView, CQXVWinDataPage, 643, 10026)
