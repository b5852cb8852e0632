// The program view in the main window: a program opens as tokens and
// commits the same bytes, its name is checked against the folder, the
// editor takes the calculator's width, a password locks it, and the page
// exports and imports program files.
#include "classlib/ProfileSettings.h"
#include "datamodel/QXProgramItem.h"
#include "pages/QXPasswordPages.h"
#include "pages/QXProgramPages.h"
#include "platform/CalcShownText.h"
#include "tests/pages/PageTestSupport.h"
#include "tests/support/CalcTextByHand.h"
#include "tests/support/FileDialogScript.h"
#include "tests/support/MessageLog.h"
#include "tests/support/ModalScript.h"
#include "tests/support/TestEnvironment.h"
#include "tokens/QXCharTableDlg.h"

#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace tallix::test {
namespace {

constexpr char kPath[] = "\\Calculator\\Program\\ABC";

QByteArray dataOf(const CQXProgramItem& item) {
  QByteArray data(qsizetype(item.GetLength()), 0);
  item.GetDataBlock(reinterpret_cast<BYTE*>(data.data()), int(data.size()));
  return data;
}

QByteArray tokensOf(const CQXTokenEditor& editor, UINT format) {
  QByteArray out(editor.GetTokensLength(format), 0);
  int length = 0;
  editor.GetTokens(reinterpret_cast<BYTE*>(out.data()), int(out.size()), &length, format);
  out.truncate(length);
  return out;
}

void typeInto(QWidget* edit, const QString& text) {
  edit->setFocus();
  if (auto* line = qobject_cast<QLineEdit*>(edit)) line->selectAll();
  for (QChar c : text) QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

class ProgramPages : public ::testing::Test {
 protected:
  ProgramPages() {
    EXPECT_TRUE(w.doc.NewDocumentForCalculator(nullptr, nullptr));
    PageTree::path = kPath;
    PageTree::description = "ABC";
    settle();  // the tree's own selection first
  }
  void putProgram(const char* name, const QByteArray& data, bool baseN = false, const char* password = "") {
    auto* item = new CQXProgramItem;
    item->SetName(name);
    item->SetBaseN(baseN);
    item->SetPassword(password);
    item->SetDataBlock(reinterpret_cast<const BYTE*>(data.constData()), int(data.size()));
    w.doc.put(kPath, item);
  }
  std::unique_ptr<CQXProgramItem> stored() {
    auto entry = w.doc.get(kPath);
    return std::unique_ptr<CQXProgramItem>(entry ? dynamic_cast<CQXProgramItem*>(entry->DetachItem()) : nullptr);
  }
  CQXProgramDataView* open() {
    view = w.show<CQXProgramDataView>();
    // As the frame's timer does once the view is in place.
    if (view) view->EnableSheet(TRUE);
    return view;
  }
  template <class Page>
  Page* active() const {
    return dynamic_cast<Page*>(view->GetSheet()->GetActivePage());
  }
  std::vector<UINT> pageIds() const {
    std::vector<UINT> ids;
    for (int i = 0; i < view->GetSheet()->GetPageCount(); ++i)
      ids.push_back(dynamic_cast<CQXDataPage*>(view->GetSheet()->GetPage(i))->GetPageId());
    return ids;
  }
  void settle() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  }

  PageWindow w;
  MessageLog messages;
  CQXProgramDataView* view = nullptr;
};

TEST_F(ProgramPages, AProgramOpensAsTokensAndCommitsItsOwnBytes) {
  const QStringList edit = w.popupTexts(1);
  putProgram("ABC", QByteArray::fromHex("410d42ff"), true);
  ASSERT_TRUE(open());
  auto* page = active<CQXProgramDataPage>();
  ASSERT_TRUE(page);
  EXPECT_EQ(page->GetEditor()->GetTokenCount(), 3);
  EXPECT_EQ(page->GetNameEdit()->text(), "ABC");
  EXPECT_TRUE(page->GetBaseNCheck()->isChecked());
  EXPECT_FALSE(page->IsModified());
  PageWindow::lookAt();
  // The Edit menu: no "Entrée", the font, the character table and the files.
  const QStringList merged = w.popupTexts(1);
  EXPECT_FALSE(merged.contains("Entrée"));
  EXPECT_EQ(merged.mid(merged.size() - 6),
            (QStringList{"-", "Police de caractères...", "Table de caractères...", "-", "Exportation", "Importation"}));

  // The print views get the editor.
  QXViewDataRequest request;
  ASSERT_TRUE(SendGetViewData(&request));
  EXPECT_EQ(request.kind, kPrintKindTokens);
  QXViewDataControl control;
  control.kind = kPrintKindTokens;
  request.detail = &control;
  ASSERT_TRUE(SendGetViewData(&request));
  EXPECT_EQ(control.control, page->GetEditor());

  page->GetBaseNCheck()->click();
  EXPECT_TRUE(page->IsModified());
  ASSERT_TRUE(view->StorePages());
  view->SetPagesModified(FALSE);  // as the frame's commit does
  auto item = stored();
  ASSERT_TRUE(item);
  EXPECT_EQ(dataOf(*item), QByteArray::fromHex("410d42ff"));
  EXPECT_FALSE(item->IsBaseN());
  char name[16] = {};
  item->GetDisplayName(name, sizeof name);
  EXPECT_STREQ(name, "ABC");

  // Only the end byte is dropped: 0xFF alone is an empty program, a text
  // without it keeps its last byte.
  putProgram("ABC", QByteArray::fromHex("ff"));
  ASSERT_TRUE(open());
  EXPECT_EQ(active<CQXProgramDataPage>()->GetEditor()->GetTokenCount(), 0);
  putProgram("ABC", QByteArray::fromHex("4142"));
  ASSERT_TRUE(open());
  EXPECT_EQ(tokensOf(*active<CQXProgramDataPage>()->GetEditor(), kTokenFormatBytes), "AB");
  active<CQXProgramDataPage>()->SetModified(TRUE);
  ASSERT_TRUE(view->StorePages());
  EXPECT_EQ(dataOf(*stored()), QByteArray::fromHex("4142ff"));

  w.show<CQXContentsView>();
  EXPECT_EQ(w.popupTexts(1), edit);
}

// The editors' keys, Ctrl+A among them, work in the program editor as in
// the macro editor.
TEST_F(ProgramPages, CtrlASelectsTheWholeProgram) {
  putProgram("ABC", QByteArray::fromHex("410d42ff"));
  ASSERT_TRUE(open());
  CQXProgramTokenEditor* editor = active<CQXProgramDataPage>()->GetEditor();
  QApplication::setActiveWindow(w.frame);
  ASSERT_TRUE(QTest::qWaitForWindowActive(w.frame));
  editor->setFocus();
  QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
  int first = -1, second = -1;
  editor->GetSel(&first, &second);
  EXPECT_EQ(std::pair(first, second), std::pair(0, 3));
}

TEST_F(ProgramPages, TheNameMustBeGivenAndNotShownByAnotherItemOfTheFolder) {
  for (auto [path, description] : {std::pair{kPath, "ABC"}, std::pair{"\\Calculator\\Program\\DEF", "DEF"}}) {
    OrvoNodeInfo node;
    node.SetPath(path);
    node.SetDescription(description);
    node.valueB = 4001;
    ASSERT_TRUE(w.doc.GetItemStore()->AddNode(&node));
  }
  putProgram("ABC", QByteArray::fromHex("41ff"));
  ASSERT_TRUE(open());
  auto* page = active<CQXProgramDataPage>();
  view->ShowPage(kDescriptionPageId);

  page->GetNameEdit()->clear();
  page->GetNameEdit()->setModified(true);
  EXPECT_FALSE(view->ValidatePages());
  EXPECT_EQ(messages.texts().back(), "Entrez une désignation, s.v.p.");
  EXPECT_EQ(active<CQXProgramDataPage>(), page);
  EXPECT_TRUE(page->GetNameEdit()->hasFocus());

  typeInto(page->GetNameEdit(), "DEF");
  EXPECT_FALSE(view->ValidatePages());
  EXPECT_TRUE(messages.texts().back().startsWith("Il existe déjà une entrée avec ce nom."));
  // A character without a calculator code cannot be typed.
  typeInto(page->GetNameEdit(), QStringLiteral("A\u03A9BC"));
  EXPECT_EQ(page->GetNameEdit()->text(), "ABC");
  const size_t shown = messages.shown.size();
  EXPECT_TRUE(view->ValidatePages());
  EXPECT_EQ(messages.shown.size(), shown);
}

// Outside the calculator font the calculator's P (0x88) and plus (0x89)
// show as the letter and the sign: an edit of the name changes only the
// code the user changed. The name takes eight codes, the mean of x one of
// them though it shows as two characters.
TEST_F(ProgramPages, AnEditedNameKeepsTheCodesTheUserDidNotEditAndTakesEightCodes) {
  putProgram("\x88\x89" "CDEFG\xC2", QByteArray::fromHex("41ff"));
  ASSERT_TRUE(open());
  auto* page = active<CQXProgramDataPage>();
  QLineEdit* name = page->GetNameEdit();
  ASSERT_FALSE(IsCalculatorFont(name->font()));
  EXPECT_EQ(name->text(), QStringLiteral("P+CDEFGx\u0304"));
  name->setFocus();
  name->setCursorPosition(2);
  QTest::keyClick(name, Qt::Key_Delete);
  QGuiApplication::clipboard()->setText(QStringLiteral("x\u0304y\u0304"));
  page->SendMessage(WM_COMMAND, ID_EDIT_PASTE);
  QTest::keyClicks(name, "Z");
  EXPECT_EQ(name->text(), QStringLiteral("P+x\u0304DEFGx\u0304"));
  ASSERT_TRUE(view->StorePages());
  char stored_[16] = {};
  stored()->GetDisplayName(stored_, sizeof stored_);
  EXPECT_STREQ(stored_, "\x88\x89\xC2" "DEFG\xC2");
}

// The name box in the calculator font: its Edit commands and keys copy the
// text the calculator shows and paste text from other programs as the token
// editor does.
TEST_F(ProgramPages, TheNameBoxCopiesAndPastesTheTextTheCalculatorShows) {
  ASSERT_GE(QFontDatabase::addApplicationFont(TestEnvironment::builtProgramDir() + QStringLiteral("/QXL2.fon")), 0);
  putProgram("A\xCE\x0E", QByteArray::fromHex("41ff"));
  ASSERT_TRUE(open());
  auto* page = active<CQXProgramDataPage>();
  QLineEdit* name = page->GetNameEdit();
  ASSERT_TRUE(IsCalculatorFont(name->font()));
  QApplication::setActiveWindow(w.frame);
  ASSERT_TRUE(QTest::qWaitForWindowActive(w.frame));
  // A click makes the page's view the active one, as the user's does.
  QTest::mouseClick(name, Qt::LeftButton);
  name->selectAll();
  QTest::keyClick(name, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Aθ→"));

  typeInto(name, QStringLiteral("θ"));
  name->selectAll();
  page->SendMessage(WM_COMMAND, ID_EDIT_COPY);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("θ"));

  QGuiApplication::clipboard()->setText(QStringLiteral("ABθ"));
  name->selectAll();
  page->SendMessage(WM_COMMAND, ID_EDIT_PASTE);
  EXPECT_TRUE(page->IsModified());
  ASSERT_TRUE(view->StorePages());
  char stored_[16] = {};
  stored()->GetDisplayName(stored_, sizeof stored_);
  EXPECT_STREQ(stored_, "AB\xCE");
  CheckCalcTextEditByHand(name);
}

TEST_F(ProgramPages, TheCalculatorWidthIsTheDisplayWidthInZerosAndCharactersAndCommandsGoThroughTheGuard) {
  AppWriteProfileInt("Settings", "Use Calculator Width", 1);
  putProgram("ABC", QByteArray::fromHex("ff"));
  ASSERT_TRUE(open());
  auto* page = active<CQXProgramDataPage>();
  CQXProgramTokenEditor* editor = page->GetEditor();
  int left = 0, right = 0;
  editor->GetMargins(&left, &right);
  QRect client;
  editor->GetClientRect(&client);
  const int zero = QFontMetrics(editor->GetEditorFont()).horizontalAdvance(QLatin1Char('0'));
  EXPECT_EQ(page->GetDisplayWidth(), 21);
  EXPECT_EQ(editor->width(), 21 * zero + left + right + editor->width() - client.width());
  page->SendMessage(WM_COMMAND, kCmdCalculatorWidth);
  EXPECT_EQ(editor->width(), page->width() - 2);
  EXPECT_EQ(AppGetProfileInt("Settings", "Use Calculator Width", 1), 0);

  // The character table's pick goes in as one token, unless it would be a
  // lead byte alone or the end byte.
  int shown = 0;
  for (BYTE code : {BYTE('Q'), BYTE(0xF7), BYTE(0xFF)}) {
    // The offscreen platform leaves the window inactive after a dialog.
    QApplication::setActiveWindow(w.frame);
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.frame));
    editor->setFocus();
    whenModal<CQXCharTableDlg>([code, &shown](CQXCharTableDlg* dialog) {
      ++shown;
      dialog->GetGrid()->SelectCode(code);
      dialog->OnOK();
    });
    page->SendMessage(WM_COMMAND, kCmdCharacterTable);
  }
  EXPECT_EQ(shown, 3);
  EXPECT_EQ(tokensOf(*editor, kTokenFormatBytes), "Q");

  // A two-byte command of the pane goes in as its lead and token byte, by
  // Enter in the pane; the insert command waits while the editor has the
  // focus.
  QApplication::setActiveWindow(w.frame);
  ASSERT_TRUE(QTest::qWaitForWindowActive(w.frame));
  page->GetToolBar().GetButton(1)->trigger();
  auto* all = static_cast<CListCtrl*>(page->GetCmdChooser().GetView(1));
  int row = 0;
  while (row < all->GetItemCount() && LOWORD(all->GetItemData(row)) == 0) ++row;
  ASSERT_LT(row, all->GetItemCount());
  const DWORD value = DWORD(all->GetItemData(row));
  all->SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  editor->SetFocus();
  page->PostMessage(WM_COMMAND, CQXTokenWndDataPage::kCmdInsertCommand);
  settle();
  EXPECT_EQ(editor->GetTokenCount(), 1);
  all->SetFocus();
  ASSERT_TRUE(QApplication::focusWidget());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  settle();
  EXPECT_EQ(tokensOf(*editor, kTokenFormatBytes), QByteArray("Q") + char(LOWORD(value)) + char(HIWORD(value)));
}

TEST_F(ProgramPages, AProgramWithAPasswordOpensLockedUntilItsExactPasswordIsTyped) {
  putProgram("ABC", QByteArray::fromHex("41ff"), false, "ABC");
  ASSERT_TRUE(open());
  EXPECT_EQ(pageIds(), std::vector<UINT>{CQXEnterPasswortPage::kPageId});
  PageWindow::lookAt();
  auto* lock = active<CQXEnterPasswortPage>();
  auto* password = lock->GetDlgItemAs<QLineEdit>(CQXEnterPasswortPage::kPasswordEdit);
  CheckCalcTextEditByHand(password);
  typeInto(password, "abc");
  QTest::mouseClick(lock->GetDlgItemAs<QPushButton>(CQXEnterPasswortPage::kUnlockButton), Qt::LeftButton);
  settle();
  EXPECT_EQ(messages.texts().back(), "Mot de passe incorrect.");
  EXPECT_TRUE(view->IsLocked());

  // Another program shown before the unlock arrives stays locked: only the
  // view whose page checked the password opens.
  typeInto(password, "ABC");
  QTest::keyClick(password, Qt::Key_Return);
  QCoreApplication::sendPostedEvents(lock, 0);
  putProgram("DEF", QByteArray::fromHex("41ff"), false, "XYZ");
  ASSERT_TRUE(open());
  settle();
  ASSERT_EQ(pageIds(), std::vector<UINT>{CQXEnterPasswortPage::kPageId});
  password = active<CQXEnterPasswortPage>()->GetDlgItemAs<QLineEdit>(CQXEnterPasswortPage::kPasswordEdit);
  typeInto(password, "XYZ");
  QTest::keyClick(password, Qt::Key_Return);
  settle();
  EXPECT_EQ(pageIds(), (std::vector<UINT>{621, 623, 620}));
  ASSERT_TRUE(active<CQXProgramDataPage>());
  EXPECT_EQ(active<CQXProgramDataPage>()->GetEditor()->GetTokenCount(), 1);

  // The new password, typed twice alike, at most eight characters: nine
  // are refused and the program keeps its own. Cleared, it leaves the
  // program open.
  view->ShowPage(CQXModifyPasswordPage::kPageId);
  auto* modify = active<CQXModifyPasswordPage>();
  auto* first = modify->GetDlgItemAs<QLineEdit>(CQXModifyPasswordPage::kNewEdit);
  auto* second = modify->GetDlgItemAs<QLineEdit>(CQXModifyPasswordPage::kRepeatEdit);
  for (QLineEdit* box : {first, second}) CheckCalcTextEditByHand(box);
  typeInto(first, "123456789");
  typeInto(second, "123456789");
  modify->SendMessage(WM_COMMAND, CQXModifyPasswordPage::kSetButton);
  EXPECT_EQ(messages.texts().back(), QString::fromUtf8("Le mot de passe ne doit pas dépasser 8 caractères."));
  EXPECT_FALSE(modify->IsModified());
  EXPECT_EQ(modify->GetPassword(), "XYZ");
  typeInto(second, "OTHER");
  modify->SendMessage(WM_COMMAND, CQXModifyPasswordPage::kSetButton);
  EXPECT_EQ(messages.texts().back(), "Les mots de passe entrés ne correspondent pas.");
  EXPECT_FALSE(modify->IsModified());
  modify->SendMessage(WM_COMMAND, CQXModifyPasswordPage::kClearButton);
  EXPECT_TRUE(first->text().isEmpty());
  ASSERT_TRUE(view->StorePages());
  EXPECT_FALSE(stored()->HasPassword());
  ASSERT_TRUE(open());
  EXPECT_EQ(pageIds(), (std::vector<UINT>{621, 623, 620}));
}

TEST_F(ProgramPages, ExportWritesTheFormTheFilterNamesAndAFailedImportLeavesThePage) {
  putProgram("ABC", QByteArray::fromHex("410d42ff"), true);
  ASSERT_TRUE(open());
  auto* page = active<CQXProgramDataPage>();
  const QString text = w.env.dataFile(QStringLiteral("listing.cas")), binary = w.env.dataFile(QStringLiteral("prog.txt"));
  FileDialogScript script;
  auto exportAs = [&](const QString& path, int filter) {
    script.actions.push_back([path, filter](CFileDialog& dialog) {
      dialog.GetDialog()->selectNameFilter(dialog.GetDialog()->nameFilters().at(filter - 1));
      chooseFile(dialog, path);
    });
    page->SendMessage(WM_COMMAND, kCmdProgramExport);
  };
  exportAs(text, 3);
  exportAs(binary, 1);
  EXPECT_EQ(fileContents(text), tokensOf(*page->GetEditor(), kTokenFormatText));
  EXPECT_TRUE(fileContents(text).contains("\r\n"));
  EXPECT_EQ(fileContents(binary).size(), 50 + 6 + 50);

  // A damaged file changes nothing; the good one comes in as a change.
  QByteArray damaged = fileContents(binary);
  damaged[55] = char(damaged[55] + 1);
  ASSERT_TRUE(writeFileContents(w.env.dataFile(QStringLiteral("damaged.cas")), damaged));
  page->GetEditor()->SetSel(0, -1);
  page->GetEditor()->DeleteSelection();
  page->SetModified(FALSE);
  EXPECT_FALSE(page->ReadProgramFile(QFile::encodeName(w.env.dataFile(QStringLiteral("damaged.cas"))).constData()));
  EXPECT_EQ(messages.texts().back(), "Erreur survenue lors du chargement du fichier.");
  EXPECT_EQ(page->GetEditor()->GetTokenCount(), 0);
  EXPECT_FALSE(page->IsModified());
  script.actions.push_back([binary](CFileDialog& dialog) { chooseFile(dialog, binary); });
  page->SendMessage(WM_COMMAND, kCmdProgramImport);
  EXPECT_EQ(tokensOf(*page->GetEditor(), kTokenFormatBytes), QByteArray::fromHex("410d42"));
  EXPECT_TRUE(page->IsModified());
}

// A name typed without an extension gets the chosen type's: the text export
// writes and asks about "exp1.txt", in UTF-8 as the calculator shows it.
TEST_F(ProgramPages, TheTextExportWritesTheCalculatorsTextIntoAFileOfTheTextType) {
  putProgram("ABC", QByteArray("A\xA9" "B\r2\x0E" "C\xFF"));
  ASSERT_TRUE(open());
  auto* page = active<CQXProgramDataPage>();
  const QString written = w.env.dataFile(QStringLiteral("exp1.txt"));
  ASSERT_TRUE(writeFileContents(written, "old"));
  FileDialogScript script;
  script.actions.push_back([&](CFileDialog& dialog) {
    dialog.GetDialog()->selectNameFilter(dialog.GetDialog()->nameFilters().at(2));
    chooseFile(dialog, w.env.dataFile(QStringLiteral("exp1")));
  });
  page->SendMessage(WM_COMMAND, kCmdProgramExport);
  EXPECT_EQ(messages.texts().back(), QStringLiteral("Le fichier %1 existe déjà. Le remplacer?").arg(written));
  EXPECT_EQ(fileContents(written), QStringLiteral("A\u00D7B\r\n2\u2192C").toUtf8());
  EXPECT_FALSE(QFile::exists(w.env.dataFile(QStringLiteral("exp1.cas"))));
}

}  // namespace
}  // namespace tallix::test
