#include "app/QXSettingsDialog.h"

#include "classlib/OrvoColorStatic.h"
#include "classlib/ProfileSettings.h"
#include "classlib/SettingsTable.h"
#include "platform/WinApp.h"

#include <QListWidget>

namespace {

constexpr int kOptionList = 1000;
constexpr int kKindYesNo = 1;

struct OptionRow {
  const char* section;
  const char* key;
  int kind;
  int defaultValue;
  UINT textId;
};

constexpr OptionRow kOptions[] = {
    {tallix::settings::kSettings, "Query Rcv Overwrite", kKindYesNo, 1, 10400},
    {tallix::settings::kSettings, "Query Snd Overwrite", kKindYesNo, 1, 10401},
    {tallix::settings::kSettings, "Round to 10 Digits", kKindYesNo, 1, 10402},
};

}  // namespace

// ---------------------------------------------------------------- options

CQXOptionsPage::CQXOptionsPage() : COrvoPropertyPage(kTemplateId) {}
CQXOptionsPage::~CQXOptionsPage() = default;

BOOL CQXOptionsPage::OnInitDialog() {
  COrvoPropertyPage::OnInitDialog();
  list_ = GetDlgItemAs<QListWidget>(kOptionList);
  if (!list_) return TRUE;
  for (int row = 0; row < int(std::size(kOptions)); ++row) {
    const OptionRow& option = kOptions[row];
    auto* entry = new QListWidgetItem(CLanguageLibrary::LoadString(option.textId), list_);
    entry->setData(Qt::UserRole, row);
    entry->setFlags(entry->flags() | Qt::ItemIsUserCheckable);
    const bool on = option.kind == kKindYesNo && AppGetProfileInt(option.section, option.key, option.defaultValue) != 0;
    entry->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  }
  return TRUE;
}

void CQXOptionsPage::OnOK() {
  COrvoPropertyPage::OnOK();
  for (int i = 0; list_ && i < list_->count(); ++i) {
    const QListWidgetItem* entry = list_->item(i);
    const OptionRow& option = kOptions[entry->data(Qt::UserRole).toInt()];
    if (option.kind == kKindYesNo)
      AppWriteProfileInt(option.section, option.key, entry->checkState() == Qt::Checked ? 1 : 0);
  }
}

// ---------------------------------------------------------------- sheet

const CMessageMap& CQXSettingsDialog::messageMap() {
  static const CMessageMap map =
      MessageMapOf<CQXSettingsDialog>(COrvoPropertySheet::messageMap()).command(IDHELP, &CQXSettingsDialog::OnHelp);
  return map;
}

CQXSettingsDialog::CQXSettingsDialog(QWidget* parent, UINT firstPage)
    : COrvoPropertySheet(CLanguageLibrary::LoadString(kCaptionId), parent, firstPage) {
  RegisterOrvoColorStaticClass();
  m_psh.dwFlags |= PSH_NOAPPLYNOW | PSH_HASHELP;
  AddPage(&m_optionsPage);
  AddPage(&m_colorsPage);
  AddPage(&m_colorRecognitionPage);
}

CQXSettingsDialog::~CQXSettingsDialog() = default;

void CQXSettingsDialog::OnHelp() {
  CPropertyPage* page = GetActivePage();
  if (CWinApp* app = AfxGetApp(); app && page) app->WinHelp(0x20000 + page->m_psp.pszTemplate);
}

void CQXSettingsDialog::OnDestroy() {
  m_bColorsChanged = m_colorsPage.IsChanged();
  COrvoPropertySheet::OnDestroy();
}
