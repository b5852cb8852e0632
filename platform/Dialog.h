// CDialog: a dialog window on a template of the language library. The
// template's widgets are built into the dialog itself; buttons that carry a
// control id send it as a command (1 OK, 2 Cancel, 20 Help); Escape and the
// close box send Cancel, Enter the default (or focused) button, else OK.
//
// DoModal runs the dialog application-modal in a loop of its own until
// EndDialog and returns its result (-1 when the template is missing).
// Create shows it without a loop; shown while a command runs, it is
// application-modal too.
//
// A dialog window is fixed-size once OnInitDialog has run, so that window
// managers offer neither maximize nor a resize border, unless its form asks
// to be resized: the form's top level carries the dynamic property
// "resizable" (true), for dialogs that lay their controls out again when
// their size changes.
#pragma once

#include "platform/Wnd.h"

class CDialog;
class QEventLoop;

// The exchange between a dialog's controls and its members, in one
// direction: m_bSaveAndValidate TRUE reads and checks the controls.
class CDataExchange {
 public:
  struct Failure {};

  CDataExchange(CDialog* dialog, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

  // The control `id`, remembered as the one a Fail refers to.
  QWidget* PrepareCtrl(int id);
  // Gives the focus back to the last prepared control and ends the exchange:
  // UpdateData answers FALSE.
  [[noreturn]] void Fail();

  BOOL m_bSaveAndValidate;
  CDialog* m_pDlgWnd;

 private:
  QWidget* lastControl_ = nullptr;
};

class CDialog : public CWnd {
  Q_OBJECT

 public:
  explicit CDialog(UINT nIDTemplate = 0, QWidget* parent = nullptr);
  ~CDialog() override;
  DECLARE_MESSAGE_MAP()

  UINT GetTemplateId() const { return templateId_; }
  virtual int DoModal();
  // Modeless: builds the template, runs OnInitDialog and shows the dialog.
  BOOL Create(UINT nIDTemplate, QWidget* parent = nullptr);
  void EndDialog(int result);
  // What EndDialog was given; -1 before.
  int GetModalResult() const { return result_; }

  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  BOOL UpdateData(BOOL saveAndValidate = TRUE);

 protected:
  virtual void DoDataExchange(CDataExchange* pDX);
  void OnClose() override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  BOOL buildTemplate();
  void fixSizeUnlessResizable();
  void sendButtonCommand(int id);

  UINT templateId_;
  bool built_ = false;
  int result_ = -1;
  QEventLoop* loop_ = nullptr;
};
