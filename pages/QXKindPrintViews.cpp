#include "pages/QXKindPrintViews.h"

#include "classlib/BitmapFunctions.h"
#include "classlib/DibFunctions.h"
#include "classlib/OrvoPropertyList.h"
#include "pages/QXDataPage.h"
#include "pages/QXGridCtrl.h"
#include "pages/QXPrintGridCtrl.h"
#include "pages/QXTokenPrintViews.h"
#include "platform/MessageBox.h"
#include "platform/MulDiv.h"
#include "platform/RtfCodec.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextEdit>

#include <cmath>

namespace {

constexpr UINT kMsgNoMemory = 61706;

}  // namespace

const CRuntimeClass* PrintViewClassOfKind(int kind) {
  static const bool registered = [] {
    RegisterRuntimeClass(RUNTIME_CLASS(CQXListDataPrintView));
    RegisterRuntimeClass(RUNTIME_CLASS(CQXRTFPrintView));
    RegisterRuntimeClass(RUNTIME_CLASS(CQXBitmapPrintView));
    RegisterRuntimeClass(RUNTIME_CLASS(CQXPropertyListPrintView));
    RegisterRuntimeClass(RUNTIME_CLASS(CQXProgramPrintView));
    RegisterRuntimeClass(RUNTIME_CLASS(CQXFunctionPrintView));
    return true;
  }();
  (void)registered;
  switch (kind) {
    case kPrintKindGrid: return RUNTIME_CLASS(CQXListDataPrintView);
    case kPrintKindRichText: return RUNTIME_CLASS(CQXRTFPrintView);
    case kPrintKindImage: return RUNTIME_CLASS(CQXBitmapPrintView);
    case kPrintKindTokens: return RUNTIME_CLASS(CQXProgramPrintView);
    case kPrintKindFields: return RUNTIME_CLASS(CQXFunctionPrintView);
    case kPrintKindPropertyList: return RUNTIME_CLASS(CQXPropertyListPrintView);
    default: return nullptr;
  }
}

// ---------------------------------------------------------------- grids

const CMessageMap& CQXListPrintView::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXListPrintView>(CQXPrintView::messageMap());
  return map;
}

CQXListPrintView::CQXListPrintView() : m_grid(new CQXPrintGridCtrl(this)) {
  m_grid->setProperty("ctrlId", kGridId);
  m_grid->hide();
}

BOOL CQXListPrintView::PrepareJob(CPrintInfo*) { return FetchViewData(); }

void CQXListPrintView::BeginJob(CDC* dc, CPrintInfo* info) {
  m_grid->SetPrintMargins(QRect(QPoint(m_rcMargins.left, m_rcMargins.top), QPoint(m_rcMargins.right, m_rcMargins.bottom)));
  // A grid without rows still prints its page with header and footer.
  if (!m_grid->PreparePrintLayout(dc, info)) info->SetMaxPage(1);
}

void CQXListPrintView::PrintBody(CDC* dc, CPrintInfo* info) {
  info->m_rectDraw = GetMarginRect(dc, info);
  m_grid->PrintGridPage(dc, info);
}

void CQXListPrintView::EndJob(CDC*, CPrintInfo*) { m_grid->ReleasePrintPens(); }
void CQXListPrintView::EndPreviewJob(CDC*, CPrintInfo*) { m_grid->ReleasePrintPens(); }

const CMessageMap& CQXListDataPrintView::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXListDataPrintView>(CQXListPrintView::messageMap());
  return map;
}

BOOL CQXListDataPrintView::FetchViewData() {
  QXViewDataControl detail;
  detail.kind = kPrintKindGrid;
  if (!RequestViewData(kPrintKindGrid, &detail)) return FALSE;
  auto* source = qobject_cast<CQXGridCtrl*>(detail.control);
  if (!source) return FALSE;
  // The page's font gives the space the cells keep around their text.
  m_grid->SetFont(source->GetFont(), FALSE);
  return m_grid->CopyGridFrom(*source);
}

// ------------------------------------------------------------ rich text

const CMessageMap& CQXRTFPrintView::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXRTFPrintView>(CQXPrintView::messageMap());
  return map;
}

CQXRTFPrintView::CQXRTFPrintView() = default;

BOOL CQXRTFPrintView::PrepareJob(CPrintInfo*) { return FetchViewData(); }

BOOL CQXRTFPrintView::FetchViewData() {
  QXViewDataControl detail;
  detail.kind = kPrintKindRichText;
  if (!RequestViewData(kPrintKindRichText, &detail)) return FALSE;
  auto* edit = qobject_cast<QTextEdit*>(detail.control);
  if (!edit) return FALSE;
  m_empty = edit->document()->isEmpty();
  if (m_empty) return TRUE;
  // Through the stored format, as the description is kept.
  tallix::readRtf(tallix::writeRtf(*edit->document()), m_text);
  return TRUE;
}

void CQXRTFPrintView::BeginJob(CDC* dc, CPrintInfo* info) {
  // The body of every page: the page less the header and footer bands and
  // the margins.
  CPrintInfo page;
  page.m_rectDraw = QRect(0, info->m_rectDraw.top(), dc->GetDeviceCaps(HORZRES),
                          dc->GetDeviceCaps(VERTRES) - info->m_rectDraw.top() - std::max(0, info->m_rectDraw.bottom()));
  const QRect body = GetMarginRect(dc, &page);
  m_body = QSizeF(std::max(1, body.width()), std::max(1, body.height()));
  if (m_empty) {
    info->SetMaxPage(1);
    return;
  }
  m_text.documentLayout()->setPaintDevice(dc->GetPainter()->device());
  m_text.setPageSize(m_body);
  info->SetMaxPage(UINT(std::max(1, m_text.pageCount())));
}

void CQXRTFPrintView::PrintBody(CDC* dc, CPrintInfo* info) {
  if (m_empty) return;
  const QRect body = GetMarginRect(dc, info);
  QPainter* painter = dc->GetPainter();
  const qreal offset = m_body.height() * (info->m_nCurPage - 1);
  painter->save();
  painter->setClipRect(body);
  painter->translate(body.left(), body.top() - offset);
  m_text.drawContents(painter, QRectF(QPointF(0, offset), m_body));
  painter->restore();
}

// --------------------------------------------------------------- bitmaps

const CMessageMap& CQXBitmapPrintView::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXBitmapPrintView>(CQXPrintView::messageMap());
  return map;
}

CQXBitmapPrintView::CQXBitmapPrintView() = default;
CQXBitmapPrintView::~CQXBitmapPrintView() = default;

BOOL CQXBitmapPrintView::FetchViewData() {
  QXViewDataImage detail;
  if (!RequestViewData(kPrintKindImage, &detail) || !detail.bitmap || !detail.bitmap->HasPixels()) return FALSE;
  CBitmap scaled;
  if (!ScaleBitmap(*detail.bitmap, scaled, std::max(detail.zoom, 1))) {
    AfxMessageBox(kMsgNoMemory, MB_ICONSTOP);
    return FALSE;
  }
  m_bitmap.DeleteObject();
  m_bitmap.Attach(scaled.Detach());
  m_nWidth = m_bitmap.GetWidth();
  m_nHeight = m_bitmap.GetHeight();
  m_dib = DibCreateFromBitmap(m_bitmap, BI_RGB, 0, nullptr);
  if (!m_dib) {
    AfxMessageBox(kMsgNoMemory, MB_ICONSTOP);
    return FALSE;
  }
  return TRUE;
}

BOOL CQXBitmapPrintView::PrepareJob(CPrintInfo* info) {
  if (!FetchViewData()) return FALSE;
  info->SetMaxPage(1);
  return TRUE;
}

void CQXBitmapPrintView::BeginJob(CDC*, CPrintInfo* info) { info->SetMaxPage(1); }

void CQXBitmapPrintView::SetupPrintDC(CDC* dc, CPrintInfo*) {
  m_scaleX = double(dc->GetDeviceCaps(LOGPIXELSX)) / std::max(m_nScreenDpiX, 1);
  m_scaleY = double(dc->GetDeviceCaps(LOGPIXELSY)) / std::max(m_nScreenDpiY, 1);
}

QSize CQXBitmapPrintView::GetPrintSize() const {
  return QSize(int(std::lround(m_nWidth * m_scaleX)), int(std::lround(m_nHeight * m_scaleY)));
}

void CQXBitmapPrintView::PrintBody(CDC* dc, CPrintInfo* info) {
  if (!m_dib) return;
  const QRect body = GetMarginRect(dc, info);
  const QSize size = GetPrintSize();
  QPainter* painter = dc->GetPainter();
  painter->save();
  painter->setClipRect(body);
  painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
  DibStretchPaint(painter, body.left(), body.top(), size.width(), size.height(), m_dib, 0, 0, m_nWidth, m_nHeight,
                  SRCCOPY);
  painter->restore();
}

// --------------------------------------------------------- property lists

const CMessageMap& CQXPropertyListPrintView::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXPropertyListPrintView>(CQXPrintView::messageMap());
  return map;
}

BOOL CQXPropertyListPrintView::FetchViewData() {
  QXViewDataControl detail;
  detail.kind = kPrintKindPropertyList;
  if (!RequestViewData(kPrintKindPropertyList, &detail)) return FALSE;
  m_list = qobject_cast<COrvoPropertyListCtrl*>(detail.control);
  return m_list != nullptr;
}

BOOL CQXPropertyListPrintView::PrepareJob(CPrintInfo*) { return FetchViewData(); }

void CQXPropertyListPrintView::BeginJob(CDC* dc, CPrintInfo* info) {
  if (m_list) m_list->BeginPrinting(dc, info);
  else info->SetMaxPage(1);
}

void CQXPropertyListPrintView::PrintBody(CDC* dc, CPrintInfo* info) {
  if (!m_list) return;
  info->m_rectDraw = GetMarginRect(dc, info);
  m_list->PrintPage(dc, info);
}

void CQXPropertyListPrintView::EndJob(CDC*, CPrintInfo*) {
  if (m_list) m_list->EndPrinting();
}

void CQXPropertyListPrintView::EndPreviewJob(CDC* dc, CPrintInfo* info) { EndJob(dc, info); }
