// The macro file and the macro list: reading what users and older versions
// wrote, writing back what reads the same, and failures that lose nothing.
#include "classlib/OrvoTextArchive.h"
#include "platform/MessageBox.h"
#include "platform/OleDataObject.h"
#include "platform/OleDataSource.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestEnvironment.h"
#include "tokens/MacroListCtrl.h"
#include "tokens/TokenClipboard.h"

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

std::vector<CQXMacro> readText(const QByteArray& text, BOOL* ok = nullptr) {
  CMemFile file(text);
  COrvoTextArchive ar(&file, CArchive::load, 1025);
  std::vector<CQXMacro> macros;
  const BOOL result = ReadMacroRecords(ar, &macros);
  if (ok) *ok = result;
  return macros;
}

std::vector<BYTE> bytesOf(const CQXMacro& macro) { return macro.record ? macro.record->bytes : std::vector<BYTE>{}; }

class MacroFile : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    previous = SetMessageBoxHandler([this](const MessageBoxRequest& r) {
      messages << r.text;
      return IDOK;
    });
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE, QRect(0, 0, 300, 200), &parent, 1080));
  }
  void TearDown() override { SetMessageBoxHandler(previous); }
  std::string path(const char* name) const { return QFile::encodeName(dir.filePath(name)).toStdString(); }

  tallix::test::TestEnvironment env{tallix::test::TestEnvironment::WithLanguageLibrary};
  QTemporaryDir dir;
  MessageBoxHandler previous;
  QStringList messages;
  CWnd parent;
  CQXMacroListCtrl list;
};

TEST_F(MacroFile, ReadsWhatUsersWrite) {
  BOOL ok = FALSE;
  const std::vector<CQXMacro> macros = readText(
      "; my macros\r\nName=Early\r\nQXLWIN MACRO FILE\r\n\r\n"
      "Name=" + QByteArray(100, 'n') + "\r\nDescription=d\r\nMacro Start\r\n"
      "7Fh 40h 0x41 65\r\n; comment\r\n\r\nzz 1 2\r\n" +
      QByteArray("1 ").repeated(40) + "\r\nMacro End\r\n"
      "Name=Empty\r\nDescription=\r\nMacro Start\r\nMacro End\r\n"
      "Name=Open\r\nDescription=never closed\r\nMacro Start\r\n01h\r\n",
      &ok);
  EXPECT_TRUE(ok);
  ASSERT_EQ(macros.size(), 2u);
  EXPECT_EQ(macros[0].name, std::string(80, 'n'));
  std::vector<BYTE> expected{0x7F, 0x40, 0x41, 0x41};
  expected.insert(expected.end(), 32, 1);
  EXPECT_EQ(bytesOf(macros[0]), expected);
  EXPECT_EQ(macros[1].name, "Empty");
  EXPECT_FALSE(macros[1].record);

  readText("Name=x\r\n", &ok);
  EXPECT_FALSE(ok);
}

TEST_F(MacroFile, WritesLinesOfSixteenAndReadsBackSorted) {
  std::vector<BYTE> twenty(20);
  for (int i = 0; i < 20; ++i) twenty[std::size_t(i)] = BYTE(0xF0 + i % 16);
  list.AddMacro(20, twenty.data(), "Zeta", "last", FALSE);
  list.AddMacro(2, reinterpret_cast<const BYTE*>("\xF7\x00"), "\xE9t\xE9", "accent", FALSE);
  list.AddMacro(0, nullptr, "alpha", "", TRUE);
  EXPECT_EQ(list.GetMacro(0).name, "alpha");
  EXPECT_EQ(list.GetMacro(1).name, "\xE9t\xE9");

  const std::string file = path("m.qxc");
  ASSERT_TRUE(WriteMacroFile(&list, file.c_str()));
  QFile written(QString::fromStdString(file));
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  const QByteArray text = written.readAll();
  EXPECT_TRUE(text.startsWith("QXLWIN Macro File\r\n\r\nName=alpha\r\nDescription=\r\nMacro Start\r\nMacro End\r\n\r\n"));
  EXPECT_TRUE(text.contains("Macro Start\r\nF0h F1h F2h F3h F4h F5h F6h F7h F8h F9h FAh FBh FCh FDh FEh FFh \r\n"
                            "F0h F1h F2h F3h \r\nMacro End\r\n\r\n"));

  CQXMacroListCtrl back;
  ASSERT_TRUE(back.Create(WS_CHILD, QRect(0, 0, 300, 200), &parent, 1081));
  ASSERT_TRUE(ReadMacroFile(&back, file.c_str()));
  ASSERT_EQ(back.GetItemCount(), 3);
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(back.GetMacro(row).name, list.GetMacro(row).name);
    EXPECT_EQ(back.GetMacro(row).description, list.GetMacro(row).description);
    EXPECT_EQ(bytesOf(back.GetMacro(row)), bytesOf(list.GetMacro(row)));
  }
  EXPECT_TRUE(messages.isEmpty());
}

TEST_F(MacroFile, AFailedReadKeepsTheRowsAndAFailedWriteTheOldFile) {
  list.AddMacro(1, reinterpret_cast<const BYTE*>("A"), "kept", "", FALSE);
  EXPECT_FALSE(ReadMacroFile(&list, path("missing.qxc").c_str()));
  EXPECT_FALSE(ReadMacroFile(&list, nullptr));
  QFile bad(dir.filePath("bad.qxc"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("Name=x\r\n");
  bad.close();
  EXPECT_FALSE(ReadMacroFile(&list, path("bad.qxc").c_str()));
  ASSERT_EQ(messages.size(), 2);
  EXPECT_TRUE(messages[1].contains(QStringLiteral("mauvais format")));
  ASSERT_EQ(list.GetItemCount(), 1);
  EXPECT_EQ(list.GetMacro(0).name, "kept");

  // A write that cannot be put in place (a folder holds the name) leaves
  // what was there.
  ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("m.qxc/inside")));
  EXPECT_FALSE(WriteMacroFile(&list, path("m.qxc").c_str()));
  EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("m.qxc/inside"))).exists());
  EXPECT_EQ(messages.size(), 3);

  // A write that fails once the file is open (a full disk) leaves it too.
  const std::string full = path("full.qxc");
  ASSERT_TRUE(WriteMacroFile(&list, full.c_str()));
  QFile old(QString::fromStdString(full));
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  const QByteArray before = old.readAll();
  old.close();
  {
    tallix::test::FileSizeLimit disk(8);
    EXPECT_FALSE(WriteMacroFile(&list, full.c_str()));
  }
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), before);
  EXPECT_EQ(messages.size(), 4);
}

TEST_F(MacroFile, TheDefaultFileIsFoundAndADraggedRowOffersItsBytes) {
  ASSERT_TRUE(env.copyFromBuild(QStringLiteral("qxlmacro.qxc")));
  ASSERT_TRUE(ReadMacroFile(&list, MacroFilePath(false).c_str()));
  EXPECT_EQ(list.GetItemCount(), 0);
  EXPECT_NE(MacroFilePath(true), MacroFilePath(false));

  list.AddMacro(2, reinterpret_cast<const BYTE*>("\x7F\x40"), "m", "", TRUE);
  list.dragEnabled = TRUE;
  QByteArray offered;
  const DoDragDropHandler previousDrag = SetDoDragDropHandler([&](COleDataSource& s, DROPEFFECT, QWidget*) {
    std::unique_ptr<QMimeData> mime(s.CreateMimeData());
    COleDataObject data;
    data.Attach(mime.release());
    offered = ReadTokenBlock(data.GetGlobalData(GetTokenBytesFormat()).value_or("")).value_or("none");
    return DROPEFFECT_MOVE;
  });
  NMLISTVIEW nm;
  nm.iItem = 0;
  nm.hdr.hwndFrom = &list;
  nm.hdr.idFrom = 1080;
  nm.hdr.code = LVN_BEGINDRAG;
  parent.SendMessage(WM_NOTIFY, 1080, reinterpret_cast<LPARAM>(&nm.hdr));
  SetDoDragDropHandler(previousDrag);
  EXPECT_EQ(offered, QByteArray("\x7F\x40"));
}

}  // namespace
