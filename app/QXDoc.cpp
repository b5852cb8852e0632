#include "app/QXDoc.h"

#include "platform/RuntimeClass.h"

const CMessageMap& CQXDoc::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXDoc>(CDocument::messageMap());
  return map;
}

CQXDoc::CQXDoc() = default;

CQXDoc::~CQXDoc() = default;

void CQXDoc::ClearUndo() {}

void RegisterQXDocClass() { RegisterRuntimeClass(RUNTIME_CLASS(CQXDoc)); }
