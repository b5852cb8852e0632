#include "pages/QXKindPrintViews.h"

#include "pages/QXDataPage.h"
#include "pages/QXGridCtrl.h"
#include "pages/QXPrintGridCtrl.h"
#include "platform/MessageBox.h"
#include "platform/MulDiv.h"
#include "platform/RtfCodec.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextEdit>

const CRuntimeClass* PrintViewClassOfKind(int kind) {
  static const bool registered = [] {
    RegisterRuntimeClass(RUNTIME_CLASS(CQXListDataPrintView));
    RegisterRuntimeClass(RUNTIME_CLASS(CQXRTFPrintView));
    return true;
  }();
  (void)registered;
  switch (kind) {
    case kPrintKindGrid: return RUNTIME_CLASS(CQXListDataPrintView);
    case kPrintKindRichText: return RUNTIME_CLASS(CQXRTFPrintView);
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
  return source && m_grid->CopyGridFrom(*source);
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
