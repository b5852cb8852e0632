// CView: a window that shows a document. A command the view does not
// handle goes on to its document.
//
// - Created from a creation context {view class, document}: the view joins
//   the document's view list (and leaves it when it is deleted).
// - Painting: the paint event gives a CDC over the view to OnPrepareDC and
//   then OnDraw.
// - The document's UpdateAllViews calls OnUpdate (the base repaints);
//   WM_INITIALUPDATE calls OnInitialUpdate (the base: OnUpdate(0, 0, 0)).
// - A mouse press inside the view makes it the active view of its frame
//   (OnMouseActivate), so that commands reach it.
// - Drops: a COleDropTarget registered on the view, or on a control inside
//   it, hands the drag events to OnDragEnter, OnDragOver, OnDragLeave,
//   OnDropEx, OnDrop and OnDragScroll (points in the registered window's
//   coordinates); the base refuses.
// - A view owns itself: it is deleted when its window is destroyed.
#pragma once

#include "platform/Document.h"
#include "platform/OleDropTarget.h"
#include "platform/RuntimeClass.h"
#include "platform/Wnd.h"

#include <QPointer>

class CDC;

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
  // Joins `document`'s views (null: leaves the document it shows).
  void SetDocument(CDocument* document);

  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
  // The frame made this view active or took that away; the view made
  // active takes the focus when its window is active.
  virtual void OnActivateView(BOOL activate, CView* activated, CView* deactivated);
  virtual void OnInitialUpdate();
  // The document changed; `hint` and `hintObject` say how (the caller's).
  virtual void OnUpdate(CView* sender, LPARAM hint, QObject* hintObject);
  virtual void OnPrepareDC(CDC* dc);
  virtual void OnDraw(CDC* dc);

  virtual DROPEFFECT OnDragEnter(COleDataObject* data, DWORD keyState, QPoint point);
  virtual DROPEFFECT OnDragOver(COleDataObject* data, DWORD keyState, QPoint point);
  virtual void OnDragLeave();
  virtual BOOL OnDrop(COleDataObject* data, DROPEFFECT dropEffect, QPoint point);
  // -1 lets OnDrop run.
  virtual DROPEFFECT OnDropEx(COleDataObject* data, DROPEFFECT dropEffect, DROPEFFECT allowedEffects, QPoint point);
  virtual DROPEFFECT OnDragScroll(DWORD keyState, QPoint point);

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Makes the view the active view of its frame.
  int OnMouseActivate(CWnd* topLevel, UINT hitTest, UINT message) override;

 protected:
  // Takes the document of the creation context.
  int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
  // A view owns itself: it goes when its window is destroyed.
  void PostNcDestroy() override;
  void paintEvent(QPaintEvent* event) override;

 private:
  friend class CDocument;
  QPointer<CDocument> document_;
};
