// The E-CON set-up page (dialog 651): one data-logger set-up of the view's
// working item at a time, as 27 rows of the property list: the memory
// number (0 the current set-up "cda_mem", 1-99 the stored "1001".."1099"),
// the title, and the record's fields. The "Configuration" combo (1107)
// lists the set-ups; Open shows the chosen one, Save stores the rows under
// the memory number of row 0, Delete removes a stored set-up.
//
// Rows are read into a record only by Save and by the commit. A record is
// written over its own bytes: the bytes without a row stay as they were.
// A commit of edited rows writes them into "cda_mem" (titled "--"); Open
// and Save leave the rows unedited, so that a commit never writes a stored
// or merely opened set-up into "cda_mem". The commit then copies every
// record of the working item (set-ups and probes) into the document's item.
//
// The sensor rows (4-6) offer the sensors of the option table, the user's
// "Sensor.lst" and the item's custom probes; a stored code that none of
// them carries shows as "unknown Sensor (code)" and is kept.
#pragma once

#include "pages/QXPropertyListDataPage.h"

#include <QComboBox>
#include <QPointer>

#include <string>

class CQXDataLoggerItem;
class CQXECONDataView;

// One entry of an option table: the stored value and its text's string id;
// a table ends with {-1, 0}.
struct EconOptionTable {
  int value;
  UINT stringId;
};

class CQXECONSetupDataPage : public CQXPropertyListDataPage {
  Q_OBJECT

 public:
  enum : UINT { kPageId = 651, kCombo = 1107, kOpen = 1106, kSave = 1108, kDelete = 1086 };
  static constexpr int kRowCount = 27;

  Q_INVOKABLE explicit CQXECONSetupDataPage(CQXECONDataView* view = nullptr);
  ~CQXECONSetupDataPage() override;
  DECLARE_MESSAGE_MAP()

  BOOL LoadFromItem(CQXDocEntry* entry) override;
  BOOL StoreToItem(CQXDocEntry* entry) override;
  BOOL Validate(TreeItemInfo* info) override;

  // Shows the record `name` (set-up `number`) in the rows; FALSE without a
  // working item or record (10160 for the numbers 1-99).
  BOOL ShowSetup(const std::string& name, int number);
  // Writes the rows into the record `name`; FALSE when there is none.
  BOOL WriteSetupRecord(const std::string& name, int number);
  // The number and title too when `withNumberAndTitle`; FALSE after the
  // first refused row.
  BOOL ValidateSetupRows(BOOL withNumberAndTitle);
  // The sensors of row `row` (4-6) anew, its choice kept.
  void RefreshSensorChoices(int row);
  // After the view took another working item: its sensors, set-ups and
  // current set-up.
  void ReloadWorkingItem();
  // Table 0-10, or null.
  static const EconOptionTable* GetOptionTable(int index);

  QComboBox* GetCombo() const { return m_combo; }

  void OnOpen();
  void OnSave();
  void OnDelete();

  BOOL m_initialised = FALSE;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;

 private:
  CQXDataLoggerItem* workingItem() const;
  void buildRows();
  void fillCombo();
  void selectCombo(int number);
  // Selects `code` in a sensor row, or a temporary "unknown Sensor" entry
  // for it.
  void chooseSensor(int row, DWORD code);

  CQXECONDataView* m_view;
  std::string m_currentName = "--";
  int m_unknownSensor[3] = {-1, -1, -1};  // rows 4-6: the temporary entry's position
  QPointer<QComboBox> m_combo;
};
