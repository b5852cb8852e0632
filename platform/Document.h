// CDocument: the data behind the views of a frame, and a command target
// that takes the commands its active view did not handle.
#pragma once

#include "platform/CmdTarget.h"

#include <QObject>
#include <QString>

class CFrameWnd;

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

  virtual BOOL IsModified() { return modified_; }
  virtual void SetModifiedFlag(BOOL modified = TRUE) { modified_ = modified ? TRUE : FALSE; }

  // Asked before the document's frame closes: FALSE keeps it open. The
  // default lets it close.
  virtual BOOL SaveModified();
  virtual BOOL CanCloseFrame(CFrameWnd* frame);
  // The frame is closing for good.
  virtual void OnCloseDocument();

 private:
  QString title_;
  QString pathName_;
  BOOL modified_ = FALSE;
};
