// CQXSingleDocTemplate: the program's one document template. Besides its
// document string it keeps two strings of the same seven fields, one for
// opening and one for saving, so that File Open offers the older version's
// documents too while Save As offers the current extension only.
#pragma once

#include "platform/DocTemplate.h"

class CQXSingleDocTemplate : public CSingleDocTemplate {
  Q_OBJECT

 public:
  CQXSingleDocTemplate(UINT resourceId, UINT openFilterId, UINT saveFilterId, const CRuntimeClass* docClass,
                       const CRuntimeClass* frameClass, const CRuntimeClass* viewClass);
  ~CQXSingleDocTemplate() override;

  // Field `index` of the open or the save string; FALSE when it has none.
  BOOL GetOpenFilterString(QString& out, int index) const;
  BOOL GetSaveFilterString(QString& out, int index) const;

 protected:
  // An existing file is opened by the document's own
  //   Q_INVOKABLE BOOL OpenDocumentFile(const QString& path)
  // (it imports the older version's files too); a document class without
  // one is asked through OnOpenDocument.
  BOOL OpenFileInto(CDocument* document, const QString& path) override;

 private:
  QString openFilter_;
  QString saveFilter_;
};
