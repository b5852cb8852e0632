// CDocManager: what the application hands File New, File Open and the
// opening of a named file to. The manager keeps the document templates;
// without one nothing is created or opened.
#pragma once

#include "platform/WinTypes.h"

#include <QString>

class CDocument;

class CDocManager {
 public:
  CDocManager() = default;
  virtual ~CDocManager() = default;
  CDocManager(const CDocManager&) = delete;
  CDocManager& operator=(const CDocManager&) = delete;

  virtual void OnFileNew() {}
  virtual void OnFileOpen() {}
  // The opened (or already open) document, null when it cannot be opened.
  virtual CDocument* OpenDocumentFile(const QString&) { return nullptr; }
};
