// The print views of the page kinds: each fetches what the open page shows
// into a control of its own (hidden, a child of the view) and prints its
// pages into the body rectangle of the job (CQXPrintView).
#pragma once

#include "pages/QXPrintView.h"
#include "platform/Bitmap.h"
#include "platform/Dib.h"

#include <QPointer>
#include <QTextDocument>

#include <memory>

class COrvoPropertyListCtrl;
class CQXPrintGridCtrl;

// The view class of print kind `kind` (kPrintKind...), or null.
const CRuntimeClass* PrintViewClassOfKind(int kind);

// A grid printed through the print grid, which breaks its rows into pages.
class CQXListPrintView : public CQXPrintView {
  Q_OBJECT

 public:
  static constexpr UINT kGridId = 123;

  Q_INVOKABLE CQXListPrintView();
  DECLARE_MESSAGE_MAP()

  void PrintBody(CDC* dc, CPrintInfo* info) override;
  void BeginJob(CDC* dc, CPrintInfo* info) override;
  void EndJob(CDC* dc, CPrintInfo* info) override;
  BOOL PrepareJob(CPrintInfo* info) override;
  void EndPreviewJob(CDC* dc, CPrintInfo* info) override;

  CQXPrintGridCtrl* GetGrid() const { return m_grid; }

 protected:
  CQXPrintGridCtrl* m_grid;
};

// The grid pages (kind 1): the page's grid copied into the print grid.
class CQXListDataPrintView : public CQXListPrintView {
  Q_OBJECT

 public:
  Q_INVOKABLE CQXListDataPrintView() = default;
  DECLARE_MESSAGE_MAP()

  BOOL FetchViewData() override;
};

// The description page (kind 2): its rich text, laid out on the job's
// device one body per page, so a line is never cut between two pages.
class CQXRTFPrintView : public CQXPrintView {
  Q_OBJECT

 public:
  Q_INVOKABLE CQXRTFPrintView();
  DECLARE_MESSAGE_MAP()

  void PrintBody(CDC* dc, CPrintInfo* info) override;
  void BeginJob(CDC* dc, CPrintInfo* info) override;
  BOOL PrepareJob(CPrintInfo* info) override;
  BOOL FetchViewData() override;

  const QTextDocument& GetDocument() const { return m_text; }
  bool IsEmpty() const { return m_empty; }

 private:
  QTextDocument m_text;
  bool m_empty = true;
  QSizeF m_body;  // the body's size in device pixels, set when the job begins
};

// The picture pages (kind 3): the page's bitmap enlarged by its zoom, on one
// page at the body's top-left corner, as large on paper as on the screen
// (printer dpi over screen dpi, kept as a real ratio so that no resolution
// loses size to rounding), without smoothing and clipped to the body.
class CQXBitmapPrintView : public CQXPrintView {
  Q_OBJECT

 public:
  Q_INVOKABLE CQXBitmapPrintView();
  ~CQXBitmapPrintView() override;
  DECLARE_MESSAGE_MAP()

  void PrintBody(CDC* dc, CPrintInfo* info) override;
  void SetupPrintDC(CDC* dc, CPrintInfo* info) override;
  void BeginJob(CDC* dc, CPrintInfo* info) override;
  BOOL PrepareJob(CPrintInfo* info) override;
  BOOL FetchViewData() override;

  int GetWidth() const { return m_nWidth; }
  int GetHeight() const { return m_nHeight; }
  // The size the bitmap is painted at on the device the job last set up.
  QSize GetPrintSize() const;

 private:
  CBitmap m_bitmap;
  int m_nWidth = 0;
  int m_nHeight = 0;
  HGLOBAL m_dib;
  double m_scaleX = 1;
  double m_scaleY = 1;
};

// The property-list pages (kind 6): the page's list prints its own rows.
class CQXPropertyListPrintView : public CQXPrintView {
  Q_OBJECT

 public:
  Q_INVOKABLE CQXPropertyListPrintView() = default;
  DECLARE_MESSAGE_MAP()

  void PrintBody(CDC* dc, CPrintInfo* info) override;
  void BeginJob(CDC* dc, CPrintInfo* info) override;
  void EndJob(CDC* dc, CPrintInfo* info) override;
  BOOL PrepareJob(CPrintInfo* info) override;
  void EndPreviewJob(CDC* dc, CPrintInfo* info) override;
  BOOL FetchViewData() override;

 private:
  QPointer<COrvoPropertyListCtrl> m_list;  // the page's
};
