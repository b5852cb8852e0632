#include "platform/LanguageLibrary.h"

#include "charset/Cp1252.h"
#include "platform/AtomicFile.h"
#include "platform/ResourceData.h"
#include "platform/StringTableText.h"

#include <QAbstractButton>
#include <QAction>
#include <QBuffer>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QResource>
#include <QStyle>
#include <QUiLoader>
#include <QXmlStreamReader>

#include <map>
#include <utility>

namespace {

const QString kRoot = QStringLiteral(":/lng/");

// The largest language library read.
constexpr std::uint64_t kMaxLanguageLibrarySize = std::uint64_t(64) << 20;

struct State {
  QString filePath;
  // The library's bytes, read whole: Qt reads its resources from here.
  QByteArray data;
  bool loaded = false;
  std::map<unsigned, QString> strings;
  // kind ("menus", "dialogs", ...) -> id -> resource paths (icons may have several sizes)
  std::map<QString, std::map<unsigned, QStringList>> files;
  std::map<QString, CLanguageLibrary::WidgetFactory> widgetClasses;
  CLanguageLibrary::MissingHandler missing;
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

void reportMissing(const QString& kind, unsigned id) {
  const State& s = state();
  if (s.loaded && s.missing) s.missing(kind, id);
}

const QStringList* resourceFiles(const QString& kind, unsigned id) {
  const State& s = state();
  if (auto k = s.files.find(kind); k != s.files.end())
    if (auto f = k->second.find(id); f != k->second.end()) return &f->second;
  reportMissing(kind, id);
  return nullptr;
}

QString resourceFile(const QString& kind, unsigned id) {
  const QStringList* files = resourceFiles(kind, id);
  return files ? files->first() : QString();
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

// Builds a form's widgets: our own classes through their registered
// factories; a promoted class nobody registered as the Qt class it extends.
class FormLoader : public QUiLoader {
 public:
  explicit FormLoader(const QByteArray& form) {
    QXmlStreamReader xml(form);
    QString promoted;
    while (!xml.atEnd()) {
      xml.readNext();
      if (!xml.isStartElement()) continue;
      if (xml.name() == QLatin1String("class")) promoted = xml.readElementText();
      else if (xml.name() == QLatin1String("extends")) bases_[promoted] = xml.readElementText();
    }
  }

  // The widget that becomes the form's top level, or null for a new one.
  QWidget* root = nullptr;

  QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
    if (!parent && root) {
      QWidget* w = std::exchange(root, nullptr);
      w->setObjectName(name);
      return w;
    }
    const auto& classes = state().widgetClasses;
    auto it = classes.find(className);
    if (it != classes.end() && it->second) {
      if (QWidget* w = it->second(parent, name)) {
        w->setObjectName(name);
        return w;
      }
    }
    auto base = bases_.find(className);
    QWidget* w = QUiLoader::createWidget(base == bases_.end() ? className : base->second, parent, name);
    if (w && base != bases_.end()) w->setProperty("promotedClass", className);
    return w;
  }

 private:
  std::map<QString, QString> bases_;
};

// Pictures that a form names by id ("iconId") or as the system's message
// icons ("systemIcon": "question", "information", "warning").
void fillFormPictures(QWidget* form) {
  for (QWidget* w : form->findChildren<QWidget*>()) {
    QIcon icon;
    bool ok = false;
    const int iconId = w->property("iconId").toInt(&ok);
    if (ok && iconId > 0) {
      icon = CLanguageLibrary::LoadIcon(unsigned(iconId));
    } else if (const QString system = w->property("systemIcon").toString(); !system.isEmpty()) {
      const QStyle::StandardPixmap which = system == QLatin1String("question") ? QStyle::SP_MessageBoxQuestion
                                           : system == QLatin1String("warning") ? QStyle::SP_MessageBoxWarning
                                                                                : QStyle::SP_MessageBoxInformation;
      icon = w->style()->standardIcon(which);
    }
    if (icon.isNull()) continue;
    if (auto* label = qobject_cast<QLabel*>(w)) label->setPixmap(icon.pixmap(32, 32));
    else if (auto* button = qobject_cast<QAbstractButton*>(w)) button->setIcon(icon);
  }
}

}  // namespace

QPixmap CToolBarResource::buttonImage(int index) const {
  const QPixmap strip = CLanguageLibrary::LoadBitmap(unsigned(bitmapId));
  if (strip.isNull() || buttonSize.isEmpty()) return {};
  return strip.copy(index * buttonSize.width(), 0, buttonSize.width(), buttonSize.height());
}

bool CLanguageLibrary::Load(const QString& filePath) {
  Unload();
  State& s = state();
  if (!tallix::readWholeFile(filePath, &s.data, kMaxLanguageLibrarySize) || !tallix::isSoundResourceData(s.data) ||
      !QResource::registerResource(reinterpret_cast<const uchar*>(s.data.constData()))) {
    s.data.clear();
    return false;
  }
  s.filePath = filePath;
  s.loaded = true;
  loadStrings(s);
  indexFiles(s);
  return true;
}

void CLanguageLibrary::Unload() {
  State& s = state();
  if (s.loaded) QResource::unregisterResource(reinterpret_cast<const uchar*>(s.data.constData()));
  s.data.clear();
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
  if (it != strings.end()) return it->second;
  reportMissing(QStringLiteral("strings"), id);
  return {};
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

namespace {

// The form of dialog `id` built under `parent`, or into `root` when given.
QWidget* buildDialog(unsigned id, QWidget* parent, QWidget* root) {
  const QString path = resourceFile(QStringLiteral("dialogs"), id);
  if (path.isEmpty()) return nullptr;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return nullptr;
  QBuffer form;
  form.setData(file.readAll());
  FormLoader loader(form.data());
  loader.root = root;
  form.open(QIODevice::ReadOnly);
  QWidget* w = loader.load(&form, root ? nullptr : parent);
  if (!w) return nullptr;
  if (root && w != root) {
    delete w;
    return nullptr;
  }
  w->setProperty("dialogId", id);
  fillFormPictures(w);
  return w;
}

}  // namespace

QWidget* CLanguageLibrary::LoadDialog(unsigned id, QWidget* parent) { return buildDialog(id, parent, nullptr); }

bool CLanguageLibrary::LoadDialogInto(unsigned id, QWidget* root) {
  return root && buildDialog(id, nullptr, root) == root;
}

QIcon CLanguageLibrary::LoadIcon(unsigned id) {
  QIcon icon;
  if (const QStringList* files = resourceFiles(QStringLiteral("icons"), id))
    for (const QString& path : *files) icon.addFile(path);
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

std::vector<unsigned> CLanguageLibrary::ResourceIds(const QString& kind) {
  std::vector<unsigned> ids;
  const State& s = state();
  if (kind == QLatin1String("strings")) {
    for (const auto& [id, text] : s.strings) ids.push_back(id);
  } else if (auto k = s.files.find(kind); k != s.files.end()) {
    for (const auto& [id, paths] : k->second) ids.push_back(id);
  }
  return ids;
}

QString CLanguageLibrary::VersionValue(const QString& key) {
  if (!state().loaded) return {};
  QFile file(kRoot + QStringLiteral("version.txt"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  for (const QByteArray& line : file.readAll().split('\n')) {
    const QString text = QString::fromUtf8(line).trimmed();
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    if (tab > 0 && !text.startsWith(QLatin1Char('#')) && text.left(tab).trimmed() == key)
      return text.mid(tab + 1).trimmed();
  }
  return {};
}

void CLanguageLibrary::SetMissingHandler(MissingHandler handler) { state().missing = std::move(handler); }

QWidget* GetDlgItem(const QWidget* dialog, int id) {
  if (!dialog) return nullptr;
  const QList<QWidget*> children = dialog->findChildren<QWidget*>();
  for (const char* property : {"ctrlId", "spinId"}) {
    for (QWidget* w : children) {
      bool ok = false;
      if (w->property(property).toInt(&ok) == id && ok) return w;
    }
  }
  return nullptr;
}
