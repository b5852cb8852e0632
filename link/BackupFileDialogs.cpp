#include "link/BackupFileDialogs.h"

#include "charset/Cp1252.h"
#include "link/BackupFiles.h"
#include "platform/LanguageLibrary.h"

#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr DWORD kCommonFlags = OFN_EXPLORER | OFN_ENABLETEMPLATE | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;

constexpr UINT kSendTitle = 10100;         // "Envoyer fichier de sauvegarde"
constexpr UINT kSaveTitle = 10101;         // "Enregistrer fichier de sauvegarde"
constexpr UINT kDescriptionTitle = 10102;  // "Modifier description"
constexpr UINT kSendButton = 10261;        // "Envoyer"

}  // namespace

CQXBackupFileDialog::CQXBackupFileDialog(BOOL open, const QString& defaultExt, const QString& filter,
                                         QWidget* parent, DWORD flags, UINT templateId, UINT titleId)
    : CFileDialog(open, defaultExt, {}, flags, filter, parent), m_titleId(titleId) {
  SetTemplate(templateId);
}

QLineEdit* CQXBackupFileDialog::GetDescriptionEdit() const {
  return GetChild() ? GetDlgItemAs<QLineEdit>(GetChild(), IDC_DESCRIPTION) : nullptr;
}

BOOL CQXBackupFileDialog::OnInitDialog() {
  SetTitle(CLanguageLibrary::LoadString(m_titleId));
  if (QLineEdit* edit = GetDescriptionEdit()) edit->setText(tallix::fromCp1252(m_description));
  if (auto* read = GetChild() ? GetDlgItemAs<QPushButton>(GetChild(), IDC_READ) : nullptr) {
    // Enter in the file name still chooses the file.
    read->setAutoDefault(false);
    connect(read, &QPushButton::clicked, this, &CQXBackupFileDialog::ShowSelectedDescription);
  }
  return TRUE;
}

void CQXBackupFileDialog::ShowSelectedDescription() {
  QLineEdit* edit = GetDescriptionEdit();
  if (!edit) return;
  const QString path = GetSelectedPath();
  std::string description;
  if (path.isEmpty() || !ReadBackupDescription(QFile::encodeName(path).constData(), &description))
    edit->clear();
  else
    edit->setText(tallix::fromCp1252(description));
}

BOOL CQXBackupFileDialog::OnFileNameOK() {
  if (QLineEdit* edit = GetDescriptionEdit()) m_description = tallix::toCp1252(edit->text());
  return FALSE;
}

CQXBackupSaveDialog::CQXBackupSaveDialog(const QString& defaultExt, const QString& filter, QWidget* parent)
    : CQXBackupFileDialog(FALSE, defaultExt, filter, parent, kCommonFlags | OFN_OVERWRITEPROMPT, kTemplateId,
                          kSaveTitle) {}

CQXBackupSendDialog::CQXBackupSendDialog(const QString& defaultExt, const QString& filter, QWidget* parent)
    : CQXBackupFileDialog(TRUE, defaultExt, filter, parent, kCommonFlags, kTemplateId, kSendTitle) {}

BOOL CQXBackupSendDialog::OnInitDialog() {
  CQXBackupFileDialog::OnInitDialog();
  SetOkButtonText(CLanguageLibrary::LoadString(kSendButton));
  // The description is shown, not edited, here.
  if (QLineEdit* edit = GetDescriptionEdit()) edit->setReadOnly(true);
  connect(this, &CFileDialog::selectionChanged, this, &CQXBackupSendDialog::ShowSelectedDescription);
  connect(this, &CFileDialog::folderChanged, this, &CQXBackupSendDialog::ShowSelectedDescription);
  return TRUE;
}

CQXBackupDescriptionDialog::CQXBackupDescriptionDialog(const QString& defaultExt, const QString& filter,
                                                       QWidget* parent)
    : CQXBackupFileDialog(FALSE, defaultExt, filter, parent, kCommonFlags, kTemplateId, kDescriptionTitle) {}
