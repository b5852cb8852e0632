// CDocManager: what the application hands File New, File Open and the
// opening of a named file to. The manager owns the document templates;
// without one nothing is created or opened.
#pragma once

#include "platform/WinTypes.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class CDocTemplate;
class CDocument;
class CFileDialog;

class CDocManager : public QObject {
  Q_OBJECT

 public:
  CDocManager();
  ~CDocManager() override;

  // Takes the template over.
  virtual void AddDocTemplate(CDocTemplate* docTemplate);
  const std::vector<CDocTemplate*>& GetDocTemplates() const { return templates_; }

  // A new document of the first template.
  virtual void OnFileNew();
  // Asks for a file (open dialog, every template's extensions) and opens it
  // through the application.
  virtual void OnFileOpen();
  // The name may come in double quotes (a command line); it is made a full
  // path, and a symbolic link stands for the file it leads to. A document
  // that has the file open already is activated; otherwise the template that
  // fits the file best opens it (any template opens any file, its own
  // extensions fit better). Null when it cannot be opened; 61697 when there
  // is no template.
  virtual CDocument* OpenDocumentFile(const QString& fileName);

  // The file dialog for opening or saving. The filter lists, for
  // `docTemplate` or else every template in order, the template's filter
  // name and its extensions as patterns, then "every file" (61442); the
  // first template's first extension (without its '.') is the default
  // extension, when opening only if it has no other, and its filter the
  // selected one. When saving, the proposed name is cut at its first ';'.
  // The dialog has OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT besides `flags`
  // and the title of string `titleId`. TRUE with `fileName` set on OK.
  virtual BOOL DoPromptFileName(QString& fileName, UINT titleId, DWORD flags, BOOL openFileDialog,
                                CDocTemplate* docTemplate);

  // Makes the templates' file types known to the desktop, and forgets them
  // again. The base has no desktop to tell.
  virtual void RegisterShellFileTypes(BOOL compat);
  virtual void UnregisterShellFileTypes();

 protected:
  // The filter name and the ';'-separated extensions ("a;.b") that the
  // dialog offers for `docTemplate`: fields 3 and 4 of its document string.
  virtual BOOL GetFilterFields(CDocTemplate* docTemplate, BOOL openFileDialog, QString* name, QString* extensions);
  virtual std::unique_ptr<CFileDialog> CreateFileDialog(BOOL openFileDialog, DWORD flags);

 private:
  std::vector<CDocTemplate*> templates_;
};
