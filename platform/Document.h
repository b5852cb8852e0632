// CDocument: the data behind the views of a frame, and a command target
// that takes the commands its active view did not handle. It keeps the list
// of its views: a view joins when it is created from a creation context
// naming the document and leaves when it is deleted.
#pragma once

#include "platform/CmdTarget.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <vector>

class CDocTemplate;
class CFrameWnd;
class CView;

// A place in a list walked with GetNext...: null when the walk is over.
struct __POSITION;
using POSITION = __POSITION*;

class CDocument : public QObject, public CCmdTarget {
  Q_OBJECT

 public:
  CDocument();
  ~CDocument() override;
  DECLARE_MESSAGE_MAP()

  const QString& GetTitle() const { return title_; }
  virtual void SetTitle(const QString& title);
  const QString& GetPathName() const { return pathName_; }
  // Also sets the title to the file's name and, unless told otherwise, adds
  // the path to the application's recent files.
  virtual void SetPathName(const QString& path, BOOL addToRecentFiles = TRUE);

  // The views: AddView makes the view show this document (it leaves the
  // document it showed before); RemoveView detaches it.
  void AddView(CView* view);
  void RemoveView(CView* view);
  POSITION GetFirstViewPosition() const;
  // The view at `pos`; `pos` moves on (null after the last).
  CView* GetNextView(POSITION& pos) const;
  // OnUpdate of every view but `sender` (and views already destroyed), in
  // the order they joined. The hint object is the caller's; views test its
  // class with qobject_cast.
  void UpdateAllViews(CView* sender, LPARAM hint = 0, QObject* hintObject = nullptr);
  // Called after a view joined or left.
  virtual void OnChangedViewList();

  virtual BOOL IsModified() { return modified_; }
  virtual void SetModifiedFlag(BOOL modified = TRUE) { modified_ = modified ? TRUE : FALSE; }

  // Asked before the document's contents go (its frame closes, another
  // document replaces it): a modified document asks 61699 whether to save
  // (yes/no/cancel). FALSE (Cancel, or a save that failed) keeps it.
  virtual BOOL SaveModified();
  virtual BOOL CanCloseFrame(CFrameWnd* frame);
  // The frame is closing for good: the contents go.
  virtual void OnCloseDocument();

  // The document's file (DocumentFile.cpp). A document that keeps data
  // overrides the On...Document steps; the base ones only empty the
  // contents and clear the modified flag.
  CDocTemplate* GetDocTemplate() const { return docTemplate_; }
  virtual BOOL OnNewDocument();
  virtual BOOL OnOpenDocument(const QString& path);
  virtual BOOL OnSaveDocument(const QString& path);
  virtual void DeleteContents();
  // Save (57603): into the document's file, or with a name asked for (see
  // DoSave) when it has none or its file is read-only.
  virtual BOOL DoFileSave();
  // Saves into `path`; an empty path asks for a name in the application's
  // save dialog (title 61441, the template's extensions) first. With
  // `replace` the file becomes the document's. FALSE when the user cancelled
  // or the save failed.
  virtual BOOL DoSave(const QString& path, BOOL replace = TRUE);
  void OnFileSave();
  void OnFileSaveAs();

 private:
  std::vector<QPointer<CView>> views_;
  QString title_;
  QString pathName_;
  BOOL modified_ = FALSE;
  friend class CDocTemplate;
  CDocTemplate* docTemplate_ = nullptr;
};
