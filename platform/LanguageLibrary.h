// The language resource library "QXLWIN32.LNG": every menu, accelerator
// table, tool bar, dialog, string, icon and bitmap that the program loads by
// id. The file is a Qt binary resource file; it is registered by name at
// start-up and answers by numeric id from then on.
//
// Inside the file (prefix "/lng"):
//   strings/*.txt        "id<TAB>text" lines, UTF-8; "\n", "\t", "\\" escapes;
//                        lines starting with '#' and blank lines are skipped
//   menus/<id>*.xml      <menu><popup text=".."><item id=".." text=".."/>
//                        <separator/></popup></menu>
//   accel/<id>*.xml      <accelerators><accel key="Ctrl+N" id=".."/></accelerators>
//   toolbars/<id>*.xml   <toolbar bitmap=".." width="16" height="15">
//                        <button id=".."/><separator/></toolbar>
//   dialogs/<id>*.ui     Qt Designer forms; every control that code touches
//                        carries its numeric id in the dynamic property "ctrlId";
//                        a spin box that stands for an edit and its up-down
//                        control carries the edit's id as "ctrlId" and the
//                        up-down control's as "spinId"
//   icons/<id>*.png, bitmaps/<id>*.png, cursors/<id>*.png
//   help/<context in hex>.html, version.txt ("key<TAB>value" lines)
// A file name begins with the decimal id; anything after it (a '-' and a
// readable name) is ignored.
#pragma once

#include <QIcon>
#include <QKeySequence>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <functional>
#include <string>
#include <vector>

class QMenu;
class QWidget;

struct CAcceleratorEntry {
  QKeySequence key;
  int commandId = 0;
};

struct CToolBarResource {
  int bitmapId = 0;
  QSize buttonSize;
  std::vector<int> commandIds;  // 0 stands for a separator
  bool isValid() const { return !commandIds.empty(); }
  // The image of the n-th button (separators not counted) from the strip.
  QPixmap buttonImage(int index) const;
};

class CLanguageLibrary {
 public:
  // Registers the resource file at `filePath`; false when it is missing or not
  // a resource file. A library loaded before is released first.
  static bool Load(const QString& filePath);
  static void Unload();
  static bool IsLoaded();
  static QString FilePath();

  // Empty when the id is missing, as the platform's string loader answers.
  static QString LoadString(unsigned id);
  // The same string as Windows-1252 bytes, for texts that end up in data.
  static std::string LoadStringA(unsigned id);
  // The string with "%1" and "%2" filled in one pass (a "%2" inside the first
  // argument stays as it is).
  static QString FormatMessage(unsigned id, const QString& arg1 = {}, const QString& arg2 = {});

  // A menu whose actions carry their command ids (QAction::data() and the
  // property "commandId") and, as status tip, the prompt of the string with
  // the same id (the text before its '\n'; the text after it is the tool tip).
  // Null when the id is missing. The caller owns the menu.
  static QMenu* LoadMenu(unsigned id, QWidget* parent = nullptr);
  static std::vector<CAcceleratorEntry> LoadAccelerators(unsigned id);
  static CToolBarResource LoadToolBar(unsigned id);

  // Creates our own widget for a promoted class of a dialog form; returns
  // null to let the form loader build the class it knows.
  using WidgetFactory = std::function<QWidget*(QWidget* parent, const QString& objectName)>;
  static void RegisterWidgetClass(const QString& className, WidgetFactory factory);
  // The dialog's widget tree (a QDialog when the form's top level is one),
  // with the dynamic property "dialogId"; null when the id is missing.
  static QWidget* LoadDialog(unsigned id, QWidget* parent = nullptr);
  // Builds the dialog's form into `root` (which takes the form's title,
  // size, layout and controls) instead of a new top-level widget; false
  // when the id is missing.
  static bool LoadDialogInto(unsigned id, QWidget* root);

  static QIcon LoadIcon(unsigned id);
  static QPixmap LoadBitmap(unsigned id);
  static QPixmap LoadCursorImage(unsigned id);

  // The ids the loaded library holds of one kind ("strings", "menus",
  // "accel", "toolbars", "dialogs", "icons", "bitmaps", "cursors"), ascending.
  static std::vector<unsigned> ResourceIds(const QString& kind);
  // The value of `key` in the library's version entry ("Language" gives
  // the Windows language identifier its texts are written in, "1036" for
  // French); empty when there is no such key or no library.
  static QString VersionValue(const QString& key);

  // Called with the kind and id of every load that finds nothing while a
  // library is loaded; the test harness uses it to catch ids the library
  // lacks. None by default.
  using MissingHandler = std::function<void(const QString& kind, unsigned id)>;
  static void SetMissingHandler(MissingHandler handler);
};

// The control of a dialog whose "ctrlId" property is `id` (else whose
// "spinId" is), or null.
QWidget* GetDlgItem(const QWidget* dialog, int id);
template <class T>
T* GetDlgItemAs(const QWidget* dialog, int id) {
  return qobject_cast<T*>(GetDlgItem(dialog, id));
}

// Fills "%1" and "%2" of `text` in one pass.
QString FormatPlaceholders(const QString& text, const QString& arg1, const QString& arg2 = {});
