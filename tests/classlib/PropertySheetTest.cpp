// Property sheets and pages: lazy pages, validation on tab changes, routing
// to the active page, modal OK and Cancel, tool tips, layout in the parent,
// accelerators and the child sheet's lifetime.
#include "classlib/OrvoPropertyPage.h"
#include "classlib/OrvoPropertySheet.h"
#include "classlib/ProfileSettings.h"
#include "platform/FrameWnd.h"
#include "platform/WinApp.h"
#include "tests/support/MissingResources.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <gtest/gtest.h>

#include <new>

using tallix::test::TestEnvironment;

namespace {

constexpr UINT kPropertiesPage = 501;  // edits 1064, 1011, 1012, 1013
constexpr UINT kOptionsPage = 520;
constexpr UINT kColoursPage = 521;
constexpr UINT kHandled = 22200;
constexpr UINT kThrows = 22201;
constexpr UINT kNobodys = 22299;

int g_sheetsDeleted = 0;
int g_newCommands = 0;

struct PageLog {
  int init = 0, setActive = 0, killActive = 0, ok = 0, cancel = 0, destroyed = 0, commands = 0, offered = 0;
  QSize lastSize;
};

class TestPage : public COrvoPropertyPage {
 public:
  explicit TestPage(UINT id) : COrvoPropertyPage(id) {}
  DECLARE_MESSAGE_MAP()

  PageLog log;
  bool refuseKill = false;
  QString title;      // exchanged with edit 1064 of the properties page
  QString committed;  // what OK wrote

  BOOL OnInitDialog() override {
    ++log.init;
    return COrvoPropertyPage::OnInitDialog();
  }
  BOOL OnSetActive() override {
    ++log.setActive;
    return COrvoPropertyPage::OnSetActive();
  }
  BOOL OnKillActive() override {
    ++log.killActive;
    return refuseKill ? FALSE : COrvoPropertyPage::OnKillActive();
  }
  void OnOK() override {
    ++log.ok;
    committed = title;
  }
  void OnCancel() override { ++log.cancel; }
  void OnSize(UINT, int cx, int cy) override { log.lastSize = QSize(cx, cy); }
  BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info) override {
    if (code == CN_COMMAND) ++log.offered;
    return COrvoPropertyPage::OnCmdMsg(id, code, extra, info);
  }
  void OnHandled() { ++log.commands; }
  void OnThrows() { throw std::bad_alloc(); }

 protected:
  void OnDestroy() override { ++log.destroyed; }
  void DoDataExchange(CDataExchange* dx) override {
    auto* edit = qobject_cast<QLineEdit*>(dx->PrepareCtrl(1064));
    if (!edit) return;
    if (dx->m_bSaveAndValidate) title = edit->text();
    else edit->setText(title);
  }
};
const CMessageMap& TestPage::messageMap() {
  static const CMessageMap map = MessageMapOf<TestPage>(COrvoPropertyPage::messageMap())
                                     .command(kHandled, &TestPage::OnHandled)
                                     .command(kThrows, &TestPage::OnThrows);
  return map;
}

class TestChildSheet : public COrvoChildPropertySheet {
 public:
  explicit TestChildSheet(QWidget* parent) : COrvoChildPropertySheet(QString(), parent, 0) {}
  ~TestChildSheet() override { ++g_sheetsDeleted; }
  int selChanges = 0;

 protected:
  BOOL OnNotify(WPARAM w, LPARAM l, LRESULT* r) override {
    if (reinterpret_cast<const NMHDR*>(l)->code == TCN_SELCHANGE) ++selChanges;
    return COrvoChildPropertySheet::OnNotify(w, l, r);
  }
};

// The window a child sheet lives in: it lays the sheet out when its size
// changes, as the page view does.
class Host : public CWnd {
 public:
  using CWnd::CWnd;
  QPointer<COrvoChildPropertySheet> sheet;
  int offered = 0;
  BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info) override {
    if (code == CN_COMMAND) ++offered;
    return CWnd::OnCmdMsg(id, code, extra, info);
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    CWnd::resizeEvent(event);
    if (sheet) sheet->LayoutInParent();
  }
};

class Sheets : public ::testing::Test {
 protected:
  void TearDown() override {
    if (sheet) sheet->DestroyWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  // A child sheet of the three pages in `host`, shown in an active window.
  void makeChildSheet(QWidget* parent = nullptr) {
    host = new Host(parent ? parent : &window);
    host->setGeometry(0, 0, 500, 400);
    sheet = new TestChildSheet(host);
    for (TestPage* p : {&first, &second, &third}) sheet->AddPage(p);
    host->sheet = sheet;
    ASSERT_TRUE(sheet->Create(host));
    if (!parent) {
      window.resize(500, 400);
      window.show();
      QApplication::setActiveWindow(&window);
    }
  }
  QTabBar* tabs() const { return sheet->GetTabControl()->GetTabBar(); }
  void clickTab(int index) { QTest::mouseClick(tabs(), Qt::LeftButton, {}, tabs()->tabRect(index).center()); }

  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  TestPage first{kPropertiesPage}, second{kOptionsPage}, third{kColoursPage};
  QWidget window;
  Host* host = nullptr;
  QPointer<TestChildSheet> sheet;
};

TEST_F(Sheets, CommandsGoToTheActivePageFirstWithoutComingBackToIt) {
  makeChildSheet();
  EXPECT_TRUE(sheet->OnCmdMsg(kHandled, CN_COMMAND, nullptr, nullptr));
  EXPECT_EQ(first.log.commands, 1);
  EXPECT_EQ(first.log.offered, 1);

  // The page's route goes back to its sheet and on to the sheet's parent;
  // the page is asked once, the answer is FALSE once.
  EXPECT_FALSE(sheet->OnCmdMsg(kNobodys, CN_COMMAND, nullptr, nullptr));
  EXPECT_EQ(first.log.offered, 2);
  EXPECT_EQ(host->offered, 2);

  // A handler that throws leaves the routing as it was.
  EXPECT_THROW(sheet->OnCmdMsg(kThrows, CN_COMMAND, nullptr, nullptr), std::bad_alloc);
  EXPECT_TRUE(sheet->OnCmdMsg(kHandled, CN_COMMAND, nullptr, nullptr));
  EXPECT_EQ(first.log.commands, 2);
}

TEST_F(Sheets, PagesAreMadeWhenFirstShownAndABadPageKeepsItsTab) {
  makeChildSheet();
  EXPECT_EQ(first.log.init, 1);
  EXPECT_EQ(second.log.init, 0);
  EXPECT_FALSE(second.HasWindow());
  EXPECT_EQ(tabs()->tabText(1), QStringLiteral("Options"));  // from the form, before the page exists

  clickTab(1);
  EXPECT_EQ(second.log.init, 1);
  EXPECT_EQ(sheet->GetActivePage(), &second);
  EXPECT_EQ(sheet->selChanges, 1);
  EXPECT_EQ(second.geometry(), sheet->GetPageRect());
  EXPECT_TRUE(second.isVisible());
  EXPECT_FALSE(first.isVisible());

  clickTab(0);
  first.refuseKill = true;
  clickTab(2);
  EXPECT_EQ(sheet->GetActiveIndex(), 0);
  EXPECT_EQ(tabs()->currentIndex(), 0);
  EXPECT_EQ(third.log.init, 0);
  EXPECT_EQ(sheet->selChanges, 2);
  EXPECT_FALSE(sheet->SetActivePage(2));
  first.refuseKill = false;
  EXPECT_TRUE(sheet->SetActivePage(2));
  EXPECT_EQ(third.log.init, 1);
  // Ctrl+Tab moves on as a click would, round to the first page.
  QTest::keyClick(first.GetDlgItem(1064), Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(sheet->GetActiveIndex(), 0);
  EXPECT_EQ(sheet->selChanges, 3);
}

TEST_F(Sheets, RemovingThePagesAroundTheActiveOneFirstActivatesNoOther) {
  makeChildSheet();
  clickTab(1);
  const int firstActivations = first.log.setActive, thirdActivations = third.log.setActive;
  const int active = sheet->GetActiveIndex(), count = sheet->GetPageCount();
  for (int i = 0; i < active; ++i) sheet->RemovePage(0);
  for (int i = 0; i < count - active - 1; ++i) sheet->RemovePage(1);
  sheet->RemovePage(0);
  EXPECT_EQ(sheet->GetPageCount(), 0);
  EXPECT_EQ(first.log.setActive, firstActivations);
  EXPECT_EQ(third.log.setActive, thirdActivations);
  EXPECT_EQ(third.log.init, 0);
  EXPECT_EQ(first.log.destroyed, 1);
  EXPECT_EQ(second.log.destroyed, 1);
  EXPECT_FALSE(second.HasWindow());
  EXPECT_EQ(second.parentWidget(), nullptr);  // the page is its owner's again
}

class HelpSheet : public CPropertySheet {
 public:
  HelpSheet() : CPropertySheet(QStringLiteral("Réglages")) { m_psh.dwFlags |= PSH_NOAPPLYNOW | PSH_HASHELP; }
  DECLARE_MESSAGE_MAP()
  int helps = 0;
  void OnHelp() { ++helps; }
};
const CMessageMap& HelpSheet::messageMap() {
  static const CMessageMap map = MessageMapOf<HelpSheet>(CPropertySheet::messageMap()).command(IDHELP, &HelpSheet::OnHelp);
  return map;
}

TEST_F(Sheets, AModalSheetRunsOKOnTheShownPagesAndCancelChangesNothing) {
  HelpSheet modal;
  for (TestPage* p : {&first, &second, &third}) modal.AddPage(p);
  first.title = QStringLiteral("avant");
  auto click = [&](int id) { QTest::mouseClick(modal.GetDlgItemAs<QPushButton>(id), Qt::LeftButton); };
  QTimer::singleShot(0, &modal, [&] {
    EXPECT_EQ(modal.findChildren<QPushButton*>().size(), 3);  // OK, Annuler, Aide: no Apply
    first.GetDlgItemAs<QLineEdit>(1064)->setText(QStringLiteral("après"));
    QTabBar* bar = modal.GetTabControl()->GetTabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(2).center());
    click(IDHELP);
    EXPECT_EQ(modal.helps, 1);
    EXPECT_TRUE(modal.isVisible());
    click(IDOK);
  });
  EXPECT_EQ(modal.DoModal(), IDOK);
  EXPECT_EQ(first.log.ok, 1);
  EXPECT_EQ(third.log.ok, 1);
  EXPECT_EQ(second.log.ok + second.log.init, 0);
  EXPECT_EQ(first.committed, QStringLiteral("après"));
  EXPECT_FALSE(first.HasWindow());

  // The next run starts on the page shown last.
  QTimer::singleShot(0, &modal, [&] {
    EXPECT_EQ(modal.GetActivePage(), &third);
    modal.SetActivePage(&first);
    first.GetDlgItemAs<QLineEdit>(1064)->setText(QStringLiteral("jamais"));
    click(IDCANCEL);
  });
  EXPECT_EQ(modal.DoModal(), IDCANCEL);
  EXPECT_EQ(first.log.cancel, 1);
  EXPECT_EQ(third.log.cancel, 1);
  EXPECT_EQ(second.log.cancel, 0);
  EXPECT_EQ(first.log.ok, 1);
  EXPECT_EQ(first.committed, QStringLiteral("après"));

  // Enter in a page's control is the sheet's OK.
  QTimer::singleShot(0, &modal, [&] { QTest::keyClick(first.GetDlgItem(1064), Qt::Key_Return); });
  EXPECT_EQ(modal.DoModal(), IDOK);
  EXPECT_EQ(first.log.ok, 2);
}

TEST_F(Sheets, ToolTipsComeFromTheStringOfTheControlId) {
  makeChildSheet();
  auto tipOf = [&](int ctrlId, int stringId) {
    QWidget* control = first.GetDlgItem(ctrlId);
    control->setProperty("ctrlId", stringId);
    QToolTip::hideText();  // Qt hides a tip after a short delay
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
    const QPoint at = control->rect().center();
    QHelpEvent help(QEvent::ToolTip, at, control->mapToGlobal(at));
    QApplication::sendEvent(control, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
  };
  EXPECT_EQ(tipOf(1064, 57600), QStringLiteral("Nouveau"));  // "Crée un nouveau document.\nNouveau"
  EXPECT_EQ(tipOf(1011, 57345), QString());                  // "Prêt": no tip part
  const QString longTip = tipOf(1012, 61729);                // a tip part of 93 characters
  EXPECT_EQ(longTip.size(), 80);
  EXPECT_TRUE(longTip.startsWith(QStringLiteral("Impossible de trouver ce fichier.")));
  tallix::test::ExpectMissingResources missing;
  EXPECT_EQ(tipOf(1013, 4242), QString());
}

TEST_F(Sheets, LayoutArithmeticKeepsMarginsAndNeverGoesBelowNothing) {
  using S = COrvoChildPropertySheet;
  // Two rows of 20-pixel tabs on top: the page 56 down, 52 pixels lower
  // than the tab control; tabs at the bottom: the page 10 down.
  EXPECT_EQ(S::PageRectFromTabs(QSize(300, 200), false, 20, 2), QRect(10, 56, 292, 148));
  EXPECT_EQ(S::PageRectFromTabs(QSize(300, 200), true, 20, 2), QRect(10, 10, 292, 148));
  // A tab control that would be larger than its parent keeps 6 pixels.
  EXPECT_EQ(S::TabRectInParent(QRect(6, 6, 400, 300), 0, 0, 300, 200), QRect(6, 6, 288, 188));
  // A parent smaller than the margins: nothing, not a negative size.
  EXPECT_EQ(S::TabRectInParent(QRect(6, 6, 400, 300), 390, 290, 8, 8).size(), QSize(0, 0));
  EXPECT_EQ(S::PageRectFromTabs(QSize(4, 30), false, 20, 1).size(), QSize(0, 0));
  EXPECT_EQ(S::PageRectFollowing(QRect(10, 40, 380, 250), 390, 290, QRect(6, 6, 0, 0)).size(), QSize(0, 0));
}

TEST_F(Sheets, AChildSheetFillsItsParentAndFollowsItsSize) {
  makeChildSheet();
  EXPECT_EQ(sheet->geometry(), QRect(0, 0, 500, 400));
  host->resize(620, 470);
  EXPECT_EQ(sheet->geometry(), QRect(0, 0, 620, 470));
  const QRect tab = sheet->GetTabControl()->geometry();
  EXPECT_EQ(tab.x() + tab.width(), 614);
  EXPECT_EQ(tab.y() + tab.height(), 464);
  EXPECT_EQ(first.geometry(), sheet->GetPageRect());
  EXPECT_EQ(sheet->GetPageRect().x() + sheet->GetPageRect().width(), 610);
  first.log.lastSize = QSize();
  sheet->ResizeActivePage();
  EXPECT_EQ(first.log.lastSize, sheet->GetPageRect().size());

  host->resize(4, 4);
  EXPECT_EQ(sheet->GetTabControl()->size(), QSize(0, 0));
  EXPECT_EQ(first.size(), QSize(0, 0));
}

TEST_F(Sheets, WithThePageResizeSettingPagesArePlacedFromTheTabs) {
  AppWriteProfileInt("Common Ctrl", "Property Page Resize", 1);
  makeChildSheet();
  ASSERT_TRUE(sheet->GetLayoutFromTabs());
  QRect item;
  ASSERT_TRUE(sheet->GetTabControl()->GetItemRect(0, &item));
  EXPECT_EQ(first.geometry().topLeft(), QPoint(10, item.height() + 16));
  EXPECT_EQ(first.height(), sheet->GetTabControl()->height() - (item.height() + 12));
}

TEST_F(Sheets, PagesFindActivateAndRenameEachOtherByTemplateId) {
  TestPage alone(kOptionsPage);
  EXPECT_FALSE(alone.SetTabText(QStringLiteral("x")));
  EXPECT_EQ(alone.FindPageIndex(kOptionsPage), -1);

  makeChildSheet();
  EXPECT_EQ(second.FindPageIndex(kColoursPage), 2);
  EXPECT_EQ(second.FindPageIndex(kPropertiesPage), 0);
  EXPECT_EQ(second.FindPageIndex(4242), -1);
  EXPECT_EQ(third.GetActivePageId(), kPropertiesPage);
  EXPECT_FALSE(first.ActivatePage(4242));
  EXPECT_EQ(sheet->GetActiveIndex(), 0);
  EXPECT_TRUE(first.ActivatePage(kColoursPage));
  EXPECT_EQ(first.GetActivePageId(), kColoursPage);
  EXPECT_TRUE(second.SetTabText(QStringLiteral("Matrice")));
  EXPECT_EQ(tabs()->tabText(1), QStringLiteral("Matrice"));
}

class KeysApp : public CWinApp {
 public:
  DECLARE_MESSAGE_MAP()
  void OnNew() { ++g_newCommands; }
};
const CMessageMap& KeysApp::messageMap() {
  static const CMessageMap map = MessageMapOf<KeysApp>(CWinApp::messageMap()).command(ID_FILE_NEW, &KeysApp::OnNew);
  return map;
}

TEST_F(Sheets, AnAcceleratorPressedInAPageReachesTheMainWindowOnce) {
  KeysApp app;
  QPointer<CFrameWnd> frame = new CFrameWnd;
  ASSERT_TRUE(frame->LoadFrame(128));
  app.m_pMainWnd = frame;
  makeChildSheet(frame);
  frame->RecalcLayout();
  frame->show();
  QApplication::setActiveWindow(frame);
  sheet->SetAccelerators(frame->GetAccelerators());
  QLineEdit* edit = first.GetDlgItemAs<QLineEdit>(1064);
  g_newCommands = 0;
  QTest::keyClick(edit, Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(g_newCommands, 1);
  sheet->SetAccelerators({});  // the frame's own translation
  QTest::keyClick(edit, Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(g_newCommands, 2);
  sheet->DestroyWindow();
  frame->DestroyWindow();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(Sheets, AChildSheetDeletesItselfOnceWithItsWindowAndLeavesThePages) {
  g_sheetsDeleted = 0;
  makeChildSheet();
  sheet->DestroyWindow();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(g_sheetsDeleted, 1);
  EXPECT_TRUE(sheet.isNull());
  EXPECT_EQ(first.log.destroyed, 1);
  EXPECT_EQ(first.GetSheet(), nullptr);

  // A sheet whose window was never made is its owner's to delete.
  auto* unmade = new TestChildSheet(&window);
  unmade->AddPage(&second);
  delete unmade;
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(g_sheetsDeleted, 2);
  EXPECT_EQ(second.GetSheet(), nullptr);
}

}  // namespace
