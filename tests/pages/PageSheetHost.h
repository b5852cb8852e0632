// A page alone in a property sheet on a shown, active window, and a page
// whose selected entry the test hands it.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QWidget>

#include <functional>
#include <memory>

#include "classlib/OrvoPropertySheet.h"
#include "datamodel/QXDocEntry.h"

namespace tallix::test {

// A page whose selected entry comes from the test.
template <class Page>
class SelectedEntryPage : public Page {
 public:
  std::function<CQXDocEntry*()> current;
  BOOL FetchCurrentItem(std::unique_ptr<CQXDocEntry>* entry) override {
    entry->reset(current ? current() : nullptr);
    return *entry != nullptr;
  }
};

class PageSheetHost {
 public:
  ~PageSheetHost() {
    if (sheet) sheet->DestroyWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  // Shows `page` (the test keeps it) in a sheet of its own.
  void show(CPropertyPage* page) {
    window.resize(500, 400);
    sheet = new COrvoChildPropertySheet(QString(), &window, 0);
    sheet->AddPage(page);
    ASSERT_TRUE(sheet->Create(&window));
    sheet->setGeometry(0, 0, 500, 400);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  QWidget window;
  QPointer<COrvoChildPropertySheet> sheet;
};

}  // namespace tallix::test
