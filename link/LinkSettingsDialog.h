// The link settings dialog (template 514, "Paramètres"): port, baud rate,
// parity, cable and the DTR and RTS lines, read from and written to
// "Comm Settings". A calculator model whose "Comm" entry fixes baud rate and
// parity shows them but does not let them change. The cables come from
// "Interface.lst" in the program directory; a named cable dictates DTR and
// RTS, the last entry ("Autre câble") lets the user set them. Beside the
// port number a label shows the device that number opens ("aucun
// périphérique" when none).
#pragma once

#include "platform/Dialog.h"

#include <string>
#include <vector>

class CQXLinkSettingsDialog : public CDialog {
  Q_OBJECT

 public:
  enum { RESULT_OK = 1, RESULT_CANCEL = 2 };
  enum ControlId {
    IDC_BAUD = 1002,
    IDC_PARITY = 1003,
    IDC_DTR = 1004,
    IDC_RTS = 1005,
    IDC_PORT_SPIN = 1033,
    IDC_PORT = 1039,
    IDC_PORT_DEVICE = 1040,
    IDC_CABLE = 1118,
  };
  static constexpr unsigned kTemplateId = 514;
  static constexpr unsigned kOtherCableString = 11100;
  static constexpr unsigned kNoDeviceString = 11101;

  // Reads "DTR", "RTS" and "Port" of "Comm Settings".
  explicit CQXLinkSettingsDialog(const char* modelName, QWidget* parent = nullptr);
  ~CQXLinkSettingsDialog() override;

  // Shows the dialog without waiting (FALSE when the language library has
  // no such template). DoModal runs it: RESULT_OK when the user confirmed
  // and the settings were written, else RESULT_CANCEL; -1 when the template
  // is missing.
  BOOL Create() { return CDialog::Create(kTemplateId); }
  BOOL ModelFixesSettings() const { return modelFixed_; }

  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  void OnCableChanged();
  void ShowPortDevice();

  std::string model_;
  int dtr_;
  int rts_;
  int port_;
  BOOL modelFixed_ = FALSE;
  std::vector<std::string> cables_;
};
