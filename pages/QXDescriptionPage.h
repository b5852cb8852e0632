// The description page: every data view's second tab, where the item's
// rich-text description is edited (CQXDescriptionEdit, a QTextEdit that
// reads and writes RTF through platform/RtfCodec.h).
//
// An unmodified description is stored back as the bytes it was read from,
// so that what the codec does not know survives a commit. Text emptied by
// the user removes the description from the entry.
#pragma once

#include "pages/QXDataPage.h"
#include "platform/CmdTarget.h"

#include <QFont>
#include <QPointer>
#include <QTextEdit>

class CCmdUI;

class CQXDescriptionEdit : public QTextEdit, public CCmdTarget {
  Q_OBJECT

 public:
  // Typing and pasting stop at this many characters; longer stored text
  // still loads whole.
  static constexpr int kTextLimit = 0x40000;

  explicit CQXDescriptionEdit(QWidget* parent = nullptr);
  ~CQXDescriptionEdit() override;
  DECLARE_MESSAGE_MAP()

  int TextLength() const;
  // Applies `font` to the selection (to what is typed next without one).
  void ApplyFont(const QFont& font);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  QMimeData* createMimeDataFromSelection() const override;
  bool canInsertFromMimeData(const QMimeData* source) const override;
  void insertFromMimeData(const QMimeData* source) override;

  void OnUndo();
  void OnUpdateUndo(CCmdUI* ui);
  void OnCut();
  void OnCopy();
  void OnPaste();
  void OnUpdatePaste(CCmdUI* ui);
  void OnDelete();
  void OnUpdateNeedsSelection(CCmdUI* ui);
  void OnSelectAll();
  void OnUpdateSelectAll(CCmdUI* ui);
  void OnFont();
  void OnDefaultFont();

 private:
  // Room left for inserted text with the selection replaced.
  int room() const;
};

class CQXDescriptionPage : public CQXDataPage {
  Q_OBJECT

 public:
  static constexpr UINT kPageId = 620;
  static constexpr int kEditId = 1050;

  Q_INVOKABLE CQXDescriptionPage();
  ~CQXDescriptionPage() override;
  DECLARE_MESSAGE_MAP()

  BOOL LoadFromItem(CQXDocEntry* entry) override;
  BOOL StoreToItem(CQXDocEntry* entry) override;
  BOOL ClearPage() override;
  BOOL IsModified() override;
  void SetModified(BOOL modified) override;
  void MergeMenus() override;
  void UnmergeMenus() override;
  int GetPrintKind() const override { return kPrintKindRichText; }
  QWidget* GetPrintControl() override { return edit_; }

  CQXDescriptionEdit* GetEdit() const { return edit_; }
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

 protected:
  BOOL OnInitDialog() override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  QPointer<CQXDescriptionEdit> edit_;
};

// "Settings"/"Desc Page Font": a 72-byte record around a 60-byte character
// format {size, mask, effects, height in twips, offset, colour, charset,
// pitch, 32-byte face}. Reading a missing or malformed record answers
// FALSE and leaves Arial 10 pt in `out`.
BOOL ReadDescPageFont(QFont* out);
BOOL WriteDescPageFont(const QFont& font);

void RegisterQXDescriptionPageClasses();

enum : UINT { kCmdFont = 22104, kCmdDefaultFont = 22105 };
