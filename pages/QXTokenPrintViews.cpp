#include "pages/QXTokenPrintViews.h"

#include "app/MainFrameFunctions.h"
#include "app/QXDoc.h"
#include "pages/QXDataPage.h"
#include "platform/MessageBox.h"
#include "tokens/EditorFonts.h"
#include "tokens/QXTokenEditorVariants.h"

#include <new>
#include <vector>

namespace {

constexpr UINT kMsgNoMemory = 61706;
constexpr UINT kEditorId = 1;
constexpr DWORD kEditorStyle = 0x50011004;

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
  if (!source) return FALSE;
  m_editor->ClearTokens();
  const int length = source->GetTokensLength(kTokenFormatBytes);
  if (length <= 0) return TRUE;
  try {
    std::vector<BYTE> bytes(std::size_t(length), 0);
    int written = 0;
    if (!source->GetTokens(bytes.data(), length, &written, kTokenFormatBytes)) return FALSE;
    m_editor->SetTokens(bytes.data(), written, kTokenFormatBytes);
  } catch (const std::bad_alloc&) {
    AfxMessageBox(kMsgNoMemory, MB_ICONSTOP);
    return FALSE;
  }
  return TRUE;
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
