#include "tests/support/FileDialogScript.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

namespace tallix::test {
namespace {

QListView* fileList(CFileDialog& dialog) { return dialog.GetDialog()->findChild<QListView*>(QStringLiteral("listView")); }

QModelIndex findListed(QListView* list, const QString& name) {
  QAbstractItemModel* model = list->model();
  for (int row = 0; row < model->rowCount(list->rootIndex()); ++row) {
    const QModelIndex index = model->index(row, 0, list->rootIndex());
    if (index.data().toString() == name) return index;
  }
  return {};
}

// The file system model reads folders in a thread of its own: waits until
// the list has rows and has kept their number for a while (a bound that only
// a fault reaches).
void letTheFolderLoad(QListView* list) {
  QDeadlineTimer deadline(10000);
  int stable = 0, last = -1;
  while (!deadline.hasExpired() && stable < 5) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QTest::qSleep(10);
    const int rows = list->model()->rowCount(list->rootIndex());
    stable = rows == last && rows > 0 ? stable + 1 : 0;
    last = rows;
  }
}

}  // namespace

FileDialogScript::FileDialogScript() {
  CFileDialog::SetModalHook([this](CFileDialog& dialog) {
    ++shown;
    if (actions.empty()) return;
    Action action = std::move(actions.front());
    actions.pop_front();
    action(dialog);
  });
}

FileDialogScript::~FileDialogScript() { CFileDialog::SetModalHook({}); }

void pressAccept(CFileDialog& dialog) {
  auto* box = dialog.GetDialog()->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
  QPushButton* accept = box->button(QDialogButtonBox::Open);
  if (!accept) accept = box->button(QDialogButtonBox::Save);
  QTest::mouseClick(accept, Qt::LeftButton);
}

void chooseFile(CFileDialog& dialog, const QString& path) {
  // As typed by the user: with the focus in the field, what the list had
  // selected before is let go.
  auto* edit = dialog.GetDialog()->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  QApplication::setActiveWindow(dialog.GetDialog());
  edit->setFocus();
  edit->setText(path);
  pressAccept(dialog);
}

QStringList listedFiles(CFileDialog& dialog) {
  QListView* list = fileList(dialog);
  letTheFolderLoad(list);
  QStringList names;
  for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row)
    names << list->model()->index(row, 0, list->rootIndex()).data().toString();
  names.sort();
  return names;
}

bool clickListedFile(CFileDialog& dialog, const QString& name) {
  QListView* list = fileList(dialog);
  if (!QTest::qWaitFor([&] { return findListed(list, name).isValid(); }, 10000)) return false;
  const QModelIndex index = findListed(list, name);
  list->scrollTo(index);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
  return true;
}

}  // namespace tallix::test
