#include "link/LinkSettingsDialog.h"

#include "charset/Cp1252.h"
#include "services/ProgramServices.h"
#include "classlib/ProfileSettings.h"
#include "link/SerialLink.h"
#include "platform/LanguageLibrary.h"
#include "platform/PrivateProfile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QSpinBox>

#include <cstring>

namespace {

constexpr DWORD kCableListSize = 8196;

const char* parityText(int value) { return value == 2 ? "EVEN" : value == 1 ? "ODD" : "NONE"; }

int parityValue(const QString& text) {
  if (text == QLatin1String("EVEN")) return 2;
  if (text == QLatin1String("ODD")) return 1;
  return 0;
}

// Selects the entry that reads `text` exactly; an entry that is not in the
// list (a rate set by hand or by a model) is added, so that it shows and
// survives OK.
void selectText(QComboBox* combo, const QString& text) {
  int index = combo->findText(text, Qt::MatchExactly);
  if (index < 0 && !text.isEmpty()) {
    combo->addItem(text);
    index = combo->count() - 1;
  }
  combo->setCurrentIndex(index);
}

std::string interfaceListPath() { return GetProgramFilePath("Interface.lst"); }

}  // namespace

CQXLinkSettingsDialog::CQXLinkSettingsDialog(const char* modelName, QWidget* parent)
    : CDialog(kTemplateId, parent), model_(modelName ? modelName : "") {
  dtr_ = AppGetProfileInt(kCommSettings, "DTR", 0);
  rts_ = AppGetProfileInt(kCommSettings, "RTS", 1);
  port_ = AppGetProfileInt(kCommSettings, "Port", 1);
}

CQXLinkSettingsDialog::~CQXLinkSettingsDialog() = default;

BOOL CQXLinkSettingsDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  auto* port = GetDlgItemAs<QSpinBox>(IDC_PORT);
  auto* baud = GetDlgItemAs<QComboBox>(IDC_BAUD);
  auto* parity = GetDlgItemAs<QComboBox>(IDC_PARITY);
  auto* cable = GetDlgItemAs<QComboBox>(IDC_CABLE);
  if (port) {
    port->setRange(1, 255);
    port->setValue(port_);
    connect(port, &QSpinBox::valueChanged, this, &CQXLinkSettingsDialog::ShowPortDevice);
  }
  ShowPortDevice();

  int fixed = 0, modelParity = 0, modelBaud = 9600, screenCopyBaud = 9600;
  int parityNow = 0;
  QString baudNow;
  if (ReadModelCommEntry(model_.c_str(), &fixed, &modelParity, &modelBaud, &screenCopyBaud) && fixed != 0) {
    modelFixed_ = TRUE;
    baudNow = QString::number(modelBaud);
    parityNow = modelParity;
    if (baud) baud->setEnabled(false);
    if (parity) parity->setEnabled(false);
  } else {
    parityNow = AppGetProfileInt(kCommSettings, "Parity", 0);
    std::string text;
    baudNow = tallix::fromCp1252(*AppGetProfileString(&text, kCommSettings, "Baud", "9600"));
  }
  if (parity) selectText(parity, QLatin1String(parityText(parityNow)));
  if (baud) selectText(baud, baudNow);

  cables_.clear();
  std::vector<char> list(kCableListSize, '\0');
  GetPrivateProfileSection("Interface", list.data(), kCableListSize, interfaceListPath().c_str());
  for (const char* name = list.data(); *name; name += std::strlen(name) + 1) cables_.emplace_back(name);
  std::string chosen;
  AppGetProfileString(&chosen, kCommSettings, "Cable", "TALLIX");
  if (cable) {
    cable->clear();
    int selected = -1;
    for (size_t i = 0; i < cables_.size(); ++i) {
      cable->addItem(tallix::fromCp1252(cables_[i]));
      if (cables_[i] == chosen) selected = int(i);
    }
    cable->addItem(CLanguageLibrary::LoadString(kOtherCableString));
    cable->setCurrentIndex(selected >= 0 ? selected : cable->count() - 1);
    connect(cable, &QComboBox::currentIndexChanged, this, &CQXLinkSettingsDialog::OnCableChanged);
  }
  OnCableChanged();
  return TRUE;
}

void CQXLinkSettingsDialog::OnCableChanged() {
  auto* cable = GetDlgItemAs<QComboBox>(IDC_CABLE);
  auto* dtr = GetDlgItemAs<QCheckBox>(IDC_DTR);
  auto* rts = GetDlgItemAs<QCheckBox>(IDC_RTS);
  if (!cable || !dtr || !rts) return;
  const int index = cable->currentIndex();
  if (index < 0 || index >= int(cables_.size())) {
    // Another cable: the user's own lines.
    dtr->setChecked(dtr_ != 0);
    rts->setChecked(rts_ != 0);
    dtr->setEnabled(true);
    rts->setEnabled(true);
    return;
  }
  const std::string path = interfaceListPath();
  const char* name = cables_[size_t(index)].c_str();
  dtr->setChecked(GetPrivateProfileInt(name, "DTR", 0, path.c_str()) != 0);
  rts->setChecked(GetPrivateProfileInt(name, "RTS", 0, path.c_str()) != 0);
  dtr->setEnabled(false);
  rts->setEnabled(false);
}

void CQXLinkSettingsDialog::ShowPortDevice() {
  auto* port = GetDlgItemAs<QSpinBox>(IDC_PORT);
  auto* label = GetDlgItemAs<QLabel>(IDC_PORT_DEVICE);
  if (!port || !label) return;
  const std::string device = GetPortDevicePath(UINT(port->value()));
  label->setText(device.empty() ? CLanguageLibrary::LoadString(kNoDeviceString)
                                : QFile::decodeName(QByteArray::fromStdString(device)));
}

void CQXLinkSettingsDialog::OnOK() {
  auto* port = GetDlgItemAs<QSpinBox>(IDC_PORT);
  auto* baud = GetDlgItemAs<QComboBox>(IDC_BAUD);
  auto* parity = GetDlgItemAs<QComboBox>(IDC_PARITY);
  auto* cable = GetDlgItemAs<QComboBox>(IDC_CABLE);
  auto* dtr = GetDlgItemAs<QCheckBox>(IDC_DTR);
  auto* rts = GetDlgItemAs<QCheckBox>(IDC_RTS);
  if (dtr) AppWriteProfileInt(kCommSettings, "DTR", dtr->isChecked() ? 1 : 0);
  if (rts) AppWriteProfileInt(kCommSettings, "RTS", rts->isChecked() ? 1 : 0);
  if (port) AppWriteProfileInt(kCommSettings, "Port", port->value());
  if (!modelFixed_) {
    if (baud && !baud->currentText().isEmpty())
      AppWriteProfileString(kCommSettings, "Baud", tallix::toCp1252(baud->currentText()).c_str());
    if (parity && parity->currentIndex() >= 0)
      AppWriteProfileInt(kCommSettings, "Parity", parityValue(parity->currentText()));
  }
  if (cable && cable->currentIndex() >= 0)
    AppWriteProfileString(kCommSettings, "Cable", tallix::toCp1252(cable->currentText()).c_str());
  CDialog::OnOK();
}
