// The progress of a transfer: a small modeless dialog that shows the item
// under way, its kind's icon and the bytes moved so far, with "Annuler",
// which cancels the link. A link command keeps one CQXTransferProgress on
// its stack for the time of a transfer; the dialog lives between Create and
// Destroy, while the main window is disabled.
#pragma once

#include "platform/Dialog.h"
#include "platform/WinTypes.h"

#include <QPointer>

class CQXCalcLink;

class CQXTransferProgressDialog : public CDialog {
 public:
  enum : int { IDC_ITEM_TEXT = 1000, IDC_BYTE_COUNT = 1001, IDC_KIND_ICON = 1020 };
  static constexpr UINT_PTR kTimerId = 948;
  static constexpr UINT kTimerMs = 250;

  CQXTransferProgressDialog(UINT templateId, CQXCalcLink* link);

  using CDialog::Create;
  // Creates the modeless window from the template.
  virtual BOOL Create(QWidget* parent);

  // Centres the dialog, shows 0 bytes and starts the refresh timer.
  BOOL OnInitDialog() override;
  void OnTimer(UINT_PTR id) override;
  // Cancels the link (the waiting read or write ends as cancelled), then
  // ends the dialog.
  void OnCancel() override;

  // The byte count, the kind's icon (repainted at once) and the item's text
  // (Windows-1252).
  void SetItem(DWORD byteCount, const char* text, int kind);
  void SetByteCount(DWORD count);
  // The count with a '.' between every three digits from the right,
  // whatever the locale: 12345 is "12.345".
  static QString FormatByteCount(DWORD count);

 protected:
  // Enables the main window again and stops the timer.
  void OnDestroy() override;

 private:
  CQXCalcLink* link_;
};

// "Recevoir": "Caractères reçus:".
class CQXReceiveProgressDialog : public CQXTransferProgressDialog {
 public:
  static constexpr UINT kTemplateId = 510;
  explicit CQXReceiveProgressDialog(CQXCalcLink* link) : CQXTransferProgressDialog(kTemplateId, link) {}
};

// "Envoyer": "Caractères envoyés:".
class CQXSendProgressDialog : public CQXTransferProgressDialog {
 public:
  static constexpr UINT kTemplateId = 511;
  explicit CQXSendProgressDialog(CQXCalcLink* link) : CQXTransferProgressDialog(kTemplateId, link) {}
};

class CQXTransferProgress {
 public:
  // `direction` 0 sends, 1 receives.
  CQXTransferProgress(int direction, CQXCalcLink* link);
  ~CQXTransferProgress();
  CQXTransferProgress(const CQXTransferProgress&) = delete;
  CQXTransferProgress& operator=(const CQXTransferProgress&) = delete;

  // The receive or send dialog, created on `parent`; FALSE when the window
  // cannot be created.
  BOOL Create(QWidget* parent);
  // Shows the dialog and disables the main window; the dialog stays
  // enabled, so that "Annuler" can still be clicked.
  void Show();
  // Enables the main window and destroys the dialog.
  void Destroy();
  void Update(DWORD byteCount, const char* text, int kind);

  CQXTransferProgressDialog* GetDialog() const { return dialog_; }

 private:
  int direction_;
  QPointer<CQXTransferProgressDialog> dialog_;
  CQXCalcLink* link_;
};
