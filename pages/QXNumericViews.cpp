#include "pages/QXNumericViews.h"

#include "pages/QXDescriptionPage.h"
#include "pages/QXNumericPages.h"

namespace {

template <class Page>
BOOL addPages(CQXPageView* view) {
  view->AddPage(new Page);
  view->AddPage(new CQXDescriptionPage);
  return TRUE;
}

}  // namespace

#define QX_NUMERIC_VIEW(View, Page, pageId, menuText)                   \
  View::View(QWidget* parent) : CQXDataPageView(parent) {              \
    mainPageId = pageId;                                               \
    mainPageMenuText = menuText;                                       \
  }                                                                    \
  BOOL View::CreatePages() { return addPages<Page>(this); }

QX_NUMERIC_VIEW(CQXMatrixDataView, CQXMatrixDataPage, 624, 10024)
QX_NUMERIC_VIEW(CQXListDataView, CQXListDataPage, 625, 10020)
QX_NUMERIC_VIEW(CQXGraphFactorDataView, CQXGraphFactorDataPage, 643, 10027)
QX_NUMERIC_VIEW(CQXTableRangeDataView, CQXTableRangeDataPage, 643, 10028)
QX_NUMERIC_VIEW(CQXVariableDataView, CQXVariableDataPage, 643, 10030)
QX_NUMERIC_VIEW(CQXVWinDataView, CQXVWinDataPage, 643, 10026)
