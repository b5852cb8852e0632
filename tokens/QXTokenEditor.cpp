// The token editor's content: settings, exchange formats, insertion,
// selection, deletion and undo.
#include "tokens/QXTokenEditor.h"

#include "platform/LanguageLibrary.h"
#include "tokens/CalcTokenBytes.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr WORD kEndByteMask = 0xFF00;

}  // namespace

const CMessageMap& CQXTokenEditor::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXTokenEditor>(CWnd::messageMap());
  return map;
}

CQXTokenEditor::CQXTokenEditor(QWidget* parent) : CScrollWnd<CWnd>(parent) {
  RegisterTokenEditorClass();
  missing_.text = "@";
  missing_.textLength = 1;
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setCursor(Qt::IBeamCursor);
  loadColors();
  SetFontByName("Arial", 100);
  reset();
}


CQXTokenEditor::~CQXTokenEditor() = default;

BOOL CQXTokenEditor::RegisterTokenEditorClass() {
  static bool registered = false;
  if (registered) return TRUE;
  registered = true;
  CLanguageLibrary::RegisterWidgetClass(QStringLiteral("QXTokenEditor"),
                                        [](QWidget* parent, const QString& name) -> QWidget* {
                                          auto* editor = new CQXTokenEditor(parent);
                                          editor->setObjectName(name);
                                          editor->prepareWindow();
                                          return editor;
                                        });
  return TRUE;
}

void CQXTokenEditor::reset() {
  discardUndoState();
  tokens_.RemoveAll();
  caret_ = 0;
  modified_ = FALSE;
  caretSide_ = 0;
  anchor_ = 0;
  mouseSelecting_ = false;
  press_ = {};
  scrollPos_ = 0;
  scrollMax_ = 0;
  selP_ = selQ_ = -1;
  layoutValid_ = false;
}

// ---- settings ----

BOOL CQXTokenEditor::SetTokenTextMap(const CQXTokenTextMap* map) {
  map_ = map;
  discardUndoState();
  relayout();
  return map != nullptr;
}

BOOL CQXTokenEditor::SetLineBreakTokens(const BYTE* tokens, const BYTE* glyphs, int count) {
  if (!tokens || !glyphs || count <= 0) return FALSE;
  breakTokens_.assign(tokens, tokens + count);
  breakGlyphs_.assign(glyphs, glyphs + count);
  relayout();
  return TRUE;
}

BOOL CQXTokenEditor::ModifyOptions(DWORD mask, DWORD bits, BOOL repaint) {
  options_ = (options_ & ~mask) | (bits & mask);
  layoutValid_ = false;
  updateLayout();
  if (repaint) Invalidate();
  return TRUE;
}

void CQXTokenEditor::SetMargins(int left, int right) {
  leftMargin_ = std::max(left, 0);
  rightMargin_ = std::max(right, 0);
  relayout();
}

void CQXTokenEditor::GetMargins(int* left, int* right) const {
  if (left) *left = leftMargin_;
  if (right) *right = rightMargin_;
}

BOOL CQXTokenEditor::SetFont(const CFont* font) {
  if (!font) return FALSE;
  setEditorFont(font->font());
  return TRUE;
}

BOOL CQXTokenEditor::SetLogFont(const LOGFONTA& font) {
  setEditorFont(tallix::fontFromLogFont(font));
  return TRUE;
}

BOOL CQXTokenEditor::SetFontByName(const char* faceName, int pointSizeTenths) {
  CFont font;
  if (!font.CreatePointFont(pointSizeTenths, QString::fromLatin1(faceName ? faceName : ""))) return FALSE;
  setEditorFont(font.font());
  return TRUE;
}

BOOL CQXTokenEditor::GetLogFont(LOGFONTA* font) const {
  if (!font) return FALSE;
  *font = tallix::logFontFromFont(font_);
  return TRUE;
}

BOOL CQXTokenEditor::SetCharMapCallback(TokenCharMapCallback callback) {
  charMap_ = std::move(callback);
  return TRUE;
}

// ---- content ----

const CQXTokenTextEntry* CQXTokenEditor::entryOf(WORD word) const {
  const CQXTokenTextEntry* entry = map_ ? map_->Lookup(word) : nullptr;
  return entry ? entry : &missing_;
}

bool CQXTokenEditor::isLineBreakByte(BYTE b) const {
  if (breakTokens_.empty()) return b == 0x0D;
  return std::find(breakTokens_.begin(), breakTokens_.end(), b) != breakTokens_.end();
}

bool CQXTokenEditor::isRefusedLineBreak(WORD word) const {
  return !IsMultiLine() && (word & 0xFF) == 0 && isLineBreakByte(BYTE(word >> 8));
}

BYTE CQXTokenEditor::firstLineBreakByte() const { return breakTokens_.empty() ? 0x0D : breakTokens_.front(); }

bool CQXTokenEditor::isLineBreak(WORD word) const {
  // A token the map lacks is never a line break.
  const CQXTokenTextEntry* entry = map_ ? map_->Lookup(word) : nullptr;
  return entry && entry->leadByte == 0 && isLineBreakByte(BYTE(entry->tokenByte));
}

WORD CQXTokenEditor::GetTokenAt(int index) const {
  return index >= 0 && index < tokens_.GetSize() ? WORD(tokens_.GetAt(index) & kTokenWordMask) : 0;
}

void CQXTokenEditor::ClearTokens() {
  reset();
  updateLayout();
  PositionCaret();
  Invalidate();
}

std::vector<WORD> CQXTokenEditor::parse(const BYTE* data, int length, UINT format, int* result) const {
  std::vector<WORD> words;
  *result = 1;
  switch (format) {
    case kTokenFormatBytes:
      for (const CalcByteToken& t : SplitCalcTokens(data, length, map_)) words.push_back(t.word);
      break;
    case kTokenFormatWords:
      for (int i = 0; i + 1 < length; i += 2) words.push_back(WORD(data[i] | data[i + 1] << 8));
      break;
    case kTokenFormatText: {
      const WORD lineBreak = MakeTokenWord(0, firstLineBreakByte());
      for (int i = 0; i < length && data[i] != 0; ++i) {
        const BYTE b = data[i];
        if (b == '\n' || b == '\r') {
          words.push_back(lineBreak);
          // LF CR and CR LF are one line break.
          const BYTE partner = b == '\n' ? '\r' : '\n';
          if (i + 1 < length && data[i + 1] == partner) ++i;
        } else if (b >= 32 && b <= 254) {
          words.push_back(MakeTokenWord(0, b));
        }
      }
      break;
    }
    default:
      *result = 0;
  }
  return words;
}

BOOL CQXTokenEditor::IsInsertableToken(WORD word) const {
  if ((word & kEndByteMask) == kEndByteMask) return FALSE;
  const BYTE lead = BYTE(word & 0xFF);
  const bool isLead = map_ && map_->IsLeadByte(lead != 0 ? lead : BYTE(word >> 8));
  // A one-byte token must not be a lead byte, a two-byte token must begin
  // with one: either would read back as other tokens.
  return lead == 0 ? !isLead : isLead;
}

void CQXTokenEditor::InsertToken(WORD word) {
  if (isRefusedLineBreak(word)) return;
  hideCaret();
  const int at = std::clamp(caret_, 0, tokens_.GetSize());
  tokens_.InsertAt(at, word);
  caret_ = at + 1;
  layoutValid_ = false;
  showCaret();
}

int CQXTokenEditor::insertData(const BYTE* data, int length, UINT format) {
  int result = 0;
  for (WORD w : parse(data, length, format, &result)) InsertToken(w);
  return result;
}

int CQXTokenEditor::SetTokens(const BYTE* data, int length, UINT format) {
  if (!data || length <= 0) return 0;
  reset();
  const int result = insertData(data, length, format);
  caret_ = 0;
  updateLayout();
  PositionCaret();
  Invalidate();
  return result;
}

int CQXTokenEditor::encodedLength(int first, int last, UINT format) const {
  int length = 0;
  for (int i = first; i <= last; ++i) {
    const WORD w = GetTokenAt(i);
    switch (format) {
      case kTokenFormatBytes: length += CalcTokenByteCount(w); break;
      case kTokenFormatWords: length += 2; break;
      case kTokenFormatText: length += isLineBreak(w) ? 2 : int(entryOf(w)->textLength); break;
      default: return 0;
    }
  }
  return length;
}

BOOL CQXTokenEditor::encode(int first, int last, BYTE* buffer, int capacity, int* length, UINT format) const {
  if (length) *length = 0;
  if (format != kTokenFormatBytes && format != kTokenFormatWords && format != kTokenFormatText) return FALSE;
  if (!buffer || capacity < 0) return FALSE;
  std::memset(buffer, 0, std::size_t(capacity));
  int n = 0;
  std::string piece;
  for (int i = first; i <= last; ++i) {
    const WORD w = GetTokenAt(i);
    piece.clear();
    switch (format) {
      case kTokenFormatBytes: AppendCalcTokenBytes(w, &piece); break;
      case kTokenFormatWords: piece = {char(w & 0xFF), char(w >> 8)}; break;
      default: piece = isLineBreak(w) ? std::string("\r\n") : std::string(entryOf(w)->text);
    }
    // A token that no longer fits whole ends the output.
    if (n + int(piece.size()) > capacity) break;
    std::memcpy(buffer + n, piece.data(), piece.size());
    n += int(piece.size());
  }
  if (length) *length = n;
  return TRUE;
}

BOOL CQXTokenEditor::GetTokens(BYTE* buffer, int capacity, int* length, UINT format) const {
  return encode(0, tokens_.GetSize() - 1, buffer, capacity, length, format);
}

int CQXTokenEditor::GetTokensLength(UINT format) const { return encodedLength(0, tokens_.GetSize() - 1, format); }

BOOL CQXTokenEditor::GetSelTokens(BYTE* buffer, int capacity, int* length, UINT format) const {
  if (length) *length = 0;
  if (!HasSelection()) return FALSE;
  return encode(std::min(selP_, selQ_), std::max(selP_, selQ_) - 1, buffer, capacity, length, format);
}

int CQXTokenEditor::GetSelTokensLength(UINT format) const {
  if (!HasSelection()) return 0;
  return encodedLength(std::min(selP_, selQ_), std::max(selP_, selQ_) - 1, format);
}

// ---- edits ----

void CQXTokenEditor::contentEdited() {
  modified_ = TRUE;
  if (CWnd* parent = GetParent())
    parent->SendMessage(WM_COMMAND, MAKEWPARAM(WORD(GetDlgCtrlID()), EN_CHANGE), reinterpret_cast<LPARAM>(this));
}

// What every edit ends with: the selection display cleared, the view
// repainted, the caret shown and kept in view.
void CQXTokenEditor::editDone() {
  SetSelRange(-1, -1, FALSE, FALSE);
  layoutValid_ = false;
  Invalidate();
  keepCaretInView();
  PositionCaret();
}

void CQXTokenEditor::removeSelectedTokens() {
  const int first = std::min(selP_, selQ_);
  hideCaret();
  tokens_.RemoveRange(first, std::max(selP_, selQ_) - 1);
  caret_ = first;
  selP_ = selQ_ = -1;
  layoutValid_ = false;
  showCaret();
}

BOOL CQXTokenEditor::DeleteSelection() {
  if (!HasSelection()) return FALSE;
  saveUndoState();
  removeSelectedTokens();
  contentEdited();
  editDone();
  return TRUE;
}

BOOL CQXTokenEditor::DeleteRange(int first, int last) {
  const int count = tokens_.GetSize();
  if (count == 0 || first < 0 || last < 0 || first >= count || last >= count) return FALSE;
  hideCaret();
  tokens_.RemoveRange(first, last);
  caret_ = tokens_.GetSize() == 0 ? 0 : std::min(first, last);
  selP_ = selQ_ = -1;
  layoutValid_ = false;
  showCaret();
  editDone();
  return TRUE;
}

int CQXTokenEditor::ReplaceSel(const BYTE* data, int length, UINT format) {
  if (!data || length <= 0) return 0;
  int result = 0;
  std::vector<WORD> words = parse(data, length, format, &result);
  std::erase_if(words, [this](WORD w) { return !IsInsertableToken(w); });
  // Nothing the guard lets through leaves the content as it is.
  if (words.empty()) return result;
  int at = std::min(selP_, selQ_);
  if (at < 0 || at >= tokens_.GetSize()) at = caret_;
  discardUndoState();
  if (HasSelection()) {
    saveUndoState();
    removeSelectedTokens();
  }
  caret_ = std::clamp(at, 0, tokens_.GetSize());
  for (WORD w : words) InsertToken(w);
  contentEdited();
  editDone();
  return result;
}

// ---- selection ----

BOOL CQXTokenEditor::SetSel(int p, int q, BOOL scroll) {
  const int count = tokens_.GetSize();
  if (count == 0) return FALSE;
  if (p == 0 && q == -1) {
    SetSelRange(0, count, TRUE, TRUE);
    anchor_ = 0;
    caret_ = count;
  } else if (p == -1) {
    SetSelRange(-1, -1, FALSE, TRUE);
  } else if (p == q || q < 0) {
    SetSelRange(-1, -1, FALSE, TRUE);
    caret_ = std::clamp(q < 0 ? p : q, 0, count);
  } else {
    const int lo = std::clamp(std::min(p, q), 0, count), hi = std::clamp(std::max(p, q), 0, count);
    SetSelRange(lo, hi, lo != hi, TRUE);
    anchor_ = lo;
    caret_ = hi;
  }
  caretSide_ = 0;
  if (scroll) keepCaretInView();
  PositionCaret();
  return TRUE;
}

BOOL CQXTokenEditor::GetSel(int* first, int* second) const {
  const bool none = selP_ == -1 || selQ_ == -1;
  if (first) *first = none ? -1 : selP_;
  if (second) *second = none ? -1 : selQ_;
  return !none;
}

void CQXTokenEditor::SetSelRange(int p, int q, BOOL select, BOOL draw) {
  const int count = tokens_.GetSize();
  if (count == 0) {
    selP_ = selQ_ = -1;
    return;
  }
  hideCaret();
  const int lo = select ? std::min(p, q) : 0, hi = select ? std::max(p, q) : 0;
  for (int i = 0; i < count; ++i) {
    const DWORD word = tokens_.GetAt(i) & kTokenWordMask;
    tokens_.SetAt(i, select && i >= lo && i < hi ? word | kTokenSelectedBit : word);
  }
  if (select) {
    selP_ = p;
    selQ_ = q;
  } else {
    selP_ = selQ_ = -1;
  }
  if (draw) Invalidate();
  showCaret();
}

void CQXTokenEditor::SetCaretIndex(int index) {
  caret_ = index;
  PositionCaret();
}

// ---- undo ----

void CQXTokenEditor::saveUndoState() {
  undoWords_.resize(std::size_t(tokens_.GetSize()));
  for (int i = 0; i < tokens_.GetSize(); ++i) undoWords_[std::size_t(i)] = WORD(tokens_.GetAt(i) & kTokenWordMask);
  undoCaret_ = caret_;
  undoP_ = selP_;
  undoQ_ = selQ_;
  undoHeld_ = true;
}

void CQXTokenEditor::discardUndoState() {
  undoHeld_ = false;
  undoWords_.clear();
  undoCaret_ = 0;
  undoP_ = undoQ_ = -1;
}

BOOL CQXTokenEditor::Undo() {
  if (!undoHeld_) return FALSE;
  const std::vector<WORD> saved = std::move(undoWords_);
  const int savedCaret = undoCaret_, savedP = undoP_, savedQ = undoQ_;
  saveUndoState();
  hideCaret();
  tokens_.RemoveAll();
  for (WORD w : saved) tokens_.Add(w);
  caret_ = std::clamp(savedCaret, 0, tokens_.GetSize());
  layoutValid_ = false;
  showCaret();
  const bool select = savedP != -1 && savedQ != -1 && savedP != savedQ && std::max(savedP, savedQ) <= tokens_.GetSize();
  SetSelRange(select ? savedP : -1, select ? savedQ : -1, select, TRUE);
  if (select) anchor_ = savedP;
  // An undo is an edit like any other: the owner stores it.
  contentEdited();
  Invalidate();
  keepCaretInView();
  PositionCaret();
  return TRUE;
}
