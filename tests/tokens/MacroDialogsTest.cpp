// The macro list and macro editor dialogs and the paste-command dialog:
// what OK refuses, what the result holds, renamed rows, a changed list
// before Open, the editor's menu, and a picked macro that outlives its
// dialog.
#include "classlib/ProfileSettings.h"
#include "classlib/SettingsTable.h"
#include "platform/CmdUI.h"
#include "platform/LanguageLibrary.h"
#include "tests/support/FakeDocServices.h"
#include "tests/support/FileDialogScript.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/MessageLog.h"
#include "tests/support/ModalScript.h"
#include "tests/support/TestEnvironment.h"
#include "tokens/MacroListCtrl.h"
#include "tokens/QXEditMacroDlg.h"
#include "tokens/QXEditMacroListDlg.h"
#include "tokens/QXPasteCmdDlg.h"
#include "tokens/QXTokenEditorVariants.h"
#include "tokens/TokenListFile.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QTest>

#include <gtest/gtest.h>

using tallix::settings::kEditMacroList;
using namespace tallix::test;

namespace {

void click(CWnd* dialog, int id) {
  auto* button = qobject_cast<QPushButton*>(dialog->GetDlgItem(id));
  ASSERT_NE(button, nullptr) << id;
  button->click();
}

// Chooses command `id` of the next popup menu once it shows.
void whenMenu(UINT id) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, id] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu || !menu->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    for (QAction* action : menu->actions())
      if (CommandIdOf(action) == id && action->isEnabled()) {
        // Chosen by the keyboard: no pointer position to race the layout.
        menu->setActiveAction(action);
        QTest::keyClick(menu, Qt::Key_Return);
        break;
      }
    if (menu->isVisible()) menu->close();  // never left open
  });
  timer->start();
}

class MacroDialogs : public ::testing::Test {
 protected:
  MacroDialogs() {
    ReadCommandTable(QFile::encodeName(env.programFile("QXToken.tok")).constData(), &table);
    document.tokenTable = &table;
    QFile file(env.dataFile("macros.qxc"));
    if (file.open(QIODevice::WriteOnly))
      file.write("QXLWIN Macro File\r\n\r\nName=B\r\nDescription=b\r\nMacro Start\r\n41h \r\nMacro End\r\n\r\n"
                 "Name=C\r\nDescription=c\r\nMacro Start\r\nF7h 10h \r\nMacro End\r\n\r\n");
    file.close();
    AppWriteProfileString(kEditMacroList, "Macro File", QFile::encodeName(file.fileName()).constData());
  }
  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  MessageLog messages;
  CQXCommandTable table;
  FakeDocServices document;
};

}  // namespace

TEST_F(MacroDialogs, OkRefusesAnEmptyNameAndAnEmptyMacroAndAddsNoEndByte) {
  CQXEditMacroListDlg list(&document);
  ASSERT_TRUE(list.Create(CQXEditMacroListDlg::kTemplateId));
  ASSERT_EQ(list.GetList()->GetItemCount(), 2);
  whenModal<CQXEditMacroDlg>([&](CQXEditMacroDlg* editor) {
    click(editor, IDOK);
    editor->GetDlgItemAs<QLineEdit>(1058)->setText("A");
    click(editor, IDOK);
    EXPECT_TRUE(editor->isVisible());
    const BYTE bytes[] = {0xF7, 0x10, 0x41};
    editor->GetEditor()->ReplaceSel(bytes, 3, kTokenFormatBytes);
    click(editor, IDOK);
  });
  messages.shown.clear();  // the calculator font's absence
  click(&list, 1084);
  EXPECT_EQ(messages.texts(), (std::vector<QString>{CLanguageLibrary::LoadString(10569), CLanguageLibrary::LoadString(10576)}));
  const CQXMacro added = list.GetList()->GetMacro(0);
  EXPECT_EQ(added.name, "A");
  ASSERT_TRUE(added.record);
  EXPECT_EQ(added.record->bytes, (std::vector<BYTE>{0xF7, 0x10, 0x41}));
  EXPECT_EQ(GetFirstSelectedItem(list.GetList()), 0);
  EXPECT_TRUE(list.IsModified());
  list.EndDialog(IDCANCEL);
}

TEST_F(MacroDialogs, ARenamedMacroIsSortedAndSelected) {
  CQXEditMacroListDlg list(&document);
  ASSERT_TRUE(list.Create(CQXEditMacroListDlg::kTemplateId));
  list.GetList()->SetItemState(-1, 0, LVIS_SELECTED);
  list.GetList()->SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);  // "C"
  whenModal<CQXEditMacroDlg>([&](CQXEditMacroDlg* editor) {
    EXPECT_EQ(editor->GetEditor()->GetTokensLength(kTokenFormatBytes), 2);
    editor->GetDlgItemAs<QLineEdit>(1058)->setText("A");
    click(editor, IDOK);
  });
  click(&list, 1085);
  ASSERT_EQ(list.GetList()->GetItemCount(), 2);
  EXPECT_EQ(list.GetList()->GetMacro(0).name, "A");
  EXPECT_EQ(GetFirstSelectedItem(list.GetList()), 0);

  // Open after the change asks to save first; Cancel there keeps all.
  messages.shown.clear();
  messages.answers = {IDCANCEL};
  click(&list, 1090);
  EXPECT_EQ(messages.texts().size(), 1u);
  EXPECT_TRUE(list.IsModified());
  EXPECT_EQ(list.GetList()->GetMacro(0).name, "A");
  // Yes there, with a save that fails, keeps all and opens nothing; an OK
  // whose write fails keeps the dialog.
  {
    FileDialogScript files;
    messages.answers = {IDYES};
    {
      FileSizeLimit disk(8);
      click(&list, 1090);
      click(&list, IDOK);
    }
    EXPECT_EQ(files.shown, 0);
  }
  EXPECT_TRUE(list.IsModified());
  EXPECT_NE(list.GetModalResult(), IDOK);
  EXPECT_EQ(list.GetList()->GetMacro(0).name, "A");
  // OK writes the file and the selected macro's name.
  click(&list, IDOK);
  std::string last;
  AppGetProfileString(&last, kEditMacroList, "Last Selected Macro", "");
  EXPECT_EQ(last, "A");
  EXPECT_TRUE(fileContents(env.dataFile("macros.qxc")).contains("Name=A\r\nDescription=c\r\nMacro Start\r\nF7h 10h \r\n"));
}

TEST_F(MacroDialogs, TheEditorsMenuAndKeysReachTheEditor) {
  CQXEditMacroListDlg list(&document);
  ASSERT_TRUE(list.Create(CQXEditMacroListDlg::kTemplateId));
  list.GetList()->SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
  whenModal<CQXEditMacroDlg>([&](CQXEditMacroDlg* editor) {
    CQXProgramTokenEditor* tokens = editor->GetEditor();
    QApplication::setActiveWindow(editor);
    tokens->SetFocus();
    const bool focused = QTest::qWaitFor(
        [&] {
          QWidget* focus = QApplication::focusWidget();
          return focus && (focus == tokens || tokens->isAncestorOf(focus));
        },
        10000);
    EXPECT_TRUE(focused);
    if (focused) {
      whenMenu(57642);  // select all
      QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(0, 0), tokens->mapToGlobal(QPoint(0, 0)));
      QApplication::sendEvent(tokens, &key);
      // The choice comes as a posted command.
      EXPECT_TRUE(QTest::qWaitFor([&] { return tokens->HasSelection(); }, 10000));
      // The keys of the editor work while the command that opened the
      // dialogs runs.
      tokens->SetSel(-1, 0);
      QTest::keyClick(tokens, Qt::Key_A, Qt::ControlModifier);
      EXPECT_TRUE(tokens->HasSelection());
      QTest::keyClick(tokens, Qt::Key_Delete, Qt::ShiftModifier);
      EXPECT_EQ(tokens->GetTokenCount(), 0);
      QTest::keyClick(tokens, Qt::Key_Backspace, Qt::AltModifier);
      EXPECT_EQ(tokens->GetTokenCount(), 1);
      tokens->SetSel(1, 1);
      QTest::keyClick(tokens, Qt::Key_Insert, Qt::ShiftModifier);
      EXPECT_EQ(tokens->GetTokenCount(), 2);
    }
    click(editor, IDCANCEL);
  });
  // Edit as a menu or key command runs it.
  list.ExecuteUserCommand(1085);
  list.EndDialog(IDCANCEL);
}

TEST_F(MacroDialogs, APickedMacroOutlivesThePasteDialog) {
  AppWriteProfileInt("Token View", "Last View", 4);
  QXPASTECMDRESULT result;
  {
    CQXPasteCmdDlg dialog(nullptr, nullptr, &document);
    ASSERT_TRUE(dialog.Create(CQXPasteCmdDlg::kTemplateId));
    CQXMacroListCtrl* macros = dialog.GetChooser()->GetMacroView();
    ASSERT_EQ(macros->GetItemCount(), 2);
    macros->SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    dialog.SendMessage(WM_COMMAND, 20070);
    EXPECT_EQ(dialog.GetModalResult(), IDOK);
    result = std::move(dialog.m_result);
  }
  EXPECT_EQ(result.kind, DWORD(QXPASTECMDRESULT::kMacro));
  EXPECT_EQ(result.Bytes(), (std::vector<BYTE>{0xF7, 0x10}));
}

// Kept up for a look with TALLIX_SHOW_MS (TALLIX_SHOW_DIALOG 524, 645, 646).
TEST_F(MacroDialogs, Show) {
  const int ms = qEnvironmentVariableIntValue("TALLIX_SHOW_MS");
  if (ms <= 0) GTEST_SKIP();
  const int which = qEnvironmentVariableIntValue("TALLIX_SHOW_DIALOG");
  CQXEditMacroListDlg list(&document);
  ASSERT_TRUE(list.Create(CQXEditMacroListDlg::kTemplateId));
  if (which == 646) {
    list.GetList()->SetItemState(-1, 0, LVIS_SELECTED);
    list.GetList()->SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    whenModal<CQXEditMacroDlg>([ms](CQXEditMacroDlg* editor) {
      QTest::qWait(ms);
      editor->EndDialog(IDCANCEL);
    });
    click(&list, 1085);
  } else if (which == 524) {
    list.hide();
    CQXPasteCmdDlg dialog(nullptr, nullptr, &document);
    ASSERT_TRUE(dialog.Create(CQXPasteCmdDlg::kTemplateId));
    QTest::qWait(ms);
  } else {
    QTest::qWait(ms);
  }
}
