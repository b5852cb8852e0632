// CQXTokenEditor: the control that edits a calculator program token by
// token. Each token is one unit for the caret, the selection, deletion and
// undo, and is drawn as the characters of its text in the token text map
// (a command word with its parenthesis, a line break as its glyph).
//
// Owners (data pages, dialogs, print views) create it with Create, give it a
// token text map they keep alive (FillTokenTextMap), and move content in and
// out in one of three exchange formats:
//   kTokenFormatBytes (1)  calculator bytes: a two-byte token as its lead byte
//                          and token byte, any other token as its token byte;
//   kTokenFormatWords (2)  16-bit token words, little-endian (lead byte first);
//   kTokenFormatText  (4)  the token texts, a line break as CR LF.
// Programs pass in format 1 (SetTokens / GetTokens); commands, macros and
// characters chosen by the user go in through ReplaceSel.
//
// The insertion guard: whatever the user puts in (typing, the character
// callback, Enter, ReplaceSel, and the clipboard and drops) passes
// IsInsertableToken, so no action of the user can make a byte string the
// calculator would read differently: a one-byte token equal to a lead byte of
// the map, a two-byte token whose lead byte is not one, and any token byte
// 0xFF (the end byte) are refused. SetTokens, Undo and a move within the
// editor keep what was there and are not filtered. A single-line editor
// never holds a line break.
//
// Window styles (Create): kTokenEditorMultiLine (0x0004) wraps lines and takes
// every key, Enter included; without it the editor is one line scrolling
// sideways, and leaves Enter and Escape to its dialog. WS_VSCROLL, 0x0004 or
// kTokenEditorDisableNoScroll (0x2000) give the vertical bar; with 0x2000 it
// stays visible, disabled, when there is nothing to scroll. WS_BORDER draws a
// frame, WS_EX_CLIENTEDGE a sunken edge.
//
// Every edit that changes the content sets the modified flag and sends
// WM_COMMAND EN_CHANGE (the editor as lParam) to the parent.
//
// The clipboard (TokenClipboard.h): Copy and Cut put the selection there as
// a token block of calculator bytes and as plain text, the token texts as
// the calculator shows them (the Edit menu's bits 5); Paste takes the first
// usable of the bytes block, the words block and the plain text, which goes
// in as the tokens whose texts it holds and otherwise as typing it gives
// (TokenPlainText.h, then the character callback; a character beyond ASCII
// that the callback does not convert and a sign no token shows alone are
// left out). Dragging a selection offers the same two formats,
// copy or move; the editor is a drop target for the bytes block and plain
// text (Ctrl copies, else move) and shows a grey drop caret at the insertion
// point. Paste and drops from elsewhere go through the insertion guard; a
// move from elsewhere that the guard would cut becomes a copy (where the
// source allows one), so the source keeps what did not go in; a selection
// moved within the editor keeps its tokens as they were. The dropped tokens
// end up selected.
#pragma once

#include "classlib/LogFont.h"
#include "platform/ColorRef.h"
#include "platform/DC.h"
#include "platform/OleDropTarget.h"
#include "platform/ScrollWnd.h"
#include "tokens/QXTokenArray.h"
#include "tokens/QXTokenTextMap.h"

#include <QPoint>
#include <QRect>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class COleDataObject;
class COleDataSource;
struct TokenClipData;
class QTimer;

enum : UINT { kTokenFormatBytes = 1, kTokenFormatWords = 2, kTokenFormatText = 4 };
// The keys of every token editor's host (Ctrl+A select all, the clipboard
// keys, undo, Ctrl+K convert text to command): an accelerator table.
enum : UINT { kTokenEditorKeys = 129 };
enum : DWORD { kTokenEditorMultiLine = 0x0004, kTokenEditorDisableNoScroll = 0x2000 };
// Option bit 0: line-break tokens are drawn with their glyph.
enum : DWORD { kTokenOptionShowBreakGlyphs = 1 };

// What a typed character stands for: the character callback fills it and
// answers TRUE when the character is a token.
struct QXCHARMAPENTRY {
  UINT character = 0;  // the character code that was typed
  BYTE tokenByte = 0;
  BYTE leadByte = 0;
};
using TokenCharMapCallback = std::function<BOOL(UINT character, QXCHARMAPENTRY* entry)>;

// A model's table of typed characters that are tokens: per character 0, or
// the lead byte in bits 16-23 and the token byte in bits 0-7. Each page keeps
// its own and hands `Map` to its editors as their character callback.
class CQXCharConvertTable {
 public:
  // The model's table; all zero when it has none.
  void Load(const char* model);
  BOOL Map(UINT character, QXCHARMAPENTRY* entry) const;
  TokenCharMapCallback Callback() const {
    return [this](UINT character, QXCHARMAPENTRY* entry) { return Map(character, entry); };
  }

 private:
  std::array<DWORD, 256> table_{};
};

class CQXTokenEditor : public CScrollWnd<CWnd> {
  Q_OBJECT

 public:
  explicit CQXTokenEditor(QWidget* parent = nullptr);
  ~CQXTokenEditor() override;
  DECLARE_MESSAGE_MAP()

  // Registers the window class "QXTokenEditor" (a form's promoted class)
  // once per run; TRUE when it exists.
  static BOOL RegisterTokenEditorClass();

  // Makes the window a child of `parent` with control id `id` at `rect`, with
  // the styles above; font "Arial" 10 points.
  BOOL Create(DWORD style, const QRect& rect, QWidget* parent, UINT id);

  // ---- settings ----
  // The map is not owned. Discards the undo state; FALSE for none.
  BOOL SetTokenTextMap(const CQXTokenTextMap* map);
  const CQXTokenTextMap* GetTokenTextMap() const { return map_; }
  // The token bytes that are line breaks and the glyph codes drawn for them
  // (copied). FALSE for empty arguments (nothing changes).
  BOOL SetLineBreakTokens(const BYTE* tokens, const BYTE* glyphs, int count);
  // options = (options without `mask`) | (`bits` within `mask`).
  BOOL ModifyOptions(DWORD mask, DWORD bits, BOOL repaint);
  DWORD GetOptions() const { return options_; }
  // Margins in pixels left and right of the text; negative values are 0.
  void SetMargins(int left, int right);
  void GetMargins(int* left, int* right) const;
  // The font's description; FALSE without a font.
  BOOL SetFont(const CFont* font);
  BOOL SetLogFont(const LOGFONTA& font);
  // `pointSizeTenths` in tenths of a point.
  BOOL SetFontByName(const char* faceName, int pointSizeTenths);
  BOOL GetLogFont(LOGFONTA* font) const;
  const QFont& GetEditorFont() const { return font_; }
  // The function that turns a typed character into a token (none: every
  // printable character is its own one-byte token).
  BOOL SetCharMapCallback(TokenCharMapCallback callback);

  // ---- content ----
  // Empties the editor: no tokens, no undo, not modified, caret at 0.
  void ClearTokens();
  // Replaces the content by `data` in `format`, caret at 0, not filtered.
  // The result of the parse: 1, or 0 for an unknown format; 0 and no change
  // for no data or length 0.
  int SetTokens(const BYTE* data, int length, UINT format);
  // Zero-fills `capacity` bytes and encodes all tokens, stopping at the last
  // whole token that fits; `length` gets the bytes written. FALSE for an
  // unknown format.
  BOOL GetTokens(BYTE* buffer, int capacity, int* length, UINT format) const;
  // The encoded length of all tokens (format 4: a line break counts 2).
  int GetTokensLength(UINT format) const;
  // The same for the selected tokens; FALSE / 0 when nothing is selected.
  BOOL GetSelTokens(BYTE* buffer, int capacity, int* length, UINT format) const;
  int GetSelTokensLength(UINT format) const;
  int GetTokenCount() const { return tokens_.GetSize(); }
  BOOL IsEmpty() const { return tokens_.GetSize() == 0; }
  // The token word at `index` (0 outside the content).
  WORD GetTokenAt(int index) const;
  // Inserts one token at the caret and moves the caret behind it, unless it
  // is a line break of a single-line editor. Neither repaints nor sets the
  // modified flag, and is not filtered: the callers do that.
  void InsertToken(WORD word);
  // The insertion guard of every user insertion: FALSE for a token byte
  // 0xFF, for a one-byte token that is a lead byte of the map, and for a
  // two-byte token whose lead byte is not one.
  BOOL IsInsertableToken(WORD word) const;
  // Replaces the selection (or inserts at the caret) by `data`, through the
  // insertion guard; the result of the parse, 0 for no data.
  int ReplaceSel(const BYTE* data, int length, UINT format);
  // Saves the undo state and deletes the selected tokens; FALSE when nothing
  // is selected.
  BOOL DeleteSelection();
  // Deletes tokens `first` to `last` (either order, both included) without
  // touching the undo state; FALSE for an index outside the content.
  BOOL DeleteRange(int first, int last);

  // ---- selection and caret ----
  // (0, -1) selects all, caret at the end; (-1, any) removes the selection;
  // (p, p) removes it and puts the caret at p; other pairs select from the
  // smaller to the larger position with the caret at the larger. `scroll`
  // brings the caret into view. FALSE for an empty editor.
  BOOL SetSel(int p, int q, BOOL scroll = TRUE);
  // The two ends as stored (not ordered); FALSE and -1, -1 without one.
  BOOL GetSel(int* first, int* second) const;
  // Marks tokens min(p, q) .. max(p, q) - 1 as selected (`select`) or no
  // token, stores the selection, and redraws it when `draw` is set.
  void SetSelRange(int p, int q, BOOL select, BOOL draw);
  BOOL HasSelection() const { return selP_ != -1 && selQ_ != -1 && selP_ != selQ_; }
  int GetCaretIndex() const { return caret_; }
  void SetCaretIndex(int index);
  // Moves the visible caret to its index (`side` 1 or 2: drawn on the left
  // or right edge of the token at the index) when the editor has the focus.
  void PositionCaret(int side = 0);
  // The top-left point of the first selected token and the bottom-right
  // point of the token after the selection (of the last token when the
  // selection reaches the end), in client coordinates. FALSE without a
  // selection.
  BOOL GetSelectionRect(QPoint* topLeft, QPoint* bottomRight);

  // ---- undo and modified ----
  // Swaps the content with the saved state (a second Undo redoes); sets the
  // modified flag.
  BOOL Undo();
  BOOL CanUndo() const { return undoHeld_; }
  BOOL IsModified() const { return modified_; }
  void SetModified(BOOL modified = TRUE) { modified_ = modified; }

  // ---- Edit menu forwards for the owner ----
  BOOL EditClear() { return DeleteSelection(); }
  BOOL EditUndo() { return Undo(); }
  BOOL EditSelectAll() { return SetSel(0, -1, FALSE); }
  BOOL CanEditCopy() const { return !IsEmpty() && HasSelection(); }
  BOOL CanEditCut() const { return CanEditCopy(); }
  BOOL CanEditUndo() const { return CanUndo(); }
  BOOL CanEditSelectAll() const { return !IsEmpty(); }
  BOOL EditCopy() { return Copy(kTokenFormatBytes | kTokenFormatText); }
  BOOL EditCut() { return Cut(kTokenFormatBytes | kTokenFormatText); }
  BOOL EditPaste() { return Paste(kTokenFormatBytes | kTokenFormatText) != 0; }
  BOOL CanEditPaste() const { return IsPasteAvailable(kTokenFormatBytes | kTokenFormatText); }

  // ---- the token clipboard ----
  // With bit 1 the bytes block is on the clipboard, or else with bit 4
  // plain text (the words block is not looked at).
  static BOOL IsPasteAvailable(UINT bits);
  // FALSE when nothing is selected (the clipboard stays as it was).
  BOOL Copy(UINT bits);
  BOOL Cut(UINT bits);
  // The result of the insertion; 0 when nothing could be pasted.
  int Paste(UINT bits);
  // Caches one block per format of `bits` (1 bytes, 4 text, 2 words), of
  // the selection or of everything.
  BOOL RenderTokens(COleDataSource* source, UINT bits, BOOL selectionOnly) const;
  // The drop target's operations, at client points (the editor registers
  // its target when it is created).
  DROPEFFECT OnDragEnter(COleDataObject* data, DWORD keyState, QPoint point);
  DROPEFFECT OnDragOver(COleDataObject* data, DWORD keyState, QPoint point);
  void OnDragLeave();
  BOOL OnDrop(COleDataObject* data, DROPEFFECT effect, QPoint point);
  // Scrolls while the pointer is within a line of an edge (at most every
  // 200 ms per direction); never answers the scroll effect.
  DROPEFFECT OnDragScroll(DWORD keyState, QPoint point);
  // 0 idle, 10 while the editor's own drag runs, 20 when its own drop moved
  // the tokens, 30 when it copied them.
  int GetDragMarker() const { return dragMarker_; }

  // ---- printing ----
  // Measures the editor's font on the printer `job` draws on (its
  // resolution against the screen's); FALSE without a device.
  BOOL PreparePrinterFont(CDC* job);
  // Prints tokens from `*token` (character `*charOffset` of it on) into
  // `*page`, wrapping at its right edge, black on white. Only whole lines
  // go on the page (a page lower than one line takes its first line all the
  // same; one whose top is at or below its bottom takes nothing). When the
  // page is full, `*token` and `*charOffset` say where the next page goes on;
  // otherwise `*token` reaches the count and the offset is 0. The top of
  // `*page` becomes the y below the printed text.
  void PrintTokens(CDC* dc, QRect* page, int* token, int* charOffset);
  // The height of a printed line (after PreparePrinterFont).
  int GetPrinterLineHeight() const { return printer_.lineHeight; }

  // ---- layout, for tests and owners ----
  // Hit-test of a client point: the token index (-1 none, -2 after the end)
  // and the half (1 left, 2 right).
  int HitTest(QPoint point, BOOL exact, int* half);
  // Where the caret is drawn, in client coordinates.
  QPoint CaretPoint();
  int GetLineHeight() const { return screen_.lineHeight; }
  int GetFirstVisibleLine() const { return scrollPos_; }
  int GetScrollOffset() const { return scrollPos_; }
  int GetScrollMax() const { return scrollMax_; }
  bool IsMultiLine() const { return (GetStyle() & kTokenEditorMultiLine) != 0; }

 protected:
  // One font's measures: per character code the text drawn for it and its
  // width, and the line height.
  struct FontTable {
    QFont font;
    std::array<QString, 256> texts;
    std::array<int, 256> widths{};
    int lineHeight = 1;
  };
  // Where one token lies: its start and end, and where it wrapped.
  // In content coordinates (the first line at y 0, no sideways offset).
  struct TokenGeometry {
    QPoint start;       // top-left of its first character
    QPoint end;         // top of its last line, right of its last character
    int firstEndX = 0;  // right end of its piece on the first line
  };
  // One pass over the tokens (the layout record).
  struct LayoutPass {
    const FontTable* table = nullptr;
    CDC* dc = nullptr;  // drawing when set
    QRect clip;         // lines outside it are not drawn
    int left = 0;       // the text area: left edge and the first x beyond it
    int right = 0;
    bool wrap = true;
    int x = 0, y = 0;
    int lines = 1;
    bool focused = false;
    COLORREF text = 0, window = 0;
    bool placed = false;  // a character was laid out
    // Printing: a line that would not end above `bottom` ends the page
    // (`full`), which goes on at token `stopToken`, character `stopChar`.
    bool printing = false;
    int bottom = 0;
    bool full = false;
    int stopToken = 0, stopChar = 0;
  };

  int OnCreate(LPCREATESTRUCT create) override;
  void OnDestroy() override;
  void OnStyleChanged(DWORD oldStyle, DWORD newStyle) override;
  void OnExStyleChanged(DWORD oldExStyle, DWORD newExStyle) override;
  // Its vertical bar: lines up and down, pages, the thumb.
  void OnVScroll(UINT code, UINT pos, CScrollBar* bar) override;
  // A multi-line editor scrolls by the user's wheel lines.
  BOOL OnMouseWheel(UINT flags, short delta, QPoint point) override;

  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  // content
  void reset();
  std::vector<WORD> parse(const BYTE* data, int length, UINT format, int* result) const;
  int insertData(const BYTE* data, int length, UINT format);
  BOOL encode(int first, int last, BYTE* buffer, int capacity, int* length, UINT format) const;
  int encodedLength(int first, int last, UINT format) const;
  const CQXTokenTextEntry* entryOf(WORD word) const;
  bool isLineBreak(WORD word) const;
  bool isLineBreakByte(BYTE b) const;
  // A line-break byte, which a single-line editor never takes.
  bool isRefusedLineBreak(WORD word) const;
  BYTE firstLineBreakByte() const;
  void saveUndoState();
  void discardUndoState();
  void removeSelectedTokens();
  void replaceSelectionForTyping();
  // An edit changed the content: modified, and EN_CHANGE to the parent.
  void contentEdited();
  void editDone();

  // window, fonts and colours
  void prepareWindow();
  void applyStyles();
  void measureFont(FontTable* table, const QFont& font, QPaintDevice* device) const;
  void setEditorFont(const QFont& font);
  void loadColors();

  // layout
  QRect clientArea() const;
  QRect textArea() const;
  void startPass(LayoutPass* pass, const FontTable* table) const;
  QByteArray tokenChars(WORD word) const;
  // Lays the tokens out from `first` (character `charOffset` of it) on;
  // `visit(index, geometry)` after each token, false from it stops.
  void layout(LayoutPass* pass, int first, int charOffset,
              const std::function<bool(int, const TokenGeometry&)>& visit) const;
  void updateLayout();
  // The layout again after a change of what it rests on, and a repaint.
  void relayout();
  void layoutPass();
  void updateScrollRange();
  void setVerticalBar();
  int visibleLines() const;
  int maxSideOffset() const;
  QPoint toClient(QPoint content) const;
  QPoint toContent(QPoint client) const;
  const TokenGeometry& geometryOf(int index);
  int hitTestAt(QPoint point, bool exact, int* half);
  void paintTokens(CDC* dc, const QRect& clip);

  // scrolling
  void scrollBy(int n);
  void scrollToTop();
  void scrollToEnd();
  void keepCaretInView();

  // caret
  void createCaret(int kind);
  void destroyCaret();
  void showCaret();
  void hideCaret();
  void blinkCaret();
  void updateCaret();
  bool IsCaretVisible() const;
  QRect caretRect();

  // keyboard and mouse
  void typeCharacter(QChar ch);
  void OnKeyDown(UINT vk, bool shift, bool ctrl);
  void OnChar(UINT ch, int repeat);
  // The token a typed character code stands for: the character callback's
  // (`mapped` then true), else the one-byte token of a printable code.
  std::optional<WORD> typedToken(UINT ch, bool* mapped = nullptr) const;
  void moveCaretTo(int index, bool shift);
  void navigate(UINT vk, bool shift, bool ctrl);
  void finishPress();
  void startMouseSelection();
  void extendMouseSelection(QPoint point);
  void endMouseSelection();
  void cancelMouse();
  void updateCursor(QPoint point);
  QPoint clientPoint(const QMouseEvent* event) const;
  // The drag of the selection; FALSE when it holds no bytes (the caller
  // then removes the selection).
  BOOL DragSelection();
  // clipboard and drops
  class DropTarget;
  void registerDropTarget();
  int dropIndexAt(QPoint point);
  void dropCaretTo(QPoint point);
  // The tokens that `tokens` puts in: those that pass the insertion guard
  // (and are no line break of a single-line editor), text as typing it
  // gives; `whole` (optional) false when anything was left out, also a
  // character of the text without a code; `result` the parse's.
  std::vector<WORD> insertableTokens(const TokenClipData& tokens, bool* whole, int* result) const;
  int insertTokenData(const TokenClipData& tokens);
  // Whether what the drag over the editor offers would go in whole (found
  // once per drag).
  bool dropGoesInWhole(const COleDataObject* data);

  const CQXTokenTextMap* map_ = nullptr;
  CQXTokenArray tokens_;
  BOOL modified_ = FALSE;
  std::vector<BYTE> breakTokens_{0x0D};
  std::vector<BYTE> breakGlyphs_{0xB6};
  FontTable screen_;
  QFont font_;
  DWORD options_ = kTokenOptionShowBreakGlyphs;
  CQXTokenTextEntry missing_;

  // Layout of the content: every token's place, the line count and the end
  // of the text (x of the last token's end, bottom of the last line).
  bool layoutValid_ = false;
  bool inLayoutUpdate_ = false;
  std::vector<TokenGeometry> geometry_;
  int lines_ = 1;
  QPoint contentEnd_;

  int caretKind_ = 0;  // 0 none, 1 edit caret, 2 drop caret
  int caretHidden_ = 0;
  bool caretBlinkOn_ = true;
  QRect drawnCaret_;
  QTimer* blink_ = nullptr;
  int caret_ = 0;
  // First visible line (multi-line) or sideways offset in pixels.
  int scrollMax_ = 0;
  int scrollPos_ = 0;
  bool hasVerticalBar_ = false;
  bool mouseSelecting_ = false;
  int selP_ = -1, selQ_ = -1;
  int caretSide_ = 0;
  int anchor_ = 0;

  // A press that waits to become a click, a mouse selection or a drag.
  struct PendingPress {
    bool active = false;
    QPoint point;
    int index = -1;
    int half = 0;
    bool inSelection = false;
  } press_;

  bool undoHeld_ = false;
  std::vector<WORD> undoWords_;
  int undoCaret_ = 0;
  int undoP_ = -1, undoQ_ = -1;

  FontTable printer_;
  bool printerReady_ = false;
  int leftMargin_ = 10;
  int rightMargin_ = 10;
  TokenCharMapCallback charMap_;

  std::unique_ptr<COleDropTarget> dropTarget_;
  int dragMarker_ = 0;
  // The last drag scroll of each direction (up, down, left, right), ms.
  std::array<qint64, 4> lastDragScroll_{};
  // The caret a drag found and gives back when it leaves.
  int caretBeforeDrag_ = -1;
  std::optional<bool> dropWhole_;

  COLORREF colorText_ = 0, colorHighlightText_ = 0, colorWindow_ = 0, colorHighlight_ = 0, colorMargin_ = 0,
           colorFace_ = 0;
};
