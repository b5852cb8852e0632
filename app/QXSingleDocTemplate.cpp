#include "app/QXSingleDocTemplate.h"

#include "platform/Document.h"
#include "platform/LanguageLibrary.h"

#include <QMetaMethod>

CQXSingleDocTemplate::CQXSingleDocTemplate(UINT resourceId, UINT openFilterId, UINT saveFilterId,
                                           const CRuntimeClass* docClass, const CRuntimeClass* frameClass,
                                           const CRuntimeClass* viewClass)
    : CSingleDocTemplate(resourceId, docClass, frameClass, viewClass),
      openFilter_(CLanguageLibrary::LoadString(openFilterId)),
      saveFilter_(CLanguageLibrary::LoadString(saveFilterId)) {}

CQXSingleDocTemplate::~CQXSingleDocTemplate() = default;

BOOL CQXSingleDocTemplate::GetOpenFilterString(QString& out, int index) const { return ExtractField(openFilter_, index, out); }

BOOL CQXSingleDocTemplate::GetSaveFilterString(QString& out, int index) const { return ExtractField(saveFilter_, index, out); }

BOOL CQXSingleDocTemplate::OpenFileInto(CDocument* document, const QString& path) {
  const QMetaObject* meta = document->metaObject();
  const int index = meta->indexOfMethod("OpenDocumentFile(QString)");
  if (index < 0) return CSingleDocTemplate::OpenFileInto(document, path);
  int opened = FALSE;
  if (!meta->method(index).invoke(document, Qt::DirectConnection, Q_RETURN_ARG(int, opened), Q_ARG(QString, path)))
    return FALSE;
  return opened ? TRUE : FALSE;
}
