#include "platform/FileDialog.h"

#include "platform/Document.h"
#include "platform/FileDialogFilter.h"
#include "platform/FrameWnd.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "platform/WinApp.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QStandardPaths>
#include <QTimer>
#include <QTreeView>

#include <algorithm>

namespace {

CFileDialog::ModalHook& modalHook() {
  static CFileDialog::ModalHook hook;
  return hook;
}

constexpr UINT kFileNotFound = 61729;  // "%1\nImpossible de trouver ce fichier. ..."
constexpr UINT kReplaceFile = 10155;   // "Le fichier %1 existe déjà. Le remplacer?"
constexpr UINT kAppTitle = 57344;
constexpr int kPlacementStatic = 1119;
// The folder of the last file chosen in any file dialog, kept across runs.
constexpr char kLastFolderSection[] = "Settings";
constexpr char kLastFolderKey[] = "Last Folder";

bool isFolder(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

// The folder of the main window's document, when it has a file.
QString documentFolder() {
  auto* frame = qobject_cast<CFrameWnd*>(AfxGetMainWnd());
  CDocument* document = frame ? frame->GetActiveDocument() : nullptr;
  return document && !document->GetPathName().isEmpty() ? QFileInfo(document->GetPathName()).absolutePath()
                                                         : QString();
}

QString lastFolder() {
  return tallix::openProfile().value(tallix::profileKey(kLastFolderSection, kLastFolderKey)).toString();
}

void rememberFolder(const QString& chosenPath) {
  QSettings profile = tallix::openProfile();
  profile.setValue(tallix::profileKey(kLastFolderSection, kLastFolderKey), QFileInfo(chosenPath).absolutePath());
}

// Qt sizes the detail view's size, type and date columns for English
// samples, too narrow for the translated headers and for the locale's sizes
// and dates. They grow to their header and to the values they show, when a
// folder is loaded and when the rows shown change (another filter, details
// that come later); when they no longer fit beside it, the name column gives
// up what its own header and values do not need.
void widenDetailColumns(QFileDialog* dialog) {
  auto* view = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
  if (!view) return;
  const auto widen = [view] {
    QHeaderView* header = view->header();
    const auto needed = [view, header](int column) {
      return std::max(header->sectionSizeHint(column), static_cast<QAbstractItemView*>(view)->sizeHintForColumn(column));
    };
    for (int column = 1; column < header->count(); ++column)
      if (const int wanted = needed(column); wanted > header->sectionSize(column)) header->resizeSection(column, wanted);
    const int overflow = header->length() - view->viewport()->width();
    if (overflow > 0 && view->isVisible())
      header->resizeSection(0, std::max(needed(0), header->sectionSize(0) - overflow));
  };
  widen();
  QObject::connect(dialog, &QFileDialog::directoryEntered, view, widen);
  auto* model = dialog->findChild<QFileSystemModel*>();
  if (!model) return;
  QObject::connect(model, &QFileSystemModel::directoryLoaded, view, widen);
  // Rows come and change one by one: once for them all.
  auto* later = new QTimer(view);
  later->setSingleShot(true);
  later->setInterval(0);
  QObject::connect(later, &QTimer::timeout, view, widen);
  const auto soon = [later] { later->start(); };
  QObject::connect(model, &QAbstractItemModel::rowsInserted, later, soon);
  QObject::connect(model, &QAbstractItemModel::dataChanged, later, soon);
  QObject::connect(model, &QAbstractItemModel::layoutChanged, later, soon);
}

}  // namespace

// The Qt dialog, whose accept runs the platform's checks before Qt's own.
class CFileDialog::Window : public QFileDialog {
 public:
  Window(CFileDialog* owner, QWidget* parent) : QFileDialog(parent), owner_(owner) {}

  void accept() override {
    // A name saved without an extension takes the chosen type's, so the file
    // written and the one the overwrite question names are of that type.
    setDefaultSuffix(owner_->defaultSuffixOf(DWORD(owner_->shownFilterIndex())));
    const QStringList paths = selectedFiles();
    // No name, or a folder: Qt's own accept enters the folder.
    if (paths.isEmpty() || paths.first().isEmpty() || (paths.size() == 1 && QFileInfo(paths.first()).isDir())) {
      QFileDialog::accept();
      return;
    }
    // The checks are the platform's, so Qt's own are passed by.
    if (owner_->acceptNames(paths)) QDialog::accept();
  }

 private:
  CFileDialog* owner_;
};

CFileDialog::CFileDialog(BOOL openFileDialog, const QString& defaultExt, const QString& fileName, DWORD flags,
                         const QString& filter, QWidget* parent)
    : m_open(openFileDialog),
      m_flags(flags),
      m_defaultExt(defaultExt),
      m_fileName(fileName),
      m_filter(filter),
      m_parent(parent) {}

CFileDialog::~CFileDialog() { delete m_dialog; }

void CFileDialog::SetTitle(const QString& title) {
  m_title = title;
  if (m_dialog) m_dialog->setWindowTitle(title);
}

void CFileDialog::SetOkButtonText(const QString& text) {
  m_okText = text;
  if (m_dialog) m_dialog->setLabelText(QFileDialog::Accept, text);
}

BOOL CFileDialog::Create() {
  if (m_dialog) return TRUE;
  auto* w = new Window(this, m_parent);
  w->setOption(QFileDialog::DontUseNativeDialog);
  // The overwrite question is ours, in the program's language.
  w->setOption(QFileDialog::DontConfirmOverwrite);
  // The filter texts name their patterns already.
  w->setOption(QFileDialog::HideNameFilterDetails);
  w->setAcceptMode(m_open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  // Whether the file must exist is checked in accept, so that the flag may
  // change while the dialog runs.
  w->setFileMode((m_flags & OFN_ALLOWMULTISELECT) ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
  const QStringList filters = tallix::fileDialogFilters(m_filter);
  if (!filters.isEmpty()) {
    w->setNameFilters(filters);
    if (m_filterIndex >= 1 && m_filterIndex <= DWORD(filters.size())) w->selectNameFilter(filters[m_filterIndex - 1]);
  }
  w->setDefaultSuffix(m_defaultExt);
  w->setDirectory(GetStartFolder());
  if (!m_fileName.isEmpty()) w->selectFile(m_fileName);
  if (!m_title.isEmpty()) w->setWindowTitle(m_title);
  if (!m_okText.isEmpty()) w->setLabelText(QFileDialog::Accept, m_okText);

  if ((m_flags & OFN_ENABLETEMPLATE) && m_templateId) {
    QWidget* child = CLanguageLibrary::LoadDialog(m_templateId, w);
    if (!child) {
      delete w;
      return FALSE;
    }
    // The static marks where the platform's dialog places its controls;
    // here they stand above the child.
    if (QWidget* placement = GetDlgItem(child, kPlacementStatic)) placement->hide();
    if (auto* grid = qobject_cast<QGridLayout*>(w->layout()))
      grid->addWidget(child, grid->rowCount(), 0, 1, grid->columnCount());
    else
      w->layout()->addWidget(child);
    m_child = child;
  }
  // The list's selection, once the dialog has updated the name from it (the
  // dialog's own currentChanged comes before the selection moves).
  if (auto* list = w->findChild<QAbstractItemView*>(QStringLiteral("listView")))
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CFileDialog::selectionChanged);
  connect(w, &QFileDialog::directoryEntered, this, &CFileDialog::folderChanged);
  widenDetailColumns(w);
  m_dialog = w;
  OnInitDialog();
  return TRUE;
}

int CFileDialog::DoModal() {
  if (!Create()) return IDCANCEL;
  m_pathName.clear();
  m_pathNames.clear();
  if (ModalHook hook = modalHook()) {
    QTimer::singleShot(0, m_dialog, [this, hook] {
      hook(*this);
      if (m_dialog->isVisible()) m_dialog->reject();
    });
  }
  const bool chosen = m_dialog->exec() == QDialog::Accepted && !m_pathName.isEmpty();
  if (chosen) rememberFolder(m_pathName);
  if (const int index = shownFilterIndex(); index > 0) m_filterIndex = DWORD(index);
  return chosen ? IDOK : IDCANCEL;
}

bool CFileDialog::acceptNames(const QStringList& paths) {
  for (const QString& path : paths)
    if (!acceptName(path)) return false;
  m_pathName = paths.first();
  if (OnFileNameOK()) {
    m_pathName.clear();
    return false;
  }
  m_pathNames = paths;
  if (m_pathNames.size() == 1) m_pathNames.first() = m_pathName;
  return true;
}

int CFileDialog::showMessage(UINT id, const QString& path, UINT type) {
  return ShowMessageBox({CLanguageLibrary::FormatMessage(id, QDir::toNativeSeparators(path)),
                         CLanguageLibrary::LoadString(kAppTitle), type, m_dialog});
}

void CFileDialog::ShowFileNotFound(const QString& path) { showMessage(kFileNotFound, path, MB_OK | MB_ICONEXCLAMATION); }

QStringList CFileDialog::GetFilterPatterns() const {
  const std::vector<tallix::FileDialogFilterEntry> entries = tallix::parseFileDialogFilter(m_filter);
  const int shown = shownFilterIndex();
  const DWORD index = shown > 0 ? DWORD(shown) : m_filterIndex;
  return index >= 1 && index <= entries.size() ? entries[index - 1].patterns : QStringList();
}

QString CFileDialog::defaultSuffixOf(DWORD filterIndex) const {
  if (m_open) return m_defaultExt;
  const std::vector<tallix::FileDialogFilterEntry> entries = tallix::parseFileDialogFilter(m_filter);
  if (filterIndex < 1 || filterIndex > entries.size() || entries[filterIndex - 1].patterns.isEmpty())
    return m_defaultExt;
  // "*.txt" names its extension; "*.*" or "a*.t?t" name none.
  const QString first = entries[filterIndex - 1].patterns.first().trimmed();
  const QString ext = first.startsWith(QLatin1String("*.")) ? first.mid(2) : QString();
  const bool plain = !ext.isEmpty() && !ext.contains(QLatin1Char('*')) && !ext.contains(QLatin1Char('?')) &&
                     !ext.contains(QLatin1Char('.'));
  return plain ? ext : m_defaultExt;
}

int CFileDialog::shownFilterIndex() const {
  if (!m_dialog) return 0;
  // Without the details the dialog answers the text it shows, the filter's
  // own text; with them, the whole name filter.
  const QString shown = m_dialog->selectedNameFilter();
  if (const qsizetype index = m_dialog->nameFilters().indexOf(shown); index >= 0) return int(index + 1);
  const std::vector<tallix::FileDialogFilterEntry> entries = tallix::parseFileDialogFilter(m_filter);
  for (size_t i = 0; i < entries.size(); ++i)
    if (entries[i].text.trimmed() == shown.trimmed()) return int(i + 1);
  return 0;
}

bool CFileDialog::acceptName(const QString& path) {
  const QFileInfo info(path);
  if (((m_flags & OFN_PATHMUSTEXIST) && !QFileInfo(info.absolutePath()).isDir()) ||
      ((m_flags & OFN_FILEMUSTEXIST) && !info.exists())) {
    ShowFileNotFound(path);
    return false;
  }
  return m_open || !(m_flags & OFN_OVERWRITEPROMPT) || !info.exists() ||
         showMessage(kReplaceFile, path, MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

QString CFileDialog::GetStartFolder() const {
  if (!m_initialDirectory.isEmpty()) return m_initialDirectory;
  if (QDir::isAbsolutePath(m_fileName)) return QFileInfo(m_fileName).absolutePath();
  for (const QString& folder : {documentFolder(), lastFolder(),
                                QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)})
    if (isFolder(folder)) return folder;
  return QDir::homePath();
}

QString CFileDialog::GetFileName() const { return QFileInfo(m_pathName).fileName(); }

QString CFileDialog::GetFileExt() const { return QFileInfo(m_pathName).suffix(); }

QString CFileDialog::GetSelectedPath() const {
  if (!m_dialog) return {};
  const QString path = m_dialog->selectedFiles().value(0);
  return path.isEmpty() || QFileInfo(path).isDir() ? QString() : path;
}

QString CFileDialog::GetFolderPath() const { return m_dialog ? m_dialog->directory().absolutePath() : QString(); }

CFileDialog::ModalHook CFileDialog::SetModalHook(ModalHook hook) {
  ModalHook previous = std::move(modalHook());
  modalHook() = std::move(hook);
  return previous;
}
