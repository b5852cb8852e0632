#include "platform/LanguageLibrary.h"

#include "platform/Cp1252.h"
#include "platform/StringTableText.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QResource>
#include <QUiLoader>
#include <QXmlStreamReader>

#include <map>

namespace {

const QString kRoot = QStringLiteral(":/lng/");

struct State {
  QString filePath;
  bool loaded = false;
  std::map<unsigned, QString> strings;
  // kind ("menus", "dialogs", ...) -> id -> resource paths (icons may have several sizes)
  std::map<QString, std::map<unsigned, QStringList>> files;
  std::map<QString, CLanguageLibrary::WidgetFactory> widgetClasses;
};

State& state() {
  static State s;
  return s;
}

void loadStrings(State& s) {
  const QDir dir(kRoot + QStringLiteral("strings"));
  for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
    QFile f(dir.filePath(name));
    if (f.open(QIODevice::ReadOnly)) tallix::parseStringTable(f.readAll(), s.strings);
  }
}

void indexFiles(State& s) {
  for (const QString& kind : {QStringLiteral("menus"), QStringLiteral("accel"), QStringLiteral("toolbars"),
                             QStringLiteral("dialogs"), QStringLiteral("icons"), QStringLiteral("bitmaps"),
                             QStringLiteral("cursors")}) {
    const QDir dir(kRoot + kind);
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
      qsizetype digits = 0;
      while (digits < name.size() && name[digits].isDigit()) ++digits;
      if (digits == 0) continue;
      s.files[kind][name.left(digits).toUInt()].append(dir.filePath(name));
    }
  }
}

QString resourceFile(const QString& kind, unsigned id) {
  const State& s = state();
  auto k = s.files.find(kind);
  if (k == s.files.end()) return {};
  auto f = k->second.find(id);
  return f == k->second.end() ? QString() : f->second.first();
}

bool openXml(const QString& kind, unsigned id, QFile& file, QXmlStreamReader& xml) {
  const QString path = resourceFile(kind, id);
  if (path.isEmpty()) return false;
  file.setFileName(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  xml.setDevice(&file);
  return true;
}

int intAttr(const QXmlStreamReader& xml, const char* name) {
  return xml.attributes().value(QLatin1String(name)).toInt();
}

QString textAttr(const QXmlStreamReader& xml) {
  return tallix::unescapeResourceText(xml.attributes().value(QLatin1String("text")));
}

void addCommand(QMenu* menu, int id, const QString& text) {
  QAction* action = menu->addAction(text);
  action->setData(id);
  action->setProperty("commandId", id);
  const QString prompt = CLanguageLibrary::LoadString(unsigned(id));
  const qsizetype nl = prompt.indexOf(u'\n');
  action->setStatusTip(nl < 0 ? prompt : prompt.left(nl));
  if (nl >= 0) action->setToolTip(prompt.mid(nl + 1));
}

// Reads the children of the current <menu> or <popup> element into `menu`.
void readMenuBody(QXmlStreamReader& xml, QMenu* menu) {
  while (xml.readNextStartElement()) {
    if (xml.name() == QLatin1String("item")) {
      addCommand(menu, intAttr(xml, "id"), textAttr(xml));
      xml.skipCurrentElement();
    } else if (xml.name() == QLatin1String("separator")) {
      menu->addSeparator();
      xml.skipCurrentElement();
    } else if (xml.name() == QLatin1String("popup")) {
      QMenu* sub = menu->addMenu(textAttr(xml));
      readMenuBody(xml, sub);
    } else {
      xml.skipCurrentElement();
    }
  }
}

class FormLoader : public QUiLoader {
 public:
  QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
    const auto& classes = state().widgetClasses;
    auto it = classes.find(className);
    if (it != classes.end() && it->second) {
      if (QWidget* w = it->second(parent, name)) {
        w->setObjectName(name);
        return w;
      }
    }
    return QUiLoader::createWidget(className, parent, name);
  }
};

}  // namespace

QPixmap CToolBarResource::buttonImage(int index) const {
  const QPixmap strip = CLanguageLibrary::LoadBitmap(unsigned(bitmapId));
  if (strip.isNull() || buttonSize.isEmpty()) return {};
  return strip.copy(index * buttonSize.width(), 0, buttonSize.width(), buttonSize.height());
}

bool CLanguageLibrary::Load(const QString& filePath) {
  Unload();
  if (!QFile::exists(filePath) || !QResource::registerResource(filePath)) return false;
  State& s = state();
  s.filePath = filePath;
  s.loaded = true;
  loadStrings(s);
  indexFiles(s);
  return true;
}

void CLanguageLibrary::Unload() {
  State& s = state();
  if (s.loaded) QResource::unregisterResource(s.filePath);
  s.loaded = false;
  s.filePath.clear();
  s.strings.clear();
  s.files.clear();
}

bool CLanguageLibrary::IsLoaded() { return state().loaded; }
QString CLanguageLibrary::FilePath() { return state().filePath; }

QString CLanguageLibrary::LoadString(unsigned id) {
  const auto& strings = state().strings;
  auto it = strings.find(id);
  return it == strings.end() ? QString() : it->second;
}

std::string CLanguageLibrary::LoadStringA(unsigned id) { return tallix::toCp1252(LoadString(id)); }

QString FormatPlaceholders(const QString& text, const QString& arg1, const QString& arg2) {
  return tallix::fillPlaceholders(text, arg1, arg2);
}

QString CLanguageLibrary::FormatMessage(unsigned id, const QString& arg1, const QString& arg2) {
  return FormatPlaceholders(LoadString(id), arg1, arg2);
}

QMenu* CLanguageLibrary::LoadMenu(unsigned id, QWidget* parent) {
  QFile file;
  QXmlStreamReader xml;
  if (!openXml(QStringLiteral("menus"), id, file, xml) || !xml.readNextStartElement()) return nullptr;
  auto* menu = new QMenu(parent);
  menu->setProperty("menuId", id);
  readMenuBody(xml, menu);
  return menu;
}

std::vector<CAcceleratorEntry> CLanguageLibrary::LoadAccelerators(unsigned id) {
  std::vector<CAcceleratorEntry> table;
  QFile file;
  QXmlStreamReader xml;
  if (!openXml(QStringLiteral("accel"), id, file, xml) || !xml.readNextStartElement()) return table;
  while (xml.readNextStartElement()) {
    if (xml.name() == QLatin1String("accel")) {
      table.push_back({QKeySequence(xml.attributes().value(QLatin1String("key")).toString()), intAttr(xml, "id")});
    }
    xml.skipCurrentElement();
  }
  return table;
}

CToolBarResource CLanguageLibrary::LoadToolBar(unsigned id) {
  CToolBarResource bar;
  QFile file;
  QXmlStreamReader xml;
  if (!openXml(QStringLiteral("toolbars"), id, file, xml) || !xml.readNextStartElement()) return bar;
  bar.bitmapId = intAttr(xml, "bitmap");
  bar.buttonSize = QSize(intAttr(xml, "width"), intAttr(xml, "height"));
  while (xml.readNextStartElement()) {
    if (xml.name() == QLatin1String("button")) bar.commandIds.push_back(intAttr(xml, "id"));
    else if (xml.name() == QLatin1String("separator")) bar.commandIds.push_back(0);
    xml.skipCurrentElement();
  }
  return bar;
}

void CLanguageLibrary::RegisterWidgetClass(const QString& className, WidgetFactory factory) {
  state().widgetClasses[className] = std::move(factory);
}

QWidget* CLanguageLibrary::LoadDialog(unsigned id, QWidget* parent) {
  const QString path = resourceFile(QStringLiteral("dialogs"), id);
  if (path.isEmpty()) return nullptr;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return nullptr;
  FormLoader loader;
  QWidget* w = loader.load(&file, parent);
  if (w) w->setProperty("dialogId", id);
  return w;
}

QIcon CLanguageLibrary::LoadIcon(unsigned id) {
  QIcon icon;
  const auto& files = state().files;
  auto k = files.find(QStringLiteral("icons"));
  if (k == files.end()) return icon;
  auto f = k->second.find(id);
  if (f == k->second.end()) return icon;
  for (const QString& path : f->second) icon.addFile(path);
  return icon;
}

QPixmap CLanguageLibrary::LoadBitmap(unsigned id) {
  const QString path = resourceFile(QStringLiteral("bitmaps"), id);
  return path.isEmpty() ? QPixmap() : QPixmap(path);
}

QPixmap CLanguageLibrary::LoadCursorImage(unsigned id) {
  const QString path = resourceFile(QStringLiteral("cursors"), id);
  return path.isEmpty() ? QPixmap() : QPixmap(path);
}

QWidget* GetDlgItem(const QWidget* dialog, int id) {
  if (!dialog) return nullptr;
  for (QWidget* w : dialog->findChildren<QWidget*>()) {
    bool ok = false;
    if (w->property("ctrlId").toInt(&ok) == id && ok) return w;
  }
  return nullptr;
}
