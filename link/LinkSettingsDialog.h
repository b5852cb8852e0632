// The link settings dialog (template 514, "Paramètres"): port, baud rate,
// parity, cable and the DTR and RTS lines, read from and written to
// "Comm Settings". A calculator model whose "Comm" entry fixes baud rate and
// parity shows them but does not let them change. The cables come from
// "Interface.lst" in the program directory; a named cable dictates DTR and
// RTS, the last entry ("Autre câble") lets the user set them.
#pragma once

#include "platform/WinTypes.h"

#include <QObject>

#include <string>
#include <vector>

class QDialog;
class QWidget;

class CQXLinkSettingsDialog : public QObject {
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
    IDC_CABLE = 1118,
  };
  static constexpr unsigned kTemplateId = 514;
  static constexpr unsigned kOtherCableString = 11100;

  // Reads "DTR", "RTS" and "Port" of "Comm Settings".
  explicit CQXLinkSettingsDialog(const char* modelName, QWidget* parent = nullptr);
  ~CQXLinkSettingsDialog() override;

  // Loads the template and fills it; FALSE when the language library has no
  // such dialog.
  BOOL Create();
  // Runs the dialog (creating it first when needed): RESULT_OK when the user
  // confirmed and the settings were written, else RESULT_CANCEL; -1 when the
  // template is missing.
  int DoModal();
  QDialog* GetDialog() const { return dialog_; }
  BOOL ModelFixesSettings() const { return modelFixed_; }

 private slots:
  void OnCableChanged();
  void OnOK();

 private:
  void OnInitDialog();

  std::string model_;
  QWidget* parent_;
  QDialog* dialog_ = nullptr;
  int dtr_;
  int rts_;
  int port_;
  BOOL modelFixed_ = FALSE;
  std::vector<std::string> cables_;
};
