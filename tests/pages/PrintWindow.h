// The main window with the print views' functions, for the print tests
// that drive it.
#pragma once

#include "PageTestSupport.h"

#include "app/QXMainFrame.h"
#include "app/QXTreeView.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXItemFactory.h"
#include "pages/QXDefaultPages.h"
#include "pages/QXDescriptionPage.h"
#include "pages/QXPrintView.h"
#include "pages/QXViewTable.h"
#include "platform/CmdUI.h"

#include <QString>
#include <gtest/gtest.h>

#include <memory>

namespace tallix::test {

class PrintWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterQXPageClasses();
    CQXMainFrame::SetPrintFunctions({&CanPrintCurrentItem, &PrintCurrentItem});
  }
  void TearDown() override { CQXMainFrame::SetPrintFunctions({}); }
  // Shows the description page of an item whose description has `lines`.
  CQXDescriptionEdit* showDescription(int lines) {
    PageTree::path = "\\Calculator\\Sauvegarde\\B";
    auto entry = std::make_unique<CQXDocEntry>();
    entry->SetPath(PageTree::path.c_str());
    entry->SetItem(CreateItemByTypeId(4018));
    w.doc.SaveItem(entry.get(), nullptr);
    TreeSelectionInfo selection;
    w.frame->GetTreeView()->GetSelection(&selection);
    EXPECT_TRUE(ShowSelectionView(selection, FALSE));
    auto* view = qobject_cast<CQXDefaultDataView*>(w.frame->GetContentView());
    if (!view) return nullptr;
    view->EnableSheet(TRUE);
    view->ShowPage(620);
    auto* page = qobject_cast<CQXDescriptionPage*>(view->GetSheet()->GetActivePage());
    if (!page) return nullptr;
    QString text;
    for (int i = 0; i < lines; ++i) text += QStringLiteral("Ligne %1\n").arg(i);
    page->GetEdit()->setPlainText(text);
    return page->GetEdit();
  }
  bool enabled(UINT id) {
    CCmdUI ui;
    ui.m_nID = id;
    ui.DoUpdate(w.frame, TRUE);
    return ui.m_bEnabled;
  }
  PageWindow w;
};

}  // namespace tallix::test
