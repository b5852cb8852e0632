// Files dropped from the desktop on a window that accepts them
// (CWnd::DragAcceptFiles).
#include "platform/ClipboardFormats.h"
#include "platform/OleDataObject.h"
#include "platform/WinApp.h"
#include "platform/Wnd.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPointer>
#include <QUrl>

namespace {

constexpr char kFilterName[] = "tallix_drop_files";

// Local files only; an Internet shortcut among them leaves the whole drop to
// the drop target that reads shortcuts.
QStringList droppedFiles(const QMimeData* data) {
  if (!data || !data->hasUrls()) return {};
  QStringList paths;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) return {};
    const QFileInfo info(url.toLocalFile());
    if (!info.isFile()) return {};
    paths.append(info.absoluteFilePath());
  }
  COleDataObject object;
  object.Attach(data, FALSE);
  if (object.IsDataAvailable(CLIPFORMAT(RegisterClipboardFormat("FileGroupDescriptor")))) return {};
  return paths;
}

// Installed after a drop target of the same window, this filter sees the
// drag first and takes only the drags it accepts, from enter to drop.
class DropFilesFilter : public QObject {
 public:
  explicit DropFilesFilter(CWnd* window) : QObject(window), window_(window) { setObjectName(kFilterName); }

  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::DragEnter: {
        auto* e = static_cast<QDragEnterEvent*>(event);
        active_ = !droppedFiles(e->mimeData()).isEmpty() && (e->possibleActions() & Qt::CopyAction);
        if (!active_) return false;
        e->setDropAction(Qt::CopyAction);
        e->accept();
        return true;
      }
      case QEvent::DragMove:
        if (!active_) return false;
        static_cast<QDragMoveEvent*>(event)->setDropAction(Qt::CopyAction);
        event->accept();
        return true;
      case QEvent::DragLeave:
        if (!active_) return false;
        active_ = false;
        event->accept();
        return true;
      case QEvent::Drop: {
        if (!active_) return false;
        active_ = false;
        auto* e = static_cast<QDropEvent*>(event);
        const QStringList paths = droppedFiles(e->mimeData());
        e->setDropAction(Qt::CopyAction);
        e->accept();
        // The files open once the drop has ended, so that the source is not
        // held while a document opens or asks a question.
        QPointer<CWnd> window = window_;
        if (!paths.isEmpty())
          QMetaObject::invokeMethod(
              window_, [window, paths] { if (window) window->OnDropFiles(paths); }, Qt::QueuedConnection);
        return true;
      }
      default:
        return false;
    }
  }

 private:
  CWnd* window_;
  bool active_ = false;
};

}  // namespace

void CWnd::DragAcceptFiles(BOOL accept) {
  QObject* filter = findChild<QObject*>(QLatin1String(kFilterName), Qt::FindDirectChildrenOnly);
  if (accept && !filter) {
    filter = new DropFilesFilter(this);
    installEventFilter(filter);
    setAcceptDrops(true);
  } else if (!accept && filter) {
    removeEventFilter(filter);
    delete filter;
  }
}

void CWnd::OnDropFiles(const QStringList& paths) {
  if (QWidget* top = window()) {
    top->raise();
    top->activateWindow();
  }
  CWinApp* app = AfxGetApp();
  if (!app) return;
  for (const QString& path : paths) app->OpenDocumentFile(path);
}
