// Fuzz target of the menu extension file: whatever its bytes (as the menu
// file and as "qxmenu.ini" of the data folder), building its menus into a
// main window of six popups and reading its commands ends without harm.
#include "app/MenuExtension.h"
#include "app/MenuPopups.h"
#include "platform/FrameWnd.h"
#include "platform/ProgramPaths.h"
#include "platform/WinApp.h"

#include <QApplication>
#include <QFile>
#include <QMenuBar>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static int argc = 1;
  static char name[] = "menu_extension_fuzz";
  static char* argv[] = {name, nullptr};
  static QApplication* qt = new QApplication(argc, argv);
  static CWinApp* app = new CWinApp;
  static QTemporaryDir* dir = [] {
    auto* d = new QTemporaryDir;
    tallix::setUserDataDirectoryOverride(d->path());
    return d;
  }();
  (void)qt;
  const QString file = dir->filePath(QStringLiteral("qxmenu.ini"));
  QFile out(file);
  if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
  out.write(reinterpret_cast<const char*>(data), qint64(size));
  out.close();

  auto* frame = new CFrameWnd;
  for (const char* title : {"&Fichier", "&Edition", "&Link", "&Options", "&Affichage", "&?"}) {
    QMenu* popup = frame->GetMenuBar()->addMenu(QString::fromLatin1(title));
    popup->addAction(QStringLiteral("item"))->setProperty("commandId", 22202);
    popup->addSeparator();
  }
  app->m_pMainWnd = frame;
  InitMenuPopupTable();
  BuildMenuExtension(file);
  std::string value;
  for (UINT id = 15000; id < 15004; ++id) {
    GetMenuCommandTarget(id, &value);
    GetMenuCommandStatusText(id, &value);
  }
  app->m_pMainWnd = nullptr;
  delete frame;
  return 0;
}
