#include "pages/QXSensorList.h"

#include "charset/Cp1252.h"
#include "classlib/ListHelpers.h"
#include "classlib/SettingsTable.h"
#include "platform/AtomicFile.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"
#include "platform/PrivateProfile.h"
#include "platform/ProgramPaths.h"

#include <QFile>
#include <QLineEdit>
#include <QSpinBox>
#include <QTreeWidget>

#include <algorithm>
#include <vector>

namespace {

constexpr char kFileName[] = "Sensor.lst";
constexpr char kSection[] = "Sensor List";
constexpr DWORD kSectionBuffer = 32766;
constexpr int kMaxNumber = 32767;
constexpr int kMaxName = 128;
constexpr UINT kNoText = 10578, kNumberUsed = 10579, kWriteFailed = 61734;

constexpr UINT kCaptions[] = {10211, 10210};
constexpr int kWidths[] = {24, 6};
const ListColumnSetup kColumns{2, kCaptions, kWidths, tallix::settings::kSensorDialog, "List Width"};

std::string encoded(const QString& path) { return QFile::encodeName(path).toStdString(); }

bool sameAsciiName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

// A value that reads as a number: a sign and at least one digit.
bool isNumber(const std::string& value) {
  const size_t digit = !value.empty() && (value[0] == '+' || value[0] == '-') ? 1 : 0;
  return digit < value.size() && value[digit] >= '0' && value[digit] <= '9';
}

}  // namespace

std::vector<QXSensor> ReadSensorList() {
  const std::string path = encoded(tallix::findDataFile(QString::fromLatin1(kFileName)));
  std::vector<char> buffer(kSectionBuffer, 0);
  const DWORD length = GetPrivateProfileSection(kSection, buffer.data(), kSectionBuffer, path.c_str());
  std::vector<QXSensor> sensors;
  const tallix::IniSnapshot list(path);  // read once for the numbers
  for (DWORD at = 0; at < length && buffer[at];) {
    const std::string line(&buffer[at]);
    at += DWORD(line.size()) + 1;
    const size_t equals = line.find('=');
    const std::string name = line.substr(0, equals);
    if (!isNumber(equals == std::string::npos ? std::string() : line.substr(equals + 1))) continue;
    const int number = int(list.readInt(kSection, name, -1));
    if (number != -1) sensors.push_back({name, number});
  }
  return sensors;
}

BOOL WriteSensorList(const std::vector<QXSensor>& sensors) {
  const QString target = tallix::writableDataFilePath(QString::fromLatin1(kFileName));
  // The first change of the shipped list keeps its other lines.
  const QString shipped = tallix::programFilePath(QString::fromLatin1(kFileName));
  if (!QFile::exists(target) && QFile::exists(shipped)) {
    QByteArray bytes;
    if (!tallix::readWholeFile(shipped, &bytes, kMaxProfileFileSize) || !tallix::writeFileAtomically(target, bytes))
      return FALSE;
  }
  std::string lines;
  for (const QXSensor& s : sensors) lines += s.name + "=" + std::to_string(s.number) + '\0';
  lines += '\0';
  return WritePrivateProfileSection(kSection, lines.c_str(), encoded(target).c_str());
}

BOOL IsStorableSensorName(const std::string& name) {
  if (name.empty() || name.find('=') != std::string::npos || name.front() == ';' || name.front() == '[') return FALSE;
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  return !blank(name.front()) && !blank(name.back());
}

// ---------------------------------------------------------------- dialog

const CMessageMap& CQXSensorListDlg::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXSensorListDlg>(CDialog::messageMap())
                                     .command(kAddButton, &CQXSensorListDlg::OnAdd)
                                     .command(kDeleteButton, &CQXSensorListDlg::OnDelete);
  return map;
}

CQXSensorListDlg::CQXSensorListDlg(QWidget* parent) : CDialog(kTemplateId, parent) {}

CQXSensorListDlg::~CQXSensorListDlg() = default;

int CQXSensorListDlg::DoModal() {
  const int result = CDialog::DoModal();
  if (list_) SaveListColumnWidths(list_, &kColumns);
  return result;
}

BOOL CQXSensorListDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  list_ = GetDlgItemAs<QTreeWidget>(kList);
  name_ = GetDlgItemAs<QLineEdit>(kNameEdit);
  number_ = GetDlgItemAs<QSpinBox>(kNumberEdit);
  if (list_) {
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    InitListColumns(list_, &kColumns);
    const std::vector<QXSensor> sensors = ReadSensorList();
    for (size_t i = 0; i < sensors.size(); ++i) insertRow(int(i), sensors[i]);
    if (!sensors.empty()) selectRow(0);
  }
  if (number_) {
    number_->setRange(0, kMaxNumber);
    number_->setValue(0);
  }
  if (name_) name_->setMaxLength(kMaxName);
  return TRUE;
}

void CQXSensorListDlg::insertRow(int index, const QXSensor& sensor) {
  auto* row = new QTreeWidgetItem;
  row->setText(0, tallix::fromCp1252(sensor.name));
  row->setText(1, QString::number(sensor.number));
  row->setData(0, Qt::UserRole, sensor.number);
  list_->insertTopLevelItem(index, row);
}

void CQXSensorListDlg::selectRow(int index) {
  QTreeWidgetItem* row = list_->topLevelItem(index);
  if (!row) return;
  list_->setCurrentItem(row);
  row->setSelected(true);
  list_->scrollToItem(row);
}

std::vector<QXSensor> CQXSensorListDlg::GetSensors() const {
  std::vector<QXSensor> sensors;
  for (int i = 0; list_ && i < list_->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* row = list_->topLevelItem(i);
    sensors.push_back({tallix::toCp1252(row->text(0)), row->data(0, Qt::UserRole).toInt()});
  }
  return sensors;
}

void CQXSensorListDlg::OnAdd() {
  if (!list_ || !name_ || !number_) return;
  const std::string name = tallix::toCp1252(name_->text());
  const std::vector<QXSensor> sensors = GetSensors();
  const bool known = std::any_of(sensors.begin(), sensors.end(), [&](const QXSensor& s) { return sameAsciiName(s.name, name); });
  if (!IsStorableSensorName(name) || known) {
    AfxMessageBox(kNoText, MB_ICONEXCLAMATION);
    name_->setFocus();
    return;
  }
  number_->interpretText();
  const int number = number_->value();
  if (std::any_of(sensors.begin(), sensors.end(), [&](const QXSensor& s) { return s.number == number; })) {
    AfxMessageBox(kNumberUsed, MB_ICONEXCLAMATION);
    number_->setFocus();
    return;
  }
  insertRow(0, {name, number});
  selectRow(0);
  list_->setFocus();
}

void CQXSensorListDlg::OnDelete() {
  if (!list_) return;
  QTreeWidgetItem* row = list_->currentItem();
  if (!row || !row->isSelected()) return;
  const int index = list_->indexOfTopLevelItem(row);
  delete list_->takeTopLevelItem(index);
  selectRow(std::max(index - 1, 0));
  list_->setFocus();
}

void CQXSensorListDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  if (!pDX->m_bSaveAndValidate || !list_) return;
  pDX->PrepareCtrl(kList);
  if (WriteSensorList(GetSensors())) return;
  const QString path = tallix::writableDataFilePath(QString::fromLatin1(kFileName));
  AfxMessageBox(CLanguageLibrary::FormatMessage(kWriteFailed, path), MB_ICONSTOP);
  pDX->Fail();
}
