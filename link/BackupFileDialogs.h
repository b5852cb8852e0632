// The three file dialogs of backup files, each a CFileDialog with a child
// template of the language library that holds the description (edit 1002):
// - CQXBackupSaveDialog: save, child 516, title 10101, overwrite prompt;
//   "Lire" (1003) reads the selected file's description into the edit.
// - CQXBackupSendDialog: open, child 515, title 10100, OK button 10261
//   "Envoyer"; shows the selected file's description whenever the selection
//   or the folder changes.
// - CQXBackupDescriptionDialog: save-style, child 516, title 10102; "Lire" as
//   in the save dialog; the edited text is the new description.
// Every one has the options hide read-only and path must exist.
#pragma once

#include "platform/FileDialog.h"

#include <string>

class QLineEdit;

class CQXBackupFileDialog : public CFileDialog {
  Q_OBJECT

 public:
  enum ControlId { IDC_DESCRIPTION = 1002, IDC_READ = 1003 };

  // The description in Windows-1252, as the edit held it when the file name
  // was chosen.
  const std::string& GetDescription() const { return m_description; }
  // The text the edit starts with.
  void SetDescription(const std::string& description) { m_description = description; }
  QLineEdit* GetDescriptionEdit() const;

 protected:
  CQXBackupFileDialog(BOOL open, const QString& defaultExt, const QString& filter, QWidget* parent, DWORD flags,
                      UINT templateId, UINT titleId);
  BOOL OnInitDialog() override;
  BOOL OnFileNameOK() override;
  // Puts the description of the selected file into the edit, or empties it
  // when nothing is selected or the file has none.
  void ShowSelectedDescription();

 private:
  UINT m_titleId;
  std::string m_description;
};

class CQXBackupSaveDialog : public CQXBackupFileDialog {
  Q_OBJECT

 public:
  static constexpr UINT kTemplateId = 516;
  CQXBackupSaveDialog(const QString& defaultExt, const QString& filter, QWidget* parent = nullptr);
};

class CQXBackupSendDialog : public CQXBackupFileDialog {
  Q_OBJECT

 public:
  static constexpr UINT kTemplateId = 515;
  CQXBackupSendDialog(const QString& defaultExt, const QString& filter, QWidget* parent = nullptr);

 protected:
  BOOL OnInitDialog() override;
};

class CQXBackupDescriptionDialog : public CQXBackupFileDialog {
  Q_OBJECT

 public:
  static constexpr UINT kTemplateId = 516;
  CQXBackupDescriptionDialog(const QString& defaultExt, const QString& filter, QWidget* parent = nullptr);
};
