// CQXEditCmdDlg (dialog 552): one command of a command table: table byte,
// number byte, characters, list text and description. The characters and
// the numbers field show the same bytes, as text in the caller's font and
// as numbers ("%u " each, or "%xh " with "Edit Cmd List"/"Cmd Hex Values");
// editing either rewrites the other. Both bytes lie in 0..254: 255 ends a
// calculator program. With "Cmd Extended", Next and Previous close the
// dialog with OK and say which was pressed.
#pragma once

#include "classlib/OrvoHelpDialog.h"
#include "tokens/QXCommandTable.h"

#include <QFont>

class QComboBox;
class QLineEdit;
class QSpinBox;

class CQXEditCmdDlg : public COrvoHelpDialog {
  Q_OBJECT

 public:
  static constexpr UINT kTemplateId = 552;
  static constexpr UINT kNextButton = 1047, kPreviousButton = 1048;

  explicit CQXEditCmdDlg(QWidget* parent = nullptr);
  ~CQXEditCmdDlg() override;
  DECLARE_MESSAGE_MAP()

  BOOL OnInitDialog() override;

  // In: the command to edit (empty for a new one). Out after OK: the edited
  // command.
  QXCOMMANDINFO m_command;
  // The characters field's font; the application's when not set.
  QFont m_font;
  bool m_fontSet = false;
  // After OK: 0, kNextButton or kPreviousButton.
  UINT m_navigation = 0;

  // The characters as the numbers field writes them.
  static std::string FormatNumbers(const std::string& bytes, bool hex);
  // The bytes of a numbers field; false (and no bytes) for a number that
  // does not read or whose low byte is 0.
  static bool ParseNumbers(const std::string& text, std::string* bytes);

 protected:
  void DoDataExchange(CDataExchange* pDX) override;

 private:
  void onCharactersChanged();
  void onNumbersChanged();
  void OnCharTable();
  void OnNext();
  void OnPrevious();
  std::string characterBytes() const;
  void setCharacterBytes(const std::string& bytes);

  QComboBox* table_ = nullptr;
  QSpinBox* number_ = nullptr;
  QLineEdit* characters_ = nullptr;
  QLineEdit* numbers_ = nullptr;
  QLineEdit* listText_ = nullptr;
  QLineEdit* description_ = nullptr;
  bool rewriting_ = false;
};
