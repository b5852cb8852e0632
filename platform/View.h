// CView: a window that shows a document. A command the view does not
// handle goes on to its document.
#pragma once

#include "platform/Document.h"
#include "platform/RuntimeClass.h"
#include "platform/Wnd.h"

#include <QPointer>

// What a frame hands to the views it creates: the view's class and the
// document it shows.
struct CCreateContext {
  const CRuntimeClass* m_pNewViewClass = nullptr;
  CDocument* m_pCurrentDoc = nullptr;
};

class CView : public CWnd {
  Q_OBJECT

 public:
  explicit CView(QWidget* parent = nullptr);
  ~CView() override;
  DECLARE_MESSAGE_MAP()

  CDocument* GetDocument() const { return document_; }
  void SetDocument(CDocument* document) { document_ = document; }

  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
  // The frame made this view active or took that away.
  virtual void OnActivateView(BOOL activate, CView* activated, CView* deactivated);

 protected:
  // Takes the document of the creation context.
  int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
  // A view owns itself: it goes when its window is destroyed.
  void PostNcDestroy() override;

 private:
  QPointer<CDocument> document_;
};
