#include "tokens/QXTokenSelectWnd.h"

#include "charset/Cp1252.h"
#include "platform/CalcShownText.h"
#include "platform/CmdUI.h"
#include "platform/DC.h"
#include "tokens/QXCommandTable.h"
#include "tokens/QXTokenEditor.h"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScreen>
#include <QToolTip>
#include <QTreeView>

#include <algorithm>

UINT g_nTokenSelectInsertCmdNotify = 0;

namespace {

constexpr UINT kListId = 1;

// Cuts blanks at both ends.
std::string trimmed(const std::string& text) {
  std::string copy = text;
  char* start = copy.data();
  const int length = CQXCommandTable::TrimText(copy.data(), &start);
  return std::string(start, std::size_t(length));
}

}  // namespace

// ---- the list ----

CQXTokenSelectList::CQXTokenSelectList(QWidget* parent) : CListCtrl(parent) {
  connect(qApp, &QApplication::focusChanged, this, &CQXTokenSelectList::onFocusChanged);
}

CQXTokenSelectList::~CQXTokenSelectList() = default;

void CQXTokenSelectList::onFocusChanged(QWidget* old, QWidget* now) {
  if (!old || (old != this && !isAncestorOf(old))) return;
  QWidget* popup = window();
  if (now && (now == popup || popup->isAncestorOf(now))) return;
  if (auto* owner = qobject_cast<CWnd*>(popup)) owner->PostMessage(WM_CANCELMODE);
}

// ---- the popup ----

const CMessageMap& CQXTokenSelectWnd::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXTokenSelectWnd>(CWnd::messageMap())
                                     .message(WM_CANCELMODE, &CQXTokenSelectWnd::OnCancelMode)
                                     .notify(NM_DBLCLK, kListId, &CQXTokenSelectWnd::OnListDblClk);
  return map;
}

CQXTokenSelectWnd::CQXTokenSelectWnd() {
  if (g_nTokenSelectInsertCmdNotify == 0)
    g_nTokenSelectInsertCmdNotify = RegisterWindowMessage("QXTOKWND_InsertCmdNotify");
}

CQXTokenSelectWnd::~CQXTokenSelectWnd() = default;

BOOL CQXTokenSelectWnd::Create(CWnd* owner) {
  if (created_) return TRUE;
  owner_ = owner;
  // A window of the owner's top-level window: under a modal dialog only
  // that dialog's own windows take input.
  QWidget* top = owner ? owner->window() : nullptr;
  setParent(top, Qt::Tool | Qt::FramelessWindowHint);
  hide();
  resize(kWidth, kHeight);
  if (!list_.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER,
                    QRect(QPoint(0, 0), size()), this, kListId))
    return FALSE;
  list_.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  list_.InsertColumn(0, QString(), LVCFMT_LEFT, 50);
  list_.InsertColumn(1, QString(), LVCFMT_LEFT, 150);
  QPalette colors = list_.palette();
  const QPalette tips = QToolTip::palette();
  for (auto role : {QPalette::Base, QPalette::Window, QPalette::AlternateBase})
    colors.setColor(role, tips.color(QPalette::ToolTipBase));
  for (auto role : {QPalette::Text, QPalette::WindowText}) colors.setColor(role, tips.color(QPalette::ToolTipText));
  list_.setPalette(colors);
  list_.GetReportView()->setPalette(colors);
  list_.GetReportView()->setFrameShape(QFrame::Panel);
  list_.GetReportView()->setFrameShadow(QFrame::Sunken);
  setFocusProxy(list_.GetReportView());
  created_ = true;
  return TRUE;
}

void CQXTokenSelectWnd::SetFont(const CFont* font) {
  if (!font) return;
  setFont(font->font());
  list_.setFont(font->font());
}

void CQXTokenSelectWnd::DeleteAllCommands() {
  list_.DeleteAllItems();
  characters_.clear();
}

void CQXTokenSelectWnd::AddCommand(const std::string& characters, const std::string& description, DWORD value) {
  const int item = list_.InsertItem(list_.GetItemCount(), CalcDisplayText(characters, list_.font()));
  if (item < 0) return;
  list_.SetItemText(item, 1, tallix::fromCp1252(description));
  list_.SetItemData(item, value);
  characters_.push_back(characters);
}

void CQXTokenSelectWnd::SelectByText(const std::string& text) {
  const std::string typed = trimmed(text);
  const int count = list_.GetItemCount();
  if (count == 0) return;
  int pick = count - 1;
  for (int i = 0; i < count && i < int(characters_.size()); ++i) {
    const std::string command = trimmed(characters_[std::size_t(i)]);
    if (command.size() < typed.size() ||
        (command.size() == typed.size() && EqualTextIgnoringAsciiCase(command.c_str(), typed.c_str(), int(typed.size())))) {
      pick = i;
      break;
    }
  }
  list_.SetItemState(pick, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  list_.EnsureVisible(pick, FALSE);
}

void CQXTokenSelectWnd::ShowAt(QPoint point) {
  QWidget* near = returnFocus_ ? returnFocus_.data() : (owner_ ? owner_.data() : nullptr);
  QScreen* screen = near ? near->screen() : QGuiApplication::primaryScreen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (screen) {
    const QRect area = screen->availableGeometry();
    const int right = area.x() + area.width();
    const int bottom = area.y() + area.height();
    if (point.x() + kWidth > right + 5) point.setX(right - kWidth - 5);
    if (point.y() + kHeight > bottom + 5) point.setY(bottom - kHeight - 5);
  }
  setGeometry(QRect(point, QSize(kWidth, kHeight)));
  QTreeView* view = list_.GetReportView();
  view->resizeColumnToContents(0);
  view->resizeColumnToContents(1);
  const int spare = view->viewport()->width() - list_.GetColumnWidth(0) - list_.GetColumnWidth(1);
  if (spare > 0) list_.SetColumnWidth(1, list_.GetColumnWidth(1) + spare);
  show();
  raise();
  activateWindow();
  // Shown while a menu held the keyboard, the popup is not activated and so
  // never sees the focus leave: until it hides it watches the keys and
  // clicks of the program itself.
  if (!watching_) {
    watching_ = true;
    qApp->installEventFilter(this);
  }
}

void CQXTokenSelectWnd::Hide() {
  if (!isVisible()) return;
  hide();
  if (returnFocus_) {
    returnFocus_->activateWindow();
    returnFocus_->setFocus(Qt::OtherFocusReason);
  }
}

void CQXTokenSelectWnd::Notify() {
  const int item = list_.GetNextItem(-1, LVNI_SELECTED);
  if (item < 0) return;
  CWnd* target = owner_ ? owner_.data() : GetParent();
  if (target) target->PostMessage(g_nTokenSelectInsertCmdNotify, 0, LPARAM(list_.GetItemData(item)));
}

void CQXTokenSelectWnd::notifyAndHide() {
  Notify();
  Hide();
}

BOOL CQXTokenSelectWnd::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && isVisible()) {
    if (msg->wParam == VK_ESCAPE) {
      Hide();
      return TRUE;
    }
    if (msg->wParam == VK_RETURN) {
      notifyAndHide();
      return TRUE;
    }
  }
  return CWnd::PreTranslateMessage(msg);
}

bool CQXTokenSelectWnd::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if ((type != QEvent::KeyPress && type != QEvent::MouseButtonPress) || !watched->isWidgetType() || !isVisible())
    return CWnd::eventFilter(watched, event);
  auto* widget = static_cast<QWidget*>(watched);
  if (widget == this || isAncestorOf(widget)) return false;
  if (type == QEvent::MouseButtonPress) {
    Hide();
    return false;
  }
  // Escape in the window the popup belongs to closes the popup alone.
  if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && parentWidget() &&
      widget->window() == parentWidget()->window()) {
    Hide();
    return true;
  }
  return false;
}

void CQXTokenSelectWnd::hideEvent(QHideEvent* event) {
  CWnd::hideEvent(event);
  if (watching_) {
    watching_ = false;
    qApp->removeEventFilter(this);
  }
}

void CQXTokenSelectWnd::resizeEvent(QResizeEvent* event) {
  CWnd::resizeEvent(event);
  list_.setGeometry(rect());
}

void CQXTokenSelectWnd::changeEvent(QEvent* event) {
  CWnd::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow()) Hide();
}

LRESULT CQXTokenSelectWnd::OnCancelMode(WPARAM, LPARAM) {
  Hide();
  return 0;
}

void CQXTokenSelectWnd::OnListDblClk(NMHDR*, LRESULT* result) {
  notifyAndHide();
  *result = 0;
}

// ---- conversion ----

int ConvertTextToCommand(CQXTokenEditor* editor, CQXTokenSelectWnd* popup, const CQXCommandTable* table) {
  if (!editor || !popup || !popup->IsCreated() || !table) return 0;
  const int length = editor->GetSelTokensLength(kTokenFormatText);
  if (length <= 0) return 0;
  std::string text(std::size_t(length), '\0');
  int got = 0;
  if (!editor->GetSelTokens(reinterpret_cast<BYTE*>(text.data()), length, &got, kTokenFormatText) || got <= 0)
    return 0;
  text.resize(std::size_t(got));
  if (text.back() == ' ') text.pop_back();

  std::vector<DWORD> matches;
  table->MatchCommands(text.c_str(), &matches, TRUE);
  popup->DeleteAllCommands();
  for (DWORD match : matches) {
    const int tableByte = TextIndexTable(match);
    const int number = TextIndexNumber(match);
    if (const CQXCommandTable::Entry* entry = table->FindCommand(tableByte, number))
      popup->AddCommand(entry->characters, entry->description, MakeCommandValue(tableByte, number));
  }
  popup->SelectByText(text);

  const QRect window(editor->mapToGlobal(QPoint(0, 0)), editor->size());
  QPoint topLeft;
  QPoint bottomRight;
  QRect place = window;
  if (editor->GetSelectionRect(&topLeft, &bottomRight))
    place = QRect(editor->mapToGlobal(topLeft), editor->mapToGlobal(bottomRight));
  // A selection scrolled out of view opens the popup at the editor's edge.
  if (place.top() < window.top()) place.setTop(window.top());
  if (place.bottom() > window.bottom()) place.setBottom(window.bottom());

  popup->SetReturnFocusWindow(editor);
  popup->ShowAt(QPoint(place.right(), place.bottom()));
  popup->setFocus(Qt::OtherFocusReason);
  popup->update();
  return 1;
}

void UpdateConvertTextToCommand(CQXTokenEditor* editor, CCmdUI* pCmdUI) {
  pCmdUI->Enable(editor && editor->HasSelection());
}

LRESULT InsertNotifiedCommand(CQXTokenEditor* editor, LPARAM value) {
  if (!editor) return 0;
  const DWORD command = DWORD(value);
  BYTE bytes[2];
  int length = 0;
  if (CommandValueTable(command) != 0) bytes[length++] = BYTE(CommandValueTable(command));
  bytes[length++] = BYTE(CommandValueNumber(command));
  editor->ReplaceSel(bytes, length, kTokenFormatBytes);
  return 0;
}
