#include "charset/Cp1252.h"
#include "services/QXSummaryInfo.h"
#include "classlib/ProgramVersion.h"
#include "datamodel/OrvoItemStore.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXMemImageItems.h"
#include "datamodel/QXMemberFileItems.h"
#include "link/BackupFileDialogs.h"
#include "link/BackupFiles.h"
#include "link/OldBackupLibrary.h"
#include "platform/LanguageLibrary.h"
#include "platform/storage/StorageTestHooks.h"
#include "tests/support/FakeDocServices.h"
#include "tests/support/FileDialogScript.h"
#include "tests/support/MemoryArchive.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileDialog>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <map>

using namespace tallix::test;
namespace hooks = tallix::cfb::testhooks;

namespace {

std::vector<BYTE> storedBytes(CQXStorable& object) {
  MemoryArchive ar;
  object.Store(ar);
  return ar.bytes_;
}

QByteArray fileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::string hex(const std::string& bytes) { return QByteArray::fromStdString(bytes).toHex().toStdString(); }

// The program's version record as it is stored.
std::string versionRecordHex() {
  VS_FIXEDFILEINFO info{};
  EXPECT_TRUE(GetProgramVersion(&info));
  BYTE record[kVersionRecordSize];
  StoreVersionRecord(info, record);
  return hex(std::string(reinterpret_cast<const char*>(record), sizeof record));
}

// Every stream of a compound file but the summary information, by path.
void collectStreams(IStorage* storage, const std::string& prefix, std::map<std::string, std::string>* out) {
  std::vector<STATSTG> elements;
  ASSERT_TRUE(SUCCEEDED(storage->EnumElements(&elements)));
  for (const STATSTG& e : elements) {
    const std::string name = prefix + e.pwcsName;
    if (e.type == STGTY_STORAGE) {
      ComPtr<IStorage> sub;
      ASSERT_TRUE(SUCCEEDED(storage->OpenStorage(e.pwcsName.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE,
                                                 nullptr, 0, sub.put())));
      collectStreams(sub.get(), name + "/", out);
    } else if (name != kSummaryInformationStream) {
      ComPtr<IStream> s;
      ASSERT_TRUE(SUCCEEDED(storage->OpenStream(e.pwcsName.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                                s.put())));
      std::string bytes(size_t(e.cbSize), '\0');
      ULONG read = 0;
      s->Read(bytes.data(), ULONG(bytes.size()), &read);
      (*out)[name] = bytes;
    }
  }
}

std::map<std::string, std::string> streamsOf(const QString& path) {
  std::map<std::string, std::string> streams;
  ComPtr<IStorage> root;
  EXPECT_TRUE(SUCCEEDED(StgOpenStorage(QFile::encodeName(path).constData(), nullptr,
                                       STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, root.put())));
  if (root) collectStreams(root.get(), "", &streams);
  return streams;
}

// Hands out record chains built here in place of the old-data library's,
// and records what is given back.
class FakeOldLibrary {
 public:
  FakeOldLibrary() {
    previous_ = SetOldBackupLibrary({[this](const char*, qxl16_Record** out) {
                                       *out = first_;
                                       return code;
                                     },
                                     [this](qxl16_Record* r) {
                                       freed.push_back(r);
                                       return 0;
                                     }});
  }
  ~FakeOldLibrary() { SetOldBackupLibrary(previous_); }

  // Starts a new chain (or none, with `code`).
  void reset(int result = qxl16_Ok) {
    code = result;
    first_ = nullptr;
    freed.clear();
  }
  qxl16_Record* add(const char* name, uint32_t headerLength, const std::vector<BYTE>& header,
                    const std::vector<BYTE>& data) {
    auto& r = records_.emplace_back();
    std::strncpy(r.name, name, sizeof r.name - 1);
    r.headerLength = headerLength;
    std::memcpy(r.header, header.data(), std::min(header.size(), sizeof r.header));
    r.dataLength = uint32_t(data.size());
    r.data = data.empty() ? nullptr : datas_.emplace_back(data).data();
    if (!first_) first_ = &r;
    else {
      qxl16_Record* last = first_;
      while (last->next) last = last->next;
      last->next = &r;
    }
    return &r;
  }
  qxl16_Record* first() const { return first_; }

  int code = qxl16_Ok;
  std::vector<qxl16_Record*> freed;

 private:
  COldBackupLibrary previous_;
  qxl16_Record* first_ = nullptr;
  std::deque<qxl16_Record> records_;
  std::deque<std::vector<BYTE>> datas_;
};

class BackupFiles : public ::testing::Test {
 protected:
  QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
  static std::string local(const QString& p) { return QFile::encodeName(p).toStdString(); }

  // An older family's backup holding `image`.
  static std::unique_ptr<CQXDocEntry> olderBackup(const std::vector<BYTE>& image = {1, 2, 3}) {
    auto entry = std::make_unique<CQXDocEntry>();
    auto* item = new CQXBackupV4Item;
    item->SetBytes(image.data(), int(image.size()));
    entry->SetItem(item);
    return entry;
  }
  // A newer family's backup: members "A" and "B".
  static std::unique_ptr<CQXDocEntry> newerBackup() {
    auto entry = std::make_unique<CQXDocEntry>();
    auto* item = new CQXBackupItem;
    for (const char* name : {"A", "B"}) {
      CQXRawBlock block;
      block.InitHeader(1, name, "BKU1", 2);
      const BYTE data[] = {BYTE(name[0]), 0};
      item->GetBlockList().AddBlock(block.HeaderImage(), 40, data, 2);
    }
    entry->SetItem(item);
    return entry;
  }
  void writeBackup(const QString& file, const char* description) {
    auto entry = olderBackup();
    ASSERT_TRUE(WriteBackupFile(local(file).c_str(), &doc, entry.get(), description));
  }
  // Shows the dialog, without a loop of its own, on the test's folder.
  void showOnFolder(CFileDialog& d) {
    d.SetInitialDirectory(dir.path());
    ASSERT_TRUE(d.Create());
    d.GetDialog()->show();
  }
  static CQXBackupFileDialog& backupDialog(CFileDialog& d) { return static_cast<CQXBackupFileDialog&>(d); }
  static void clickRead(CFileDialog& d) {
    QTest::mouseClick(GetDlgItemAs<QPushButton>(d.GetChild(), CQXBackupFileDialog::IDC_READ), Qt::LeftButton);
  }

  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  QTemporaryDir dir;
  MessageLog log;
  FileDialogScript script;
  FakeDocServices doc;
};

// The file as other readers see it: the item store's streams, the info
// record with the receiving document's calculator type, the summary.
TEST_F(BackupFiles, SaveWritesAFileThatOtherReadersRead) {
  if (!QFile::exists(QStringLiteral("/usr/bin/python3"))) GTEST_SKIP() << "no python3";
  doc.calculatorType = "FX7400";
  doc.calculatorName = "CFX-7400G";
  auto entry = olderBackup();
  QString title;
  script.actions.push_back([&](CFileDialog& d) {
    title = d.GetDialog()->windowTitle();
    backupDialog(d).GetDescriptionEdit()->setText(QStringLiteral("Sauvegarde d'été"));
    chooseFile(d, path("b"));
  });
  ASSERT_TRUE(SaveBackupFile(&doc, entry.get()));
  EXPECT_EQ(title.toStdString(), "Enregistrer fichier de sauvegarde");
  EXPECT_TRUE(log.shown.empty());

  QProcess py;
  py.start(QStringLiteral("/usr/bin/python3"),
           {QStringLiteral("-c"),
            QStringLiteral("import olefile,sys\n"
                           "o=olefile.OleFileIO(sys.argv[1])\n"
                           "print(sorted('/'.join(e) for e in o.listdir()))\n"
                           "print(o.openstream('Data_Items/Item_00001026').read().hex())\n"
                           "print(o.openstream('Data_Items/Item_00001025').read().hex())\n"
                           "m=o.get_metadata()\n"
                           "print(m.title.hex(), m.keywords.hex(), m.comments.hex(), m.creating_application.hex())\n"),
            path("b.qxm")});
  ASSERT_TRUE(py.waitForFinished(30000));
  ASSERT_EQ(py.exitCode(), 0) << py.readAllStandardError().toStdString();
  const QStringList lines = QString::fromUtf8(py.readAllStandardOutput()).split(QLatin1Char('\n'));
  ASSERT_GE(lines.size(), 4);
  EXPECT_EQ(lines[0].toStdString(),
            "['\\x05SummaryInformation', 'Data_Items/Item_00001025', 'Data_Items/Item_00001026', 'Directory']");
  const std::string info = "01000000" "01000000" "0a000000" "00000000"
                           "465837343030" + std::string(58 * 2, '0') +  // "FX7400", zeros to 80
                           "34000000" + versionRecordHex();              // 52, the version record
  EXPECT_EQ(lines[1].toStdString(), info);
  const std::vector<BYTE> stored = storedBytes(*entry);
  EXPECT_EQ(lines[2].toStdString(), hex(std::string(stored.begin(), stored.end())));
  EXPECT_EQ(lines[3].toStdString(), hex(tallix::toCp1252(QStringLiteral("TALLIX Sauvegarde données calculatrice graphique"))) +
                                        " " + hex("CFX-7400G") + " " +
                                        hex(tallix::toCp1252(QStringLiteral("Sauvegarde d'été"))) + " " +
                                        hex("TALLIX PROFESSIONAL"));
}

TEST_F(BackupFiles, LoadGivesBackTheSavedEntriesOfBothFamiliesAlsoFromReadOnlyFiles) {
  std::unique_ptr<CQXDocEntry> saved[] = {olderBackup(), newerBackup()};
  const QString files[] = {path("older.qxm"), path("newer.qxm")};
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(WriteBackupFile(local(files[i]).c_str(), &doc, saved[i].get(), "d"));
    ASSERT_TRUE(QFile::setPermissions(files[i], QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    QString okText;
    script.actions.push_back([&](CFileDialog& d) {
      okText = d.GetDialog()->labelText(QFileDialog::Accept);
      chooseFile(d, files[i]);
    });
    CQXDocEntry* loaded = nullptr;
    ASSERT_TRUE(LoadBackupFile(&loaded));
    std::unique_ptr<CQXDocEntry> held(loaded);
    EXPECT_EQ(okText.toStdString(), "Envoyer");
    ASSERT_TRUE(loaded->GetItem());
    EXPECT_EQ(loaded->GetItem()->GetTypeId(), saved[i]->GetItem()->GetTypeId());
    EXPECT_EQ(storedBytes(*loaded->GetItem()), storedBytes(*saved[i]->GetItem()));
  }
  EXPECT_TRUE(log.shown.empty());
}

TEST_F(BackupFiles, AFileWithoutBackupDataCannotBeLoaded) {
  {
    COrvoItemStore store;
    ASSERT_TRUE(store.Open(local(path("x.qxm")).c_str(), ORVO_OPEN_CREATE));
    ASSERT_TRUE(store.Commit());
  }
  CQXDocEntry* loaded = nullptr;
  EXPECT_FALSE(ReadBackupFile(local(path("x.qxm")).c_str(), &loaded));
  EXPECT_EQ(loaded, nullptr);
  ASSERT_EQ(log.shown.size(), 1u);
  EXPECT_EQ(log.shown[0].text, CLanguageLibrary::FormatMessage(61733, path("x.qxm")));
  EXPECT_EQ(log.shown[0].type, UINT(MB_ICONEXCLAMATION));
}

// A write that fails says so and offers the dialog again with what was
// chosen; the file it was to replace stays as it was, and nothing is left
// behind.
TEST_F(BackupFiles, AFailedSaveKeepsTheOldFileAndAsksAgain) {
  QTemporaryDir scratch;
  hooks::resetWriteCount();
  writeBackup(scratch.filePath(QStringLiteral("probe.qxm")), "x");
  const int writes = hooks::writeCount();
  ASSERT_GT(writes, 1);

  writeBackup(path("old.qxm"), "ancienne");
  const QByteArray before = fileBytes(path("old.qxm"));
  auto entry = olderBackup({9, 9});
  QString offeredPath, offeredDescription;
  script.actions.push_back([&](CFileDialog& d) {
    hooks::failWritesAfter(writes / 2, ENOSPC, true);
    backupDialog(d).GetDescriptionEdit()->setText(QStringLiteral("nouvelle"));
    chooseFile(d, path("old.qxm"));
  });
  script.actions.push_back([&](CFileDialog& d) {
    hooks::clearWriteFailures();
    offeredPath = d.GetSelectedPath();
    offeredDescription = backupDialog(d).GetDescriptionEdit()->text();
  });
  EXPECT_FALSE(SaveBackupFile(&doc, entry.get()));
  hooks::clearWriteFailures();
  EXPECT_EQ(script.shown, 2);
  ASSERT_EQ(log.shown.size(), 2u);  // replace?, then the failure
  EXPECT_EQ(log.shown[1].text, CLanguageLibrary::FormatMessage(61734, path("old.qxm")));
  EXPECT_EQ(offeredPath, path("old.qxm"));
  EXPECT_EQ(offeredDescription.toStdString(), "nouvelle");
  EXPECT_EQ(fileBytes(path("old.qxm")), before);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("old.qxm")});
}

TEST_F(BackupFiles, ASaveOverALinkReplacesTheFileItNames) {
  writeBackup(path("real.qxm"), "avant");
  ASSERT_TRUE(QFile::link(path("real.qxm"), path("link.qxm")));
  writeBackup(path("link.qxm"), "neuve");
  EXPECT_TRUE(QFileInfo(path("link.qxm")).isSymLink());
  std::string description;
  ASSERT_TRUE(ReadBackupDescription(local(path("real.qxm")).c_str(), &description));
  EXPECT_EQ(description, "neuve");
}

TEST_F(BackupFiles, EditChangesOnlyTheDescription) {
  writeBackup(path("a.qxm"), "avant");
  const auto streamsBefore = streamsOf(path("a.qxm"));
  QString readBack;
  script.actions.push_back([&](CFileDialog& d) {
    EXPECT_EQ(d.GetDialog()->windowTitle().toStdString(), "Modifier description");
    d.GetDialog()->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path("a.qxm"));
    clickRead(d);
    readBack = backupDialog(d).GetDescriptionEdit()->text();
    backupDialog(d).GetDescriptionEdit()->setText(QStringLiteral("après"));
    pressAccept(d);
  });
  ASSERT_TRUE(EditBackupDescription());
  EXPECT_EQ(readBack.toStdString(), "avant");
  EXPECT_TRUE(log.shown.empty());  // no overwrite question here
  std::string description;
  ASSERT_TRUE(ReadBackupDescription(local(path("a.qxm")).c_str(), &description));
  EXPECT_EQ(description, tallix::toCp1252(QStringLiteral("après")));
  EXPECT_EQ(streamsOf(path("a.qxm")), streamsBefore);
}

// An edit of the description that fails at any of its writes leaves the
// file whole: the old description, or the new one once the commit is in,
// and the backup itself untouched.
TEST_F(BackupFiles, AnEditThatFailsAtAnyWriteKeepsTheFileWhole) {
  writeBackup(path("a.qxm"), "avant");
  ASSERT_TRUE(QFile::copy(path("a.qxm"), path("probe.qxm")));
  hooks::resetWriteCount();
  ASSERT_TRUE(WriteBackupDescription(local(path("probe.qxm")).c_str(), "apres"));
  const int writes = hooks::writeCount();
  ASSERT_GT(writes, 0);
  auto backupStreams = [&] {
    auto streams = streamsOf(path("a.qxm"));
    std::erase_if(streams, [](const auto& s) { return s.first.find("SummaryInformation") != std::string::npos; });
    return streams;
  };
  const auto before = backupStreams();
  for (int k = 0; k < writes; ++k) {
    ASSERT_TRUE(WriteBackupDescription(local(path("a.qxm")).c_str(), "avant"));
    hooks::failWritesAfter(k, EIO, true);
    const BOOL written = WriteBackupDescription(local(path("a.qxm")).c_str(), "apres");
    hooks::clearWriteFailures();
    std::string description;
    EXPECT_TRUE(ReadBackupDescription(local(path("a.qxm")).c_str(), &description)) << k;
    if (written) EXPECT_EQ(description, "apres") << k;
    else EXPECT_TRUE(description == "avant" || description == "apres") << k << ": " << description;
    EXPECT_EQ(backupStreams(), before) << k;
  }
}

TEST_F(BackupFiles, EditingAFileWithoutBackupInfoChangesNothing) {
  writeBackup(path("a.qxm"), "avant");
  {
    COrvoItemStore store;
    ASSERT_TRUE(store.Open(local(path("a.qxm")).c_str(), ORVO_SHARE_EXCLUSIVE));
    ASSERT_TRUE(store.DeleteNode(kBackupInfoPath));
    ASSERT_TRUE(store.Commit());
  }
  const QByteArray before = fileBytes(path("a.qxm"));
  script.actions.push_back([&](CFileDialog& d) {
    backupDialog(d).GetDescriptionEdit()->setText(QStringLiteral("après"));
    chooseFile(d, path("a.qxm"));
  });
  EXPECT_FALSE(EditBackupDescription());
  ASSERT_EQ(log.shown.size(), 1u);
  EXPECT_EQ(log.shown[0].text, CLanguageLibrary::FormatMessage(61733, path("a.qxm")));
  EXPECT_EQ(fileBytes(path("a.qxm")), before);
}

// Older backups: the library's chain becomes the backup item of its family;
// what the chain or the library reports wrong becomes one message.
TEST_F(BackupFiles, OlderBackupsBecomeEntriesThroughTheLibrary) {
  FakeOldLibrary library;
  const std::vector<BYTE> image = {1, 2, 3, 4, 5};
  CQXBackupV4Item model;
  model.SetBytes(image.data(), int(image.size()));
  std::vector<BYTE> memHeader(50);
  ASSERT_TRUE(model.BuildHeader(memHeader.data(), 50));

  // A file that is not a compound file is taken for an older backup.
  QFile old(path("old.qxb"));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("older backup");
  old.close();
  library.add("Backup V4", 50, memHeader, image);
  CQXDocEntry* loaded = nullptr;
  ASSERT_TRUE(ReadBackupFile(local(path("old.qxb")).c_str(), &loaded));
  std::unique_ptr<CQXDocEntry> held(loaded);
  auto* v4 = dynamic_cast<CQXBackupV4Item*>(loaded->GetItem());
  ASSERT_TRUE(v4);
  std::vector<BYTE> bytes(image.size());
  ASSERT_TRUE(v4->GetBytes(bytes.data(), int(bytes.size())));
  EXPECT_EQ(bytes, image);
  EXPECT_EQ(library.freed, std::vector<qxl16_Record*>{library.first()});

  std::vector<BYTE> members[3];
  library.reset();
  for (int i = 0; i < 3; ++i) {
    CQXRawBlock block;
    block.InitHeader(BYTE(i), std::string(1, char('X' + i)).c_str(), "BKU1", 3);
    members[i] = {BYTE(i), BYTE(i), 7};
    library.add(i == 0 ? "Backup V5" : "", 40,
                std::vector<BYTE>(block.HeaderImage(), block.HeaderImage() + 40), members[i]);
  }
  ASSERT_TRUE(LoadOldBackupFile("v5.qxb", &loaded));
  held.reset(loaded);
  auto* v5 = dynamic_cast<CQXBackupItem*>(loaded->GetItem());
  ASSERT_TRUE(v5);
  ASSERT_EQ(v5->GetBlockList().GetCount(), 3);
  for (int i = 0; i < 3; ++i) {
    const CQXRawBlock* block = v5->GetBlockList().GetAt(i);
    EXPECT_EQ(block->Name(), std::string(1, char('X' + i)));
    EXPECT_EQ(std::vector<BYTE>(block->GetData(), block->GetData() + block->GetLength()), members[i]);
  }
  EXPECT_TRUE(log.shown.empty());

  const struct {
    std::function<void()> chain;
    UINT message;
  } failures[] = {
      {[&] { library.add("Backup V4", 39, memHeader, image); }, 61705},
      {[&] { library.add("Backup V4", 50, memHeader, {})->dataLength = 5; }, 61705},
      {[&] { library.add("Backup V6", 50, memHeader, image); }, 61705},
      {[&] {
         library.add("Backup V5", 40, memHeader, image);
         library.add("", 50, memHeader, image);
       },
       61705},
      {[&] { library.reset(qxl16_CannotOpen); }, 61697},
      {[&] { library.reset(qxl16_NotSupported); }, 10575},
      {[&] { library.reset(qxl16_OutOfMemory); }, 61706},
  };
  for (const auto& f : failures) {
    library.reset();
    log.shown.clear();
    f.chain();
    qxl16_Record* chain = library.first();
    EXPECT_FALSE(LoadOldBackupFile("old.qxb", &loaded));
    EXPECT_EQ(loaded, nullptr);
    ASSERT_EQ(log.shown.size(), 1u);
    EXPECT_EQ(log.shown[0].text, CLanguageLibrary::LoadString(f.message)) << f.message;
    EXPECT_EQ(log.shown[0].type, UINT(MB_ICONINFORMATION));
    if (chain) {
      EXPECT_EQ(library.freed, std::vector<qxl16_Record*>{chain}) << f.message;
    }
  }
}

TEST_F(BackupFiles, ReadEmptiesTheEditWithoutASelectedFile) {
  writeBackup(path("a.qxm"), "premi\xe8re");
  CQXBackupSaveDialog dialog(QStringLiteral("qxm"), CLanguageLibrary::LoadString(10600));
  showOnFolder(dialog);
  dialog.GetDescriptionEdit()->setText(QStringLiteral("reste"));
  clickRead(dialog);
  EXPECT_TRUE(dialog.GetDescriptionEdit()->text().isEmpty());
  ASSERT_TRUE(clickListedFile(dialog, QStringLiteral("a.qxm")));
  clickRead(dialog);
  EXPECT_EQ(dialog.GetDescriptionEdit()->text().toStdString(), "première");
}

TEST_F(BackupFiles, SendDialogShowsTheSelectedFilesDescription) {
  writeBackup(path("a.qxm"), "premi\xe8re");
  CQXBackupSendDialog dialog(QStringLiteral("qxm"), CLanguageLibrary::LoadString(10609));
  showOnFolder(dialog);
  EXPECT_EQ(dialog.GetDialog()->windowTitle().toStdString(), "Envoyer fichier de sauvegarde");
  ASSERT_TRUE(clickListedFile(dialog, QStringLiteral("a.qxm")));
  EXPECT_EQ(dialog.GetDescriptionEdit()->text().toStdString(), "première");
}

}  // namespace
