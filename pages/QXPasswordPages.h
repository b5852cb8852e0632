// The password pages of a program. A program with a password opens behind
// the enter-password page (622) until the password is typed: the page then
// sends "unlock" (21017) to the main frame, which routes it to the program
// view shown when it arrives; that view unlocks only when its own page
// checked the password. The modify-password page (623) sets or clears the password, which
// reaches the item when the view commits its pages. Passwords are the
// program's own bytes, at most 8, compared exactly (letter case counts).
#pragma once

#include "pages/QXDefaultPages.h"

#include <string>

class QLineEdit;

// Commands between the password pages and the program view.
enum : UINT {
  kCmdUnlockProgram = 21017,
  kCmdShowPasswordPage = 21018,
};

class CQXEnterPasswortPage : public CQXStandardMenuPage {
  Q_OBJECT

 public:
  static constexpr UINT kPageId = 622;
  static constexpr int kPasswordEdit = 1003;
  static constexpr int kUnlockButton = 1002;
  Q_INVOKABLE CQXEnterPasswortPage();
  ~CQXEnterPasswortPage() override;
  DECLARE_MESSAGE_MAP()

  // The program's password.
  BOOL LoadFromItem(CQXDocEntry* entry) override;
  BOOL PreTranslateMessage(MSG* msg) override;
  // The right password was typed here: only this page's view unlocks.
  BOOL IsPasswordChecked() const { return checked_; }

 protected:
  BOOL OnInitDialog() override;
  void OnUnlock();

 private:
  int initialised_ = 0;
  BOOL checked_ = FALSE;
  std::string password_;
  QLineEdit* passwordEdit_ = nullptr;
};

class CQXModifyPasswordPage : public CQXStandardMenuPage {
  Q_OBJECT

 public:
  static constexpr UINT kPageId = 623;
  static constexpr int kNewEdit = 1003;
  static constexpr int kRepeatEdit = 1004;
  static constexpr int kSetButton = 1002;
  static constexpr int kClearButton = 1092;
  Q_INVOKABLE CQXModifyPasswordPage();
  ~CQXModifyPasswordPage() override;
  DECLARE_MESSAGE_MAP()

  BOOL LoadFromItem(CQXDocEntry* entry) override;
  // Writes the password into the program; a password the item refuses
  // leaves the item's own, and the store still succeeds.
  BOOL StoreToItem(CQXDocEntry* entry) override;
  BOOL IsModified() override { return modified_; }
  void SetModified(BOOL modified) override { modified_ = modified ? 1 : 0; }

  const std::string& GetPassword() const { return password_; }

 protected:
  BOOL OnInitDialog() override;
  void OnSet();
  void OnClear();

 private:
  std::string password_;
  int modified_ = 0;
  QLineEdit* repeatEdit_ = nullptr;
  QLineEdit* newEdit_ = nullptr;
};

// The password edits of both pages: characters with a byte only. A
// password of more than 8 bytes is refused by the modify page's Set (the
// program keeps its own) and matches none on the enter page.
void PreparePasswordEdit(QLineEdit* edit);
