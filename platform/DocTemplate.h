// Document templates: what a kind of document is made of (document, frame
// and first view classes) and how it is named, from one string of the
// language library with seven fields separated by '\n':
//   0 window title, 1 document name, 2 name for File New, 3 filter name,
//   4 filter extensions (".a;.b", each with its '.'), 5 file-type id,
//   6 file-type name.
// CSingleDocTemplate keeps one document and one frame for the whole run:
// New and Open reuse them.
#pragma once

#include "platform/RuntimeClass.h"
#include "platform/WinTypes.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <vector>

class CDocument;
class CFrameWnd;

// Two names of one file: the same file once links are followed; names of
// files that do not exist (yet) compare as clean absolute paths, letter case
// counting as the file system counts it.
bool IsSameFile(const QString& a, const QString& b);

class CDocTemplate : public QObject {
  Q_OBJECT

 public:
  enum DocStringIndex { windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId, regFileTypeName };
  // How well a file fits the template.
  enum Confidence {
    noAttempt,
    maybeAttemptForeign,
    maybeAttemptNative,
    yesAttemptForeign,  // any other file
    yesAttemptNative,   // one of the template's extensions
    yesAlreadyOpen      // a document of the template has it open
  };

  CDocTemplate(UINT resourceId, const CRuntimeClass* docClass, const CRuntimeClass* frameClass,
               const CRuntimeClass* viewClass);
  ~CDocTemplate() override;

  UINT GetResourceId() const { return resourceId_; }
  // The field of the document string; FALSE (and `out` empty) when the
  // string has no such field.
  virtual BOOL GetDocString(QString& out, DocStringIndex index) const;
  // Field `index` of a string of '\n'-separated fields; FALSE (and `out`
  // empty) when it has no such field.
  static BOOL ExtractField(const QString& fields, int index, QString& out);
  // The string once more from the language library.
  void LoadTemplate();

  // The template's open documents.
  virtual std::vector<CDocument*> GetDocuments() const = 0;
  virtual void AddDocument(CDocument* document);
  virtual void RemoveDocument(CDocument* document);

  // yesAlreadyOpen with the document when one has the file open (the same
  // file, whatever name leads to it); yesAttemptNative when the name ends in
  // one of the template's extensions (any letter case); else
  // yesAttemptForeign.
  virtual Confidence MatchDocType(const QString& path, CDocument*& match);

  // An empty path makes a new document; else the file is opened. The
  // document, or null when nothing came of it (the user kept the old one,
  // or creating or opening failed).
  virtual CDocument* OpenDocumentFile(const QString& path, BOOL makeVisible = TRUE) = 0;

  virtual CDocument* CreateNewDocument();
  // A frame for `document` built from the template's resource, with the
  // first view; null (and the frame gone) when that fails.
  virtual CFrameWnd* CreateNewFrame(CDocument* document);
  // Makes the first view active, gives every view its initial update,
  // shows the frame when asked and updates its title.
  virtual void InitialUpdateFrame(CFrameWnd* frame, CDocument* document, BOOL makeVisible = TRUE);
  // The title of a document without a file: field 1, else string 61443.
  virtual void SetDefaultTitle(CDocument* document);

 protected:
  const CRuntimeClass* docClass_;
  const CRuntimeClass* frameClass_;
  const CRuntimeClass* viewClass_;

 private:
  UINT resourceId_;
  QString docStrings_;
};

class CSingleDocTemplate : public CDocTemplate {
  Q_OBJECT

 public:
  CSingleDocTemplate(UINT resourceId, const CRuntimeClass* docClass, const CRuntimeClass* frameClass,
                     const CRuntimeClass* viewClass);
  // The document goes with its template.
  ~CSingleDocTemplate() override;

  std::vector<CDocument*> GetDocuments() const override;
  void AddDocument(CDocument* document) override;
  void RemoveDocument(CDocument* document) override;

  // The first call creates the document and the frame (61700 when either
  // fails); later calls ask the document to save its changes first (Cancel
  // keeps it and gives null) and reuse both. A failed open of an unmodified
  // document keeps it as it was; a document the failed open already changed
  // becomes a new one.
  CDocument* OpenDocumentFile(const QString& path, BOOL makeVisible = TRUE) override;

 protected:
  // Opens the file into the document; the base asks OnOpenDocument.
  virtual BOOL OpenFileInto(CDocument* document, const QString& path);

 private:
  QPointer<CDocument> onlyDoc_;
};
