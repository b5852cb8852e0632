// The page views of the six numeric kinds: the kind's page, then the
// description page.
#pragma once

#include "pages/QXPageView.h"

class CQXMatrixDataView : public CQXDataPageView {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit CQXMatrixDataView(QWidget* parent = nullptr);
  BOOL CreatePages() override;
};

class CQXListDataView : public CQXDataPageView {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit CQXListDataView(QWidget* parent = nullptr);
  BOOL CreatePages() override;
};

class CQXGraphFactorDataView : public CQXDataPageView {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit CQXGraphFactorDataView(QWidget* parent = nullptr);
  BOOL CreatePages() override;
};

class CQXTableRangeDataView : public CQXDataPageView {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit CQXTableRangeDataView(QWidget* parent = nullptr);
  BOOL CreatePages() override;
};

class CQXVariableDataView : public CQXDataPageView {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit CQXVariableDataView(QWidget* parent = nullptr);
  BOOL CreatePages() override;
};

class CQXVWinDataView : public CQXDataPageView {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit CQXVWinDataView(QWidget* parent = nullptr);
  BOOL CreatePages() override;
};
