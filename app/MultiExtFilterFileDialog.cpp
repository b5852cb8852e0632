#include "app/MultiExtFilterFileDialog.h"

#include <QFileInfo>

CMultiExtFilterFileDialog::CMultiExtFilterFileDialog(BOOL openFileDialog, const QString& defaultExt,
                                                     const QString& fileName, DWORD flags, const QString& filter,
                                                     QWidget* parent)
    : CFileDialog(openFileDialog, defaultExt, fileName, flags, filter, parent) {}

CMultiExtFilterFileDialog::~CMultiExtFilterFileDialog() = default;

bool CMultiExtFilterFileDialog::triesExtensions() const {
  return IsOpenDialog() && !(GetFlags() & OFN_ALLOWMULTISELECT) && GetDefaultExt().isEmpty();
}

int CMultiExtFilterFileDialog::DoModal() {
  if (!triesExtensions()) return CFileDialog::DoModal();
  // The dialog's own existence check would refuse "name" before
  // "name.ext" is tried.
  m_bFileMustExist = (GetFlags() & OFN_FILEMUSTEXIST) ? TRUE : FALSE;
  SetFlags(GetFlags() & ~DWORD(OFN_FILEMUSTEXIST));
  const int result = CFileDialog::DoModal();
  if (m_bFileMustExist) SetFlags(GetFlags() | OFN_FILEMUSTEXIST);
  return result;
}

BOOL CMultiExtFilterFileDialog::OnFileNameOK() {
  if (!triesExtensions()) return CFileDialog::OnFileNameOK();
  const QString path = GetPathName();
  const QFileInfo info(path);
  if (info.exists()) return FALSE;
  if (info.fileName().contains(QLatin1Char('.'))) return TRUE;
  for (const QString& pattern : GetFilterPatterns()) {
    if (pattern.size() < 2 || pattern.indexOf(QLatin1Char('*'), 1) >= 0) continue;
    const QString candidate = path + pattern.mid(1);
    if (QFileInfo::exists(candidate)) {
      SetChosenPath(candidate);
      return FALSE;
    }
  }
  if (!m_bFileMustExist) return FALSE;
  ShowFileNotFound(path);
  return TRUE;
}
