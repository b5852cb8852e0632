// The graph function pages: one token field per function, labelled with its
// graph type, number and relation ("Y1=", "r2=", "X3=", "Y4>="); a
// parametric function takes two fields, "Xt1=" and "Yt1=", whose bytes are
// stored as one function with the separator token 0xF6 between them. Each
// field carries a record of its function (owned by the page) that the
// field's "..." menu changes: type, relation, colour and drawing.
//
// CQXGraphFunctionDataPage serves the older family (kinds 4002 and 4003,
// menu 302): the item keeps each function's relation and style, not its
// type letter, so a function reads back as parametric when its bytes hold a
// separator token and as a Y function otherwise. CQXGraphFunctionV5DataPage
// serves the newer family (5002, menu 315): each entry keeps its type code,
// draw flags and colour.
#pragma once

#include "pages/QXFunctionFieldBytes.h"
#include "pages/QXFunctionFieldPage.h"
#include "pages/QXPageView.h"

#include <memory>
#include <vector>

class CQXGraphFunctionFieldsPage : public CQXFunctionFieldCtrlDataPage {
  Q_OBJECT

 public:
  // The field menus' commands: graph types, relations, colours and draw
  // flags.
  static constexpr UINT kCmdFirst = 20031;
  static constexpr UINT kCmdLast = 20053;
  explicit CQXGraphFunctionFieldsPage(UINT templateId);

  // The record of field i (its user data), or null.
  template <class Record>
  Record* RecordOf(int i) const {
    return GetFieldList() ? reinterpret_cast<Record*>(GetFieldList()->GetFieldData(i)) : nullptr;
  }

 protected:
  void OnDestroy() override;
  // Every field's record is freed with it.
  virtual void FreeRecords() = 0;

  // The other field of a pair: the next one for part 1, else the previous.
  static int PartnerOf(int index, int part) { return part == 1 ? index + 1 : index - 1; }
  // A second field for the Yt part right after field `index`, its id + 4.
  BOOL AddSecondField(int index, const std::string& label, std::uintptr_t data);
  void RemoveField(int index);
};

class CQXGraphFunctionDataPage : public CQXGraphFunctionFieldsPage {
  Q_OBJECT

 public:
  static constexpr UINT kFieldMenu = 302;
  Q_INVOKABLE CQXGraphFunctionDataPage();
  ~CQXGraphFunctionDataPage() override;
  DECLARE_MESSAGE_MAP()

  BOOL LoadFromItem(CQXDocEntry* entry) override;
  BOOL StoreToItem(CQXDocEntry* entry) override;

 protected:
  void FreeRecords() override;

 private:
  CQXGraphFunctionInfo* record(int i) const { return RecordOf<CQXGraphFunctionInfo>(i); }
  CQXGraphFunctionInfo* keep(const CQXGraphFunctionInfo& info);
  void relabel(int i);
  // The field of the function after the change (the pair's first).
  int setType(int index, BYTE type);
  void setRelation(int index, BYTE relation);
  void OnFieldCommand(UINT id);
  void OnUpdateCommand(CCmdUI* ui);

  std::vector<std::unique_ptr<CQXGraphFunctionInfo>> records_;
};

class CQXGraphFunctionV5DataPage : public CQXGraphFunctionFieldsPage {
  Q_OBJECT

 public:
  static constexpr UINT kFieldMenu = 315;
  Q_INVOKABLE CQXGraphFunctionV5DataPage();
  ~CQXGraphFunctionV5DataPage() override;
  DECLARE_MESSAGE_MAP()

  BOOL LoadFromItem(CQXDocEntry* entry) override;
  BOOL StoreToItem(CQXDocEntry* entry) override;

 protected:
  void FreeRecords() override;

 private:
  CQXGraphFuncV5Record* record(int i) const { return RecordOf<CQXGraphFuncV5Record>(i); }
  CQXGraphFuncV5Record* keep(const CQXGraphFuncV5Record& record);
  void setType(int index, DWORD type);
  void OnFieldCommand(UINT id);
  void OnUpdateCommand(CCmdUI* ui);

  std::vector<std::unique_ptr<CQXGraphFuncV5Record>> records_;
};

class CQXGraphFunctionDataView : public CQXDataPageView {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit CQXGraphFunctionDataView(QWidget* parent = nullptr);
  BOOL CreatePages() override;
};

class CQXGraphFunctionV5DataView : public CQXDataPageView {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit CQXGraphFunctionV5DataView(QWidget* parent = nullptr);
  BOOL CreatePages() override;
};
