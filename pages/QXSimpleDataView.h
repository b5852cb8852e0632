// The page view of a kind with one main page and the description page: its
// constructor sets the main page's id and View-menu text, CreatePages adds
// the kind's page and a description page.
#pragma once

#include "pages/QXDescriptionPage.h"
#include "pages/QXPageView.h"

#define QX_SIMPLE_DATA_VIEW(View, Page, pageId, menuText) \
  View::View(QWidget* parent) : CQXDataPageView(parent) { \
    mainPageId = pageId;                                  \
    mainPageMenuText = menuText;                          \
  }                                                       \
  BOOL View::CreatePages() {                              \
    AddPage(new Page);                                    \
    AddPage(new CQXDescriptionPage);                      \
    return TRUE;                                          \
  }
