// CQXEditMacroDlg (dialog 646): one macro's name, description and tokens.
// The tokens are edited in a program token editor beside the command pane,
// as in a program page: commands and macros go in with Coller (20070), a
// double click, Enter in the pane or a drag; typed text becomes a command
// with 40093 and the token-select popup; typed characters are tokens by the
// model's character conversion table. The pane's macro view shows the rows
// of the macro list that opened the dialog.
//
// OK refuses an empty name (10569) and an empty macro (10576). The result
// is the editor's bytes as they stand: no end byte is added, since 0xFF
// would end the program the macro goes into.
#pragma once

#include "classlib/OrvoHelpDialog.h"
#include "platform/LanguageLibrary.h"
#include "tokens/CmdChooser.h"
#include "tokens/QXTokenEditor.h"

#include <QPointer>

#include <array>
#include <memory>
#include <string>
#include <vector>

class CCmdUI;
class CFont;
class CQXDocServices;
class CQXMacroListCtrl;
class CQXProgramTokenEditor;
class CQXTokenSelectWnd;
class CQXTokenTextMap;
class CToolBar;
class QLineEdit;

class CQXEditMacroDlg : public COrvoHelpDialog {
  Q_OBJECT

 public:
  static constexpr UINT kTemplateId = 646;
  static constexpr UINT kEditorId = 89;

  // `font` and `map` belong to the caller and outlive the dialog.
  CQXEditMacroDlg(QWidget* parent, const CFont* font, CQXDocServices* document, CQXMacroListCtrl* macros,
                  const CQXTokenTextMap* map);
  ~CQXEditMacroDlg() override;
  DECLARE_MESSAGE_MAP()

  BOOL OnInitDialog() override;

  // In: what to edit. Out after OK: the edited name and description.
  std::string m_name;
  std::string m_description;
  std::vector<BYTE> m_bytes;
  // After OK: the macro's bytes.
  const std::vector<BYTE>& GetResult() const { return result_; }

  CQXProgramTokenEditor* GetEditor() const { return editor_; }
  CQXCmdChooser* GetChooser() const { return chooser_.get(); }
  CToolBar* GetToolBar() const { return toolBar_; }

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL PreTranslateMessage(MSG* msg) override;
  void OnDestroy() override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void OnInsert();
  void OnView(UINT id);
  void OnConvert();
  void OnUpdateConvert(CCmdUI* ui);
  LRESULT OnInsertNotify(WPARAM wParam, LPARAM lParam);
  LRESULT OnCommandDragged(WPARAM wParam, LPARAM lParam);
  void OnViewDblClk(NMHDR* header, LRESULT* result);
  void OnColumnClick(NMHDR* header, LRESULT* result);
  void OnEdit(UINT id);
  void OnUpdateEdit(CCmdUI* ui);
  void layoutControls();
  void checkViewButtons();
  void OnUpdateView(CCmdUI* ui);
  QLineEdit* focusedEdit() const;
  bool editorFocused() const;

  const CFont* font_;
  CQXDocServices* document_;
  CQXMacroListCtrl* macros_;
  const CQXTokenTextMap* map_;
  CToolBar* toolBar_ = nullptr;
  CQXProgramTokenEditor* editor_ = nullptr;
  std::unique_ptr<CQXCmdChooser> chooser_;
  CQXCharConvertTable keyboard_;
  std::vector<CAcceleratorEntry> accelerators_;
  QLineEdit* nameEdit_ = nullptr;
  QLineEdit* descriptionEdit_ = nullptr;
  QPointer<CQXTokenSelectWnd> popup_;
  std::vector<BYTE> result_;
};
