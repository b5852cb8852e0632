// The function memory pages: the calculator's function memories as one
// token field each, "f1:" to "f6:" for the older family (kind 4012, texts
// ending with the end byte 0xFF) and one field per slot for the newer
// family (5012, texts without it). Their "..." buttons open menu 150.
#pragma once

#include "pages/QXFunctionFieldPage.h"
#include "pages/QXPageView.h"

class CQXFunctionMemoryFieldsPage : public CQXFunctionFieldCtrlDataPage {
  Q_OBJECT

 public:
  static constexpr UINT kFieldMenu = 150;
  explicit CQXFunctionMemoryFieldsPage(UINT templateId);

 protected:
  // Exactly n fields "f1:   " ... with the page font; FALSE (after 61706)
  // when one cannot be made.
  BOOL SetFieldCount(int n);
};

class CQXFunctionMemoryDataPage : public CQXFunctionMemoryFieldsPage {
  Q_OBJECT

 public:
  Q_INVOKABLE CQXFunctionMemoryDataPage();
  BOOL LoadFromItem(CQXDocEntry* entry) override;
  BOOL StoreToItem(CQXDocEntry* entry) override;
};

class CQXFunctionMemoryV5DataPage : public CQXFunctionMemoryFieldsPage {
  Q_OBJECT

 public:
  Q_INVOKABLE CQXFunctionMemoryV5DataPage();
  BOOL LoadFromItem(CQXDocEntry* entry) override;
  BOOL StoreToItem(CQXDocEntry* entry) override;
};

class CQXFunctionMemoryDataView : public CQXDataPageView {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit CQXFunctionMemoryDataView(QWidget* parent = nullptr);
  BOOL CreatePages() override;
};

class CQXFunctionMemoryV5DataView : public CQXDataPageView {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit CQXFunctionMemoryV5DataView(QWidget* parent = nullptr);
  BOOL CreatePages() override;
};

// The function memory and graph function pages and views, by name.
void RegisterFunctionPageClasses();
