#include "app/QXCalculatorDialog.h"

#include "charset/Cp1252.h"
#include "services/ProgramServices.h"
#include "classlib/ProfileSettings.h"
#include "classlib/SettingsTable.h"
#include "datamodel/ModelLookups.h"
#include "platform/MessageBox.h"

#include <QListWidget>

using tallix::settings::kSettings;

namespace {

constexpr int kModelList = 1000;
constexpr UINT kSelectAnEntry = 10152;  // "Sélectionnez s.v.p. une entrée dans la liste."
constexpr const char* kDefaultCalculator = "Default Calculator";

}  // namespace

CQXCalculatorDialog::CQXCalculatorDialog(QWidget* parent) : COrvoHelpDialog(kTemplateId, parent) {}

CQXCalculatorDialog::~CQXCalculatorDialog() = default;

BOOL CQXCalculatorDialog::OnInitDialog() {
  COrvoHelpDialog::OnInitDialog();
  m_list = GetDlgItemAs<QListWidget>(kModelList);
  if (!m_list) return TRUE;
  std::string chosen;
  GetDefaultCalculator(&chosen);
  CalculatorModelList models;
  models.Load(GetProgramFilePath("QXGraph.lst").c_str());
  for (int i = 0; i < models.GetCount(); ++i) {
    std::string model;
    models.GetAt(i, &model);
    m_list->addItem(tallix::fromCp1252(model));
    if (!chosen.empty() && model == chosen) m_list->setCurrentRow(i);
  }
  // The row the list shows as current is always the chosen one, so OK takes
  // what the user sees: without a stored model (or with one the list no
  // longer has) the first model, which new documents fall back to, and a
  // click that would unselect the current row leaves it chosen.
  if (m_list->selectedItems().isEmpty() && m_list->count() > 0) m_list->setCurrentRow(0);
  connect(m_list, &QListWidget::itemSelectionChanged, this, [this] {
    if (m_list->selectedItems().isEmpty() && m_list->currentItem()) m_list->currentItem()->setSelected(true);
  });
  connect(m_list, &QListWidget::itemDoubleClicked, this, [this] {
    if (!m_list->selectedItems().isEmpty()) OnOK();
  });
  return TRUE;
}

void CQXCalculatorDialog::DoDataExchange(CDataExchange* pDX) {
  COrvoHelpDialog::DoDataExchange(pDX);
  if (!pDX->m_bSaveAndValidate || !m_list) return;
  pDX->PrepareCtrl(kModelList);
  const QList<QListWidgetItem*> selected = m_list->selectedItems();
  if (selected.isEmpty()) {
    AfxMessageBox(kSelectAnEntry, MB_OK | MB_ICONINFORMATION);
    pDX->Fail();
  }
  AppWriteProfileString(kSettings, kDefaultCalculator, tallix::toCp1252(selected.first()->text()).c_str());
}
