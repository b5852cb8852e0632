// The token editor's clipboard, its drag of a selection and its drop target.
#include "tokens/QXTokenEditor.h"

#include "charset/CalcCharset.h"
#include "platform/OleDataObject.h"
#include "platform/OleDataSource.h"
#include "tokens/CalcTokenBytes.h"
#include "tokens/TokenClipboard.h"
#include "tokens/TokenPlainText.h"

#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>

#include <algorithm>
#include <vector>

// Hands the drag events of the editor's window to the editor, at client
// points.
class CQXTokenEditor::DropTarget : public COleDropTarget {
 public:
  explicit DropTarget(CQXTokenEditor* editor) : editor_(editor) {}

  DROPEFFECT OnDragEnter(QWidget*, COleDataObject* data, DWORD keyState, QPoint point) override {
    return editor_->OnDragEnter(data, keyState, editor_->MapToClient(point));
  }
  DROPEFFECT OnDragOver(QWidget*, COleDataObject* data, DWORD keyState, QPoint point) override {
    return editor_->OnDragOver(data, keyState, editor_->MapToClient(point));
  }
  void OnDragLeave(QWidget*) override { editor_->OnDragLeave(); }
  BOOL OnDrop(QWidget*, COleDataObject* data, DROPEFFECT effect, QPoint point) override {
    return editor_->OnDrop(data, effect, editor_->MapToClient(point));
  }
  DROPEFFECT OnDropEx(QWidget*, COleDataObject*, DROPEFFECT, DROPEFFECT, QPoint) override { return DROPEFFECT(-1); }
  DROPEFFECT OnDragScroll(QWidget*, DWORD keyState, QPoint point) override {
    return editor_->OnDragScroll(keyState, editor_->MapToClient(point));
  }

 private:
  CQXTokenEditor* editor_;
};

namespace {

constexpr UINT kEditBits = kTokenFormatBytes | kTokenFormatText;
constexpr qint64 kDragScrollInterval = 200;

enum { kScrollUp, kScrollDown, kScrollLeft, kScrollRight };

bool offersDroppable(const COleDataObject* data) {
  return data && (data->IsDataAvailable(GetTokenBytesFormat()) || data->IsDataAvailable(CF_UNICODETEXT));
}

}  // namespace

void CQXTokenEditor::registerDropTarget() {
  if (dropTarget_) return;
  dropTarget_ = std::make_unique<DropTarget>(this);
  dropTarget_->Register(this);
}

// ---- clipboard ----

BOOL CQXTokenEditor::IsPasteAvailable(UINT bits) {
  COleDataObject data;
  if (!data.AttachClipboard()) return FALSE;
  if ((bits & kTokenFormatBytes) && data.IsDataAvailable(GetTokenBytesFormat())) return TRUE;
  return (bits & kTokenFormatText) && data.IsDataAvailable(CF_UNICODETEXT);
}

BOOL CQXTokenEditor::RenderTokens(COleDataSource* source, UINT bits, BOOL selectionOnly) const {
  if (!source) return FALSE;
  int first = 0, last = tokens_.GetSize() - 1;
  if (selectionOnly) {
    if (!HasSelection()) return FALSE;
    first = std::min(selP_, selQ_);
    last = std::max(selP_, selQ_) - 1;
  }
  const auto encoded = [&](UINT format) {
    QByteArray bytes(encodedLength(first, last, format), '\0');
    int length = 0;
    encode(first, last, reinterpret_cast<BYTE*>(bytes.data()), int(bytes.size()), &length, format);
    bytes.truncate(length);
    return bytes;
  };
  if (bits & kTokenFormatBytes) {
    const QByteArray bytes = encoded(kTokenFormatBytes);
    source->CacheGlobalData(GetTokenBytesFormat(), MakeTokenBlock(1, bytes.constData(), int(bytes.size())));
  }
  if (bits & kTokenFormatText) {
    // Other programs get the text the calculator shows.
    const QByteArray codes = encoded(kTokenFormatText);
    source->CacheGlobalData(CF_UNICODETEXT,
                            tallix::unicodeTextData(CalcPlainText({codes.constData(), size_t(codes.size())})));
  }
  if (bits & kTokenFormatWords) {
    const QByteArray words = encoded(kTokenFormatWords);
    source->CacheGlobalData(GetTokenWordsFormat(), MakeTokenBlock(2, words.constData(), int(words.size())));
  }
  return TRUE;
}

BOOL CQXTokenEditor::Copy(UINT bits) {
  if (!HasSelection()) return FALSE;
  COleDataSource source;
  if (!RenderTokens(&source, bits, TRUE)) return FALSE;
  source.SetClipboard();
  return TRUE;
}

BOOL CQXTokenEditor::Cut(UINT bits) {
  if (!Copy(bits)) return FALSE;
  DeleteSelection();
  return TRUE;
}

int CQXTokenEditor::Paste(UINT bits) {
  if (!IsPasteAvailable(bits)) return 0;
  COleDataObject data;
  if (!data.AttachClipboard()) return 0;
  const std::optional<TokenClipData> tokens = ReadTokenClipData(data, bits);
  if (!tokens) return 0;
  if (HasSelection()) {
    saveUndoState();
    removeSelectedTokens();
  } else {
    discardUndoState();
  }
  const int result = insertTokenData(*tokens);
  contentEdited();
  editDone();
  return result;
}

std::vector<WORD> CQXTokenEditor::insertableTokens(const TokenClipData& tokens, bool* whole, int* result) const {
  std::vector<WORD> words;
  bool all = true;
  if (tokens.format == kTokenFormatText) {
    // Text from other programs goes in as the tokens whose texts it holds
    // and, between them, as typing it would.
    *result = 1;
    for (const CalcTextPiece& piece : SplitTokenPlainText(tokens.text, map_, &all)) {
      switch (piece.kind) {
        case CalcTextPiece::kToken: words.push_back(piece.value); break;
        case CalcTextPiece::kLineBreak: words.push_back(MakeTokenWord(0, firstLineBreakByte())); break;
        case CalcTextPiece::kCode:
          // A sign that no token shows alone (the sum sign of "Σx").
          all = false;
          break;
        case CalcTextPiece::kTyped: {
          // A character beyond ASCII that the character callback does not
          // convert has no token: its own code is a command that shows as
          // something else (0xF1 'ñ' is "Graph Y<"), and a token that shows
          // as the character was found whole.
          bool mapped = false;
          const std::optional<WORD> word = typedToken(piece.value, &mapped);
          if (word && (mapped || piece.value < 0x80)) words.push_back(*word);
          else all = false;
          break;
        }
      }
    }
  } else {
    words = parse(reinterpret_cast<const BYTE*>(tokens.bytes.constData()), int(tokens.bytes.size()), tokens.format,
                  result);
  }
  const auto refused = [this](WORD w) { return !IsInsertableToken(w) || isRefusedLineBreak(w); };
  const auto kept = std::remove_if(words.begin(), words.end(), refused);
  if (kept != words.end()) all = false;
  words.erase(kept, words.end());
  if (whole) *whole = all;
  return words;
}

int CQXTokenEditor::insertTokenData(const TokenClipData& tokens) {
  int result = 0;
  for (WORD w : insertableTokens(tokens, nullptr, &result)) InsertToken(w);
  return result;
}

bool CQXTokenEditor::dropGoesInWhole(const COleDataObject* data) {
  if (!dropWhole_) {
    bool whole = false;
    int result = 0;
    if (const std::optional<TokenClipData> tokens = ReadTokenClipData(*data, kEditBits))
      insertableTokens(*tokens, &whole, &result);
    dropWhole_ = whole;
  }
  return *dropWhole_;
}

// ---- the drag of a selection ----

BOOL CQXTokenEditor::DragSelection() {
  if (GetSelTokensLength(kTokenFormatBytes) == 0) return FALSE;
  const int start = caret_;
  COleDataSource source;
  RenderTokens(&source, kEditBits, TRUE);
  destroyCaret();
  dragMarker_ = 10;
  const DROPEFFECT effect = source.DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_SCROLL, this);
  if (effect == DROPEFFECT_NONE) {
    caret_ = start;
  } else if ((effect & DROPEFFECT_MOVE) && dragMarker_ == 10) {
    // The tokens went to another window.
    DeleteSelection();
  }
  Invalidate();
  if (hasFocus()) createCaret(1);
  PositionCaret();
  dragMarker_ = 0;
  return TRUE;
}

// ---- the drop target ----

int CQXTokenEditor::dropIndexAt(QPoint point) {
  int half = 0;
  const int index = hitTestAt(point, false, &half);
  if (index == -2) return tokens_.GetSize();
  if (index < 0) return 0;
  return half == 2 ? index + 1 : index;
}

void CQXTokenEditor::dropCaretTo(QPoint point) {
  if (caretKind_ != 2) createCaret(2);
  caret_ = dropIndexAt(point);
  caretSide_ = 0;
  updateCaret();
}

DROPEFFECT CQXTokenEditor::OnDragEnter(COleDataObject* data, DWORD keyState, QPoint point) {
  lastDragScroll_.fill(0);
  dropWhole_.reset();
  if (caretBeforeDrag_ < 0) caretBeforeDrag_ = caret_;
  destroyCaret();
  return OnDragOver(data, keyState, point);
}

DROPEFFECT CQXTokenEditor::OnDragOver(COleDataObject* data, DWORD keyState, QPoint point) {
  if (!offersDroppable(data)) return DROPEFFECT_NONE;
  dropCaretTo(point);
  if (keyState & MK_CONTROL) return DROPEFFECT_COPY;
  // A move from elsewhere that would leave some of its tokens out becomes a
  // copy where its source allows one, so that the source keeps them. The
  // editor's own drag moves its tokens as they stand.
  const bool copyAllowed = dropTarget_ && (dropTarget_->GetAllowedEffects() & DROPEFFECT_COPY);
  if (dragMarker_ != 10 && copyAllowed && !dropGoesInWhole(data)) return DROPEFFECT_COPY;
  return DROPEFFECT_MOVE;
}

DROPEFFECT CQXTokenEditor::OnDragScroll(DWORD, QPoint point) {
  const int count = tokens_.GetSize();
  if (count == 0) return DROPEFFECT_NONE;
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  const auto due = [&](int direction) {
    if (now - lastDragScroll_[std::size_t(direction)] < kDragScrollInterval) return false;
    lastDragScroll_[std::size_t(direction)] = now;
    return true;
  };
  const QRect client = clientArea();
  if (IsMultiLine()) {
    const int h = screen_.lineHeight;
    if (point.y() < client.top() + h) {
      if (due(kScrollUp)) scrollBy(1);
    } else if (point.y() >= client.bottom() + 1 - h) {
      if (due(kScrollDown)) scrollBy(-1);
    }
  } else {
    const QRect area = textArea();
    if (point.x() < area.left()) {
      if (due(kScrollLeft) && caret_ > 0) {
        --caret_;
        keepCaretInView();
      }
    } else if (point.x() > area.right()) {
      if (due(kScrollRight) && caret_ < count) {
        ++caret_;
        keepCaretInView();
      }
    }
  }
  return DROPEFFECT_NONE;
}

void CQXTokenEditor::OnDragLeave() {
  destroyCaret();
  dropWhole_.reset();
  lastDragScroll_.fill(0);
  // A focused editor gets its edit caret back where it was.
  if (caretBeforeDrag_ >= 0 && dragMarker_ != 10) caret_ = std::min(caretBeforeDrag_, tokens_.GetSize());
  caretBeforeDrag_ = -1;
  if (hasFocus()) {
    createCaret(1);
    PositionCaret();
  }
}

BOOL CQXTokenEditor::OnDrop(COleDataObject* data, DROPEFFECT effect, QPoint point) {
  caretBeforeDrag_ = -1;
  dropWhole_.reset();
  destroyCaret();
  const std::optional<TokenClipData> tokens = data ? ReadTokenClipData(*data, kEditBits) : std::nullopt;
  if (!tokens) {
    if (hasFocus()) createCaret(1);
    return FALSE;
  }
  int at = dropIndexAt(point);
  std::vector<WORD> moved;
  if (dragMarker_ == 10 && (effect & DROPEFFECT_MOVE)) {
    dragMarker_ = 20;
    const int first = std::min(selP_, selQ_), last = std::max(selP_, selQ_);
    if (at >= first && at <= last) {
      // Dropped on itself: nothing moves.
      if (hasFocus()) createCaret(1);
      Invalidate();
      return FALSE;
    }
    // The editor's own tokens move as they stand: the insertion guard is for
    // what comes from elsewhere, and would drop an end byte or a lone lead
    // byte the program holds.
    for (int i = first; i < last; ++i) moved.push_back(GetTokenAt(i));
    saveUndoState();
    removeSelectedTokens();
    if (at > last) at -= last - first;
  } else {
    if (dragMarker_ == 10 && (effect & DROPEFFECT_COPY)) dragMarker_ = 30;
    discardUndoState();
  }
  caret_ = std::clamp(at, 0, tokens_.GetSize());
  if (moved.empty()) {
    insertTokenData(*tokens);
  } else {
    for (WORD w : moved) InsertToken(w);
  }
  const int end = caret_;
  if (hasFocus()) createCaret(1);
  contentEdited();
  layoutValid_ = false;
  if (end > at) SetSelRange(at, end, TRUE, TRUE);
  else SetSelRange(-1, -1, FALSE, TRUE);
  caret_ = end;
  keepCaretInView();
  Invalidate();
  PositionCaret();
  return TRUE;
}
