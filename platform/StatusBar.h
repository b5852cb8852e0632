// CStatusBar: a QStatusBar with panes. The pane of ID_SEPARATOR is the
// message pane (the bar's own message area, which a frame fills with
// prompts); every other id is an indicator pane that shows the string of
// its id while enabled and nothing while disabled. The frame runs the
// indicators' update handlers when idle; an indicator without one stays
// enabled.
#pragma once

#include <QStatusBar>
#include <QString>
#include <vector>

#include "platform/CmdTarget.h"
#include "platform/ControlBarStyles.h"
#include "platform/WinMessages.h"

class QLabel;

class CStatusBar : public QStatusBar, public CCmdTarget {
  Q_OBJECT

 public:
  explicit CStatusBar(QWidget* parent = nullptr);
  ~CStatusBar() override;
  DECLARE_MESSAGE_MAP()

  BOOL Create(QWidget* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT nID = AFX_IDW_STATUS_BAR);
  BOOL CreateEx(QWidget* parent, DWORD ctrlStyle, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                UINT nID = AFX_IDW_STATUS_BAR);
  UINT GetDlgCtrlID() const;

  // Replaces the panes; FALSE for a null list with a count.
  BOOL SetIndicators(const UINT* ids, int count);
  int GetCount() const { return int(panes_.size()); }
  UINT GetItemID(int index) const;
  int CommandToIndex(UINT id) const;
  BOOL SetPaneText(int index, const QString& text, BOOL update = TRUE);
  QString GetPaneText(int index) const;
  // The indicator's label (null for the message pane or a bad index).
  QLabel* GetPaneLabel(int index) const;

  // Runs the indicators' update handlers from `target`.
  virtual void OnUpdateCmdUI(CCmdTarget* target, BOOL disableIfNoHandler);

 private:
  struct Pane {
    UINT id = 0;
    QLabel* label = nullptr;  // null for the message pane
    QString text;
    bool enabled = true;
  };
  friend class CStatusCmdUI;
  void showPane(Pane& pane);

  std::vector<Pane> panes_;
};
