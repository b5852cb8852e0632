#include "pages/QXTokenPrintViews.h"

#include "app/MainFrameFunctions.h"
#include "app/QXDoc.h"
#include "pages/QXDataPage.h"
#include "platform/CalcShownText.h"
#include "platform/MessageBox.h"
#include "tokens/EditorFonts.h"
#include "tokens/QXTokenEditorVariants.h"
#include "tokens/QXTokenField.h"
#include "tokens/QXTokenFieldList.h"

#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr UINT kMsgNoMemory = 61706;
constexpr UINT kEditorId = 1;
constexpr DWORD kEditorStyle = 0x50011004;
// The label column of a field: as wide as the widest label.
constexpr char kLabelSample[] = "Y20:____";

}  // namespace

// ------------------------------------------------------------ the shared part

const CMessageMap& CQXTokenPrintView::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXTokenPrintView>(CQXPrintView::messageMap());
  return map;
}

CQXTokenPrintView::CQXTokenPrintView() : m_editor(new CQXProgramTokenEditor) {
  m_editor->Create(kEditorStyle, QRect(0, 0, 400, 300), this, kEditorId);
  m_editor->ModifyOptions(5, 5, FALSE);
}

CQXTokenPrintView::~CQXTokenPrintView() = default;

BOOL CQXTokenPrintView::choosePrintFont() {
  static bool askedOnce = false;  // the print views warn once per run
  if (!LoadProgramEditorFont(&m_printFont, askedOnce)) return FALSE;
  // The printer takes the calculator font's outline form.
  if (m_printFont.font().family() == QLatin1String(kCalculatorFontFace)) {
    QFont outline = m_printFont.font();
    outline.setFamily(QString::fromLatin1(kCalculatorFontFaceTT));
    m_printFont.SetFont(outline);
  }
  return m_editor->SetFont(&m_printFont);
}

BOOL CQXTokenPrintView::PrepareJob(CPrintInfo*) {
  m_map.RemoveAll();
  if (CQXDoc* doc = GetCurrentDocument()) FillTokenTextMap(doc->GetTokenTable(), &m_map);
  m_editor->SetTokenTextMap(&m_map);
  if (!FetchViewData()) return FALSE;
  return choosePrintFont();
}

void CQXTokenPrintView::BeginJob(CDC* dc, CPrintInfo*) {
  m_pageStarts.assign(1, PageStart{});
  m_editor->PreparePrinterFont(dc);
}

BOOL CQXTokenPrintView::CopyTokens(const CQXTokenEditor& source, const char* ifEmpty) {
  m_editor->ClearTokens();
  const int length = source.GetTokensLength(kTokenFormatBytes);
  try {
    if (length <= 0) {
      if (ifEmpty) m_editor->SetTokens(reinterpret_cast<const BYTE*>(ifEmpty), int(std::strlen(ifEmpty)), kTokenFormatBytes);
      return TRUE;
    }
    std::vector<BYTE> bytes(std::size_t(length), 0);
    int written = 0;
    source.GetTokens(bytes.data(), length, &written, kTokenFormatBytes);
    m_editor->SetTokens(bytes.data(), written, kTokenFormatBytes);
  } catch (const std::bad_alloc&) {
    AfxMessageBox(kMsgNoMemory, MB_ICONSTOP);
    return FALSE;
  }
  return TRUE;
}

const CQXTokenPrintView::PageStart* CQXTokenPrintView::CurrentPageStart(CPrintInfo* info) {
  const std::size_t page = info->m_nCurPage;
  if (page == 0 || page > m_pageStarts.size()) {
    info->m_bContinuePrinting = FALSE;
    return nullptr;
  }
  return &m_pageStarts[page - 1];
}

void CQXTokenPrintView::NotePageEnd(CPrintInfo* info, const PageStart& next) {
  const std::size_t page = info->m_nCurPage;
  if (next == m_pageStarts[page - 1]) {
    info->SetMaxPage(info->m_nCurPage);
    info->m_bContinuePrinting = FALSE;
    return;
  }
  if (page == m_pageStarts.size()) m_pageStarts.push_back(next);
}

// ------------------------------------------------------------------ programs

const CMessageMap& CQXProgramPrintView::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXProgramPrintView>(CQXTokenPrintView::messageMap());
  return map;
}

BOOL CQXProgramPrintView::FetchViewData() {
  QXViewDataControl detail;
  detail.kind = kPrintKindTokens;
  if (!RequestViewData(kPrintKindTokens, &detail)) return FALSE;
  auto* source = qobject_cast<CQXTokenEditor*>(detail.control);
  return source && CopyTokens(*source);
}

void CQXProgramPrintView::PrintBody(CDC* dc, CPrintInfo* info) {
  const PageStart* start = CurrentPageStart(info);
  if (!start) return;
  QRect body = GetMarginRect(dc, info);
  PageStart next = *start;
  m_editor->PrintTokens(dc, &body, &next.token, &next.charOffset);
  if (next.token >= m_editor->GetTokenCount()) {
    info->SetMaxPage(info->m_nCurPage);
    return;
  }
  NotePageEnd(info, next);
}

// --------------------------------------------------------- function fields

const CMessageMap& CQXFunctionPrintView::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXFunctionPrintView>(CQXTokenPrintView::messageMap());
  return map;
}

BOOL CQXFunctionPrintView::FetchViewData() {
  QXViewDataControl detail;
  detail.kind = kPrintKindFields;
  if (!RequestViewData(kPrintKindFields, &detail)) return FALSE;
  m_fieldList = qobject_cast<CQXTokenFieldList*>(detail.control);
  if (!m_fieldList || m_fieldList->GetFieldCount() == 0) return FALSE;
  m_nLastField = m_fieldList->GetFieldCount() - 1;
  return TRUE;
}

void CQXFunctionPrintView::PrintBody(CDC* dc, CPrintInfo* info) {
  const PageStart* start = CurrentPageStart(info);
  if (!start) return;
  const QRect body = GetMarginRect(dc, info);
  CFont* oldFont = dc->SelectObject(&m_headerFont);
  const int indent = dc->GetTextExtent(QString::fromLatin1(kLabelSample)).width();
  dc->SelectObject(oldFont);
  int y = body.top();
  PageStart at = *start;
  for (; at.field <= m_nLastField; ++at.field, at.token = at.charOffset = 0) {
    CQXTokenField* field = m_fieldList ? m_fieldList->GetField(at.field) : nullptr;
    if (!field || !field->GetEditor() || !CopyTokens(*field->GetEditor(), " ")) {
      info->m_bContinuePrinting = FALSE;
      return;
    }
    const bool fromItsStart = at.token == 0 && at.charOffset == 0;
    // A field below the first goes on the page only when its first line
    // fits whole.
    const int firstLine = std::max(m_editor->GetPrinterLineHeight(), m_nLineHeight);
    if (y > body.top() && y + firstLine > body.bottom() + 1) {
      NotePageEnd(info, at);
      return;
    }
    QRect tokens(QPoint(body.left() + indent, y), body.bottomRight());
    PageStart next = at;
    m_editor->PrintTokens(dc, &tokens, &next.token, &next.charOffset);
    const bool placed = !(next == at);
    // The label goes with the field's first line, never alone.
    if (fromItsStart && placed) {
      oldFont = dc->SelectObject(&m_headerFont);
      const int oldMode = dc->SetBkMode(TRANSPARENT);
      dc->SetTextColor(RGB(0, 0, 0));
      dc->TextOut(body.left(), y, CalcDisplayText(field->GetLabel(), m_headerFont.font()));
      dc->SetBkMode(oldMode);
      dc->SelectObject(oldFont);
    }
    if (next.token < m_editor->GetTokenCount()) {
      NotePageEnd(info, next);
      return;
    }
    y = std::max(tokens.top(), y + m_nLineHeight);
  }
  info->SetMaxPage(info->m_nCurPage);
}
