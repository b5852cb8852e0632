#include "platform/FileDialog.h"

#include "platform/FileDialogFilter.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QItemSelectionModel>
#include <QTimer>

namespace {

CFileDialog::ModalHook& modalHook() {
  static CFileDialog::ModalHook hook;
  return hook;
}

constexpr UINT kFileNotFound = 61729;  // "%1\nImpossible de trouver ce fichier. ..."
constexpr UINT kReplaceFile = 10155;   // "Le fichier %1 existe déjà. Le remplacer?"
constexpr UINT kAppTitle = 57344;
constexpr int kPlacementStatic = 1119;

}  // namespace

// The Qt dialog, whose accept runs the platform's checks before Qt's own.
class CFileDialog::Window : public QFileDialog {
 public:
  Window(CFileDialog* owner, QWidget* parent) : QFileDialog(parent), owner_(owner) {}

  void accept() override {
    const QString path = selectedFiles().value(0);
    // No name, or a folder: Qt's own accept enters the folder.
    if (path.isEmpty() || QFileInfo(path).isDir()) {
      QFileDialog::accept();
      return;
    }
    if (!owner_->acceptName(path)) return;
    owner_->m_pathName = path;
    QFileDialog::accept();
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
  w->setFileMode((m_flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  const QStringList filters = tallix::fileDialogFilters(m_filter);
  if (!filters.isEmpty()) w->setNameFilters(filters);
  w->setDefaultSuffix(m_defaultExt);
  if (!m_initialDirectory.isEmpty()) w->setDirectory(m_initialDirectory);
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
  m_dialog = w;
  OnInitDialog();
  return TRUE;
}

int CFileDialog::DoModal() {
  if (!Create()) return IDCANCEL;
  m_pathName.clear();
  if (ModalHook hook = modalHook()) {
    QTimer::singleShot(0, m_dialog, [this, hook] {
      hook(*this);
      if (m_dialog->isVisible()) m_dialog->reject();
    });
  }
  return m_dialog->exec() == QDialog::Accepted && !m_pathName.isEmpty() ? IDOK : IDCANCEL;
}

bool CFileDialog::acceptName(const QString& path) {
  const QFileInfo info(path);
  const QString shown = QDir::toNativeSeparators(path);
  auto message = [&](UINT id, UINT type) {
    return ShowMessageBox({CLanguageLibrary::FormatMessage(id, shown), CLanguageLibrary::LoadString(kAppTitle), type,
                           m_dialog});
  };
  if (((m_flags & OFN_PATHMUSTEXIST) && !QFileInfo(info.absolutePath()).isDir()) ||
      ((m_flags & OFN_FILEMUSTEXIST) && !info.exists())) {
    message(kFileNotFound, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  if (!m_open && (m_flags & OFN_OVERWRITEPROMPT) && info.exists() &&
      message(kReplaceFile, MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
    return false;
  return !OnFileNameOK();
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
