// The user's table of Vernier sensors, "Sensor.lst": section "Sensor List",
// one line `name=number` per sensor. Read from the data folder's copy when
// there is one, else the program directory's; written whole into the data
// folder.
//
// CQXSensorListDlg (dialog 154): the table in a list (name, number), a
// name and a number to add, Delete for the selected row; OK writes the
// table, Cancel leaves the file as it was. Names that the file could not
// give back as they were (empty, holding '=', beginning with ';' or '[',
// with blanks at either end, or already in the table without regard to
// ASCII case) and numbers already in use are refused when they are added.
#pragma once

#include "platform/Dialog.h"

#include <string>
#include <vector>

class QLineEdit;
class QSpinBox;
class QTreeWidget;

struct QXSensor {
  std::string name;  // Windows-1252
  int number = 0;
};

// The table in file order; a sensor whose value is not a number, or is -1,
// is left out. Empty when there is no file.
std::vector<QXSensor> ReadSensorList();
// Replaces the section with `sensors`, in their order, in one write; FALSE
// when the file cannot be written (it is then as it was).
BOOL WriteSensorList(const std::vector<QXSensor>& sensors);
// Whether `name` goes into the file and comes back as it is.
BOOL IsStorableSensorName(const std::string& name);

class CQXSensorListDlg : public CDialog {
  Q_OBJECT

 public:
  enum : UINT {
    kTemplateId = 154,
    kNameEdit = 1111,
    kNumberEdit = 1112,
    kAddButton = 1113,
    kList = 1114,
    kDeleteButton = 1086,
  };
  explicit CQXSensorListDlg(QWidget* parent = nullptr);
  ~CQXSensorListDlg() override;
  DECLARE_MESSAGE_MAP()

  // Keeps the list's column widths when the dialog ends.
  int DoModal() override;
  BOOL OnInitDialog() override;
  void OnAdd();
  void OnDelete();

  QTreeWidget* GetList() const { return list_; }
  QLineEdit* GetNameEdit() const { return name_; }
  QSpinBox* GetNumberSpin() const { return number_; }
  // The rows as they stand.
  std::vector<QXSensor> GetSensors() const;

 protected:
  // Saving: writes the table; a failed write keeps the dialog open.
  void DoDataExchange(CDataExchange* pDX) override;

 private:
  void insertRow(int index, const QXSensor& sensor);
  void selectRow(int index);

  QTreeWidget* list_ = nullptr;
  QLineEdit* name_ = nullptr;
  QSpinBox* number_ = nullptr;
};
