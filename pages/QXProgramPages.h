// The pages of a calculator program (item kind 4001).
//
// CQXProgramCtrlDataPage: a token page (CQXTokenWndDataPage) with the
// program editor (control 1, in place of the form's placeholder 1063), the
// name box (1000), the Edit commands on whichever of the two has the focus,
// the character table, the editor font ("Settings"/"Program Editor Font")
// and an editor as wide as the calculator's display ("Settings"/"Use
// Calculator Width", the model's "Display Width"). Typed characters become
// tokens through the model's character conversion table, each page through
// its own table.
//
// CQXProgramDataPage (621): the program item's name, tokens and BASE-N
// mode, the password button (to page 623), the import and export of program
// files (pages/QXProgramFile.h) and the check of the name before a store.
//
// CQXProgramDataView: the view of kind 4001. A program with a password shows
// the enter-password page (622) alone until it is unlocked (21017); then the
// program, password and description pages. "&Mot de passe" (21018) joins the
// View menu while the view lives.
//
// The name box is a calculator-text edit (platform/CalcTextEdit.h): it shows
// the name's calculator bytes in the page font, takes at most eight codes
// (x̄ is one) and a character without a code cannot be typed. The bytes the
// user did not edit stay as they were.
#pragma once

#include "pages/QXPageView.h"
#include "pages/QXTokenWndDataPage.h"
#include "platform/DC.h"
#include "tokens/QXTokenEditorVariants.h"
#include "tokens/QXTokenSelectWnd.h"

#include <QLineEdit>
#include <QPointer>
#include <QRect>

#include <array>
#include <memory>
#include <string>

class CQXProgramItem;
class QCheckBox;

// Commands of the program pages.
enum : UINT {
  kCmdProgramExport = 20068,
  kCmdProgramImport = 20069,
  kCmdProgramFont = 22104,
  kCmdCharacterTable = 22106,
  kCmdCalculatorWidth = 22107,
  kCmdConvertTextToCommand = 40093,
};

class CQXProgramCtrlDataPage : public CQXTokenWndDataPage {
  Q_OBJECT

 public:
  static constexpr int kEditorId = 1;
  static constexpr int kNameEdit = 1000;
  static constexpr int kPasswordButton = 1001;
  static constexpr int kBaseNCheck = 1002;
  static constexpr int kEditorPlaceholder = 1063;
  static constexpr UINT kEditorMenu = 310;
  static constexpr int kMaxName = 8;
  static constexpr int kDefaultDisplayWidth = 21;

  Q_INVOKABLE CQXProgramCtrlDataPage();
  explicit CQXProgramCtrlDataPage(UINT templateId);
  ~CQXProgramCtrlDataPage() override;
  DECLARE_MESSAGE_MAP()

  // The page into the record: its name, and its tokens as calculator bytes
  // with the end byte 0xFF. The record's text is replaced, its password and
  // mode stay. 0 (after message 61706) when memory runs out.
  virtual BOOL WriteProgramToItem(CQXProgramItem* program);
  // The record's name and tokens into the page; the end byte 0xFF is not a
  // token (any other last byte is). A program without a name counts as
  // changed.
  virtual BOOL ReadProgramFromItem(CQXProgramItem* program);

  BOOL IsModified() override;
  void SetModified(BOOL modified) override;
  void OnDocNotify(int code, QObject* argument) override;
  void MergeMenus() override;
  void UnmergeMenus() override;
  int GetPrintKind() const override { return kPrintKindTokens; }
  QWidget* GetPrintControl() override { return editor_; }
  void OnSize(UINT type, int cx, int cy) override;

  CQXProgramTokenEditor* GetEditor() const { return editor_; }
  QLineEdit* GetNameEdit() const { return nameEdit_; }
  // Null when no font could be made.
  const CFont* GetPageFont() const { return pageFont_; }
  int GetDisplayWidth() const { return displayWidth_; }
  BOOL UsesCalculatorWidth() const { return useCalcWidth_; }
  // Null before OnInitDialog and when it could not be made.
  CQXTokenSelectWnd* GetTokenSelectWnd() const { return selectWnd_; }

 protected:
  BOOL OnInitDialog() override;
  void OnDestroy() override;
  // The name the box holds, as bytes (at most 8).
  std::string NameFromBox() const;
  void SetNameBox(const std::string& name);
  // Lays the editor out in the area above the command pane.
  void LayoutEditor();
  BOOL IsActivePage() const;

  void OnEditorChange();
  void OnUndo();
  void OnUpdateUndo(CCmdUI* ui);
  void OnCut();
  void OnCopy();
  void OnClear();
  void OnUpdateNeedsSelection(CCmdUI* ui);
  void OnPaste();
  void OnUpdatePaste(CCmdUI* ui);
  void OnSelectAll();
  void OnUpdateSelectAll(CCmdUI* ui);
  void OnCharacterTable();
  void OnUpdateCharacterTable(CCmdUI* ui);
  void OnCalculatorWidth();
  void OnUpdateCalculatorWidth(CCmdUI* ui);
  void OnFont();
  void OnUpdateFont(CCmdUI* ui);
  void OnInsertCommand();
  void OnUpdateInsertCommand(CCmdUI* ui);
  void OnConvertTextToCommand();
  void OnUpdateConvertTextToCommand(CCmdUI* ui);
  LRESULT OnInsertCmdNotify(WPARAM wParam, LPARAM lParam);

 private:
  void init();
  BOOL createEditor();
  void applyPageFont();
  bool editorFocused() const;
  bool nameFocused() const;

  CQXProgramTokenEditor* editor_ = nullptr;
  std::string loadedName_;
  CFont font_;
  const CFont* pageFont_ = nullptr;
  BOOL modified_ = FALSE;
  BOOL useCalcWidth_ = FALSE;
  int editorWidth_ = 0;
  int displayWidth_ = kDefaultDisplayWidth;
  BYTE lastCharacter_ = 32;
  CQXCharConvertTable charConvert_;
  QRect editorRect_;
  QPointer<QLineEdit> nameEdit_;
  // A window of the page's top-level window, so it is made and destroyed
  // with the page's window.
  QPointer<CQXTokenSelectWnd> selectWnd_;
};

class CQXProgramDataPage : public CQXProgramCtrlDataPage {
  Q_OBJECT

 public:
  static constexpr UINT kPageId = 621;
  Q_INVOKABLE CQXProgramDataPage();
  ~CQXProgramDataPage() override;
  DECLARE_MESSAGE_MAP()

  // Name, tokens and the BASE-N box; without an item an empty page.
  BOOL LoadFromItem(CQXDocEntry* entry) override;
  BOOL StoreToItem(CQXDocEntry* entry) override;
  // A name, and none that another item of the folder shows.
  BOOL Validate(TreeItemInfo* info) override;

  QCheckBox* GetBaseNCheck() const;

  // The page's program as a file: the binary form, or with the text filter
  // its token texts (CR LF line breaks); read back into the page, which
  // then counts as changed. The import takes name, tokens and BASE-N, not
  // a password. FALSE (after the message) leaves page and file as they were.
  BOOL WriteProgramFile(const char* path);
  BOOL WriteProgramText(const char* path);
  BOOL ReadProgramFile(const char* path);

 protected:
  BOOL OnInitDialog() override;
  void OnPasswordButton();
  void OnBaseN();
  void OnImport();
  void OnExport();
  void OnUpdateFileCommand(CCmdUI* ui);

 private:
  // Refuses the page's name: the message, the page and its name box to the
  // front. 0.
  BOOL refuseName(UINT message);

  int initialised_ = 0;
};

class CQXProgramDataView : public CQXDataPageView {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit CQXProgramDataView(QWidget* parent = nullptr);
  ~CQXProgramDataView() override;
  DECLARE_MESSAGE_MAP()

  BOOL CreatePages() override;
  BOOL IsLocked() const;

 protected:
  int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
  void OnDestroy() override;
  void OnUnlock();
  void OnUpdateUnlock(CCmdUI* ui);
  void OnShowPasswordPage();
  void OnUpdateShowPasswordPage(CCmdUI* ui);

 private:
  void addUnlockedPages();
  void unlockNow();

  BOOL passwordItemAdded_ = FALSE;
};

void RegisterProgramPageClasses();
