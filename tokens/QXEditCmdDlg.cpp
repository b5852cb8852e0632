#include "tokens/QXEditCmdDlg.h"

#include "charset/Cp1252.h"
#include "classlib/LogFont.h"
#include "classlib/ParseNumber.h"
#include "classlib/SettingsTable.h"
#include "platform/CalcShownText.h"
#include "platform/CalcTextEdit.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"
#include "tokens/QXCharTableDlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>

#include <charconv>
#include <cstdio>

using tallix::settings::kEditCmdList;

namespace {

constexpr int kTableCombo = 1031, kNumberSpin = 1032, kNumbersEdit = 1034, kCharactersEdit = 1035,
              kCharTableButton = 1037, kListTextEdit = 1036, kDescriptionEdit = 1002;
constexpr int kComboTextMax = 24;
constexpr int kNumbersTextMax = 8195;
constexpr int kByteMax = 254;  // 255 ends a calculator program
constexpr UINT kMsgNotAnInteger = 61712, kMsgIntegerRange = 61714;

// A decimal number, blanks around it allowed.
bool readDecimal(const std::string& text, int* out) {
  const size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return false;
  const size_t end = text.find_last_not_of(' ') + 1;
  const auto [ptr, ec] = std::from_chars(text.data() + begin, text.data() + end, *out);
  return ec == std::errc() && ptr == text.data() + end;
}

// Typed or shown characters back as calculator codes.
std::string codesOf(const QString& text, const QFont& font) {
  std::string codes;
  CalcCodesFromShownText(text, font, &codes);
  return codes;
}

}  // namespace

const CMessageMap& CQXEditCmdDlg::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXEditCmdDlg>(COrvoHelpDialog::messageMap())
                                     .command(kCharTableButton, &CQXEditCmdDlg::OnCharTable)
                                     .command(kNextButton, &CQXEditCmdDlg::OnNext)
                                     .command(kPreviousButton, &CQXEditCmdDlg::OnPrevious);
  return map;
}

CQXEditCmdDlg::CQXEditCmdDlg(QWidget* parent) : COrvoHelpDialog(kTemplateId, parent) {}

CQXEditCmdDlg::~CQXEditCmdDlg() = default;

std::string CQXEditCmdDlg::FormatNumbers(const std::string& bytes, bool hex) {
  std::string text;
  char number[16];
  for (char c : bytes) {
    const int n = std::snprintf(number, sizeof number, hex ? "%xh " : "%u ", unsigned(static_cast<BYTE>(c)));
    if (int(text.size()) + n > kNumbersTextMax + 1) break;
    text += number;
  }
  return text;
}

bool CQXEditCmdDlg::ParseNumbers(const std::string& text, std::string* bytes) {
  bytes->clear();
  int values[kCommandCharsMax];
  int count = 0;
  if (!ParseNumberList(text.c_str(), values, kCommandCharsMax, &count)) return false;
  for (int i = 0; i < count; ++i) {
    // A zero byte would end the characters there.
    if ((values[i] & 0xFF) == 0) {
      bytes->clear();
      return false;
    }
    *bytes += char(values[i] & 0xFF);
  }
  return true;
}

BOOL CQXEditCmdDlg::OnInitDialog() {
  COrvoHelpDialog::OnInitDialog();
  table_ = GetDlgItemAs<QComboBox>(kTableCombo);
  number_ = GetDlgItemAs<QSpinBox>(kNumberSpin);
  characters_ = GetDlgItemAs<QLineEdit>(kCharactersEdit);
  numbers_ = GetDlgItemAs<QLineEdit>(kNumbersEdit);
  listText_ = GetDlgItemAs<QLineEdit>(kListTextEdit);
  description_ = GetDlgItemAs<QLineEdit>(kDescriptionEdit);
  if (!table_ || !number_ || !characters_ || !numbers_ || !listText_ || !description_) return TRUE;

  if (m_fontSet) characters_->setFont(m_font);
  if (table_->lineEdit()) table_->lineEdit()->setMaxLength(kComboTextMax);
  const int choice = table_->findText(QString::number(m_command.table));
  if (choice >= 0)
    table_->setCurrentIndex(choice);
  else
    table_->setEditText(QString::number(m_command.table));
  number_->setRange(0, 255);
  number_->setValue(m_command.number);
  MakeCalcTextEdit(characters_, kCommandCharsMax);
  numbers_->setMaxLength(kNumbersTextMax);
  listText_->setMaxLength(kCommandListTextMax);
  description_->setMaxLength(kCommandDescriptionMax);
  setCharacterBytes(m_command.characters);
  listText_->setText(tallix::fromCp1252(m_command.listText));
  description_->setText(tallix::fromCp1252(m_command.description));
  connect(characters_, &QLineEdit::textChanged, this, [this] { onCharactersChanged(); });
  connect(numbers_, &QLineEdit::textChanged, this, [this] { onNumbersChanged(); });

  const bool extended = tallix::settings::readInt(kEditCmdList, "Cmd Extended") != 0;
  for (int id : {int(kNextButton), int(kPreviousButton)})
    if (QWidget* button = GetDlgItem(id)) button->setVisible(extended);
  return TRUE;
}

std::string CQXEditCmdDlg::characterBytes() const { return characters_ ? GetCalcEditCodes(characters_) : std::string(); }

void CQXEditCmdDlg::setCharacterBytes(const std::string& bytes) {
  rewriting_ = true;
  SetCalcEditCodes(characters_, bytes);
  rewriting_ = false;
  onCharactersChanged();
}

void CQXEditCmdDlg::onCharactersChanged() {
  if (rewriting_) return;
  rewriting_ = true;
  const bool hex = tallix::settings::readInt(kEditCmdList, "Cmd Hex Values") != 0;
  numbers_->setText(QString::fromLatin1(FormatNumbers(characterBytes(), hex)));
  rewriting_ = false;
}

void CQXEditCmdDlg::onNumbersChanged() {
  if (rewriting_) return;
  rewriting_ = true;
  std::string bytes;
  ParseNumbers(tallix::toCp1252(numbers_->text()), &bytes);
  SetCalcEditCodes(characters_, bytes);
  rewriting_ = false;
}

void CQXEditCmdDlg::OnCharTable() {
  if (!characters_) return;
  const int at = characters_->hasSelectedText() ? characters_->selectionStart() : characters_->cursorPosition();
  const std::string before = codesOf(characters_->text().left(at), characters_->font());
  const std::string all = characterBytes();
  CQXCharTableDlg table(this);
  table.m_chosenCode = before.size() < all.size() ? BYTE(all[before.size()]) : 0;
  table.m_logFont = tallix::logFontFromFont(characters_->font());
  if (table.DoModal() != IDOK) return;
  characters_->insert(CalcDisplayText(std::string(1, char(table.m_chosenCode)), characters_->font()));
  characters_->setFocus();
}

void CQXEditCmdDlg::DoDataExchange(CDataExchange* pDX) {
  COrvoHelpDialog::DoDataExchange(pDX);
  if (!pDX->m_bSaveAndValidate || !table_) return;
  const QString range = QString::number(kByteMax);
  pDX->PrepareCtrl(kNumberSpin);
  int number = 0;
  if (!readDecimal(tallix::toCp1252(number_->cleanText()), &number)) {
    AfxMessageBox(kMsgNotAnInteger, MB_OK | MB_ICONEXCLAMATION);
    pDX->Fail();
  }
  if (number < 0 || number > kByteMax) {
    AfxMessageBox(CLanguageLibrary::FormatMessage(kMsgIntegerRange, QStringLiteral("0"), range),
                  MB_OK | MB_ICONEXCLAMATION);
    pDX->Fail();
  }
  pDX->PrepareCtrl(kTableCombo);
  int table = 0;
  if (!readDecimal(tallix::toCp1252(table_->currentText()), &table)) {
    AfxMessageBox(kMsgNotAnInteger, MB_OK | MB_ICONEXCLAMATION);
    pDX->Fail();
  }
  if (table < 0 || table > kByteMax) {
    AfxMessageBox(CLanguageLibrary::FormatMessage(kMsgIntegerRange, QStringLiteral("0"), range),
                  MB_OK | MB_ICONEXCLAMATION);
    pDX->Fail();
  }
  std::string characters = characterBytes();
  characters.resize(std::min<std::size_t>(characters.size(), kCommandCharsMax));
  m_command.Set(table, number, characters.c_str(), tallix::toCp1252(listText_->text()).c_str(),
                tallix::toCp1252(description_->text()).c_str());
}

void CQXEditCmdDlg::OnNext() {
  if (!UpdateData(TRUE)) return;
  m_navigation = kNextButton;
  EndDialog(IDOK);
}

void CQXEditCmdDlg::OnPrevious() {
  if (!UpdateData(TRUE)) return;
  m_navigation = kPreviousButton;
  EndDialog(IDOK);
}
