// Command targets and their message maps.
//
// Every command target class has one static message map chained to its
// base's. A map holds commands (an id or a range, optionally with a control
// notification code), update handlers (an id or a range), notifications
// (WM_NOTIFY code and control id), window messages by number and registered
// messages by the variable that holds their id. A class declares
// DECLARE_MESSAGE_MAP() and defines its map with MessageMapOf:
//
//   const CMessageMap& CMyView::messageMap() {
//     static const CMessageMap map = MessageMapOf<CMyView>(CView::messageMap())
//         .command(22200, &CMyView::OnReceive)
//         .updateUI(22200, &CMyView::OnUpdateReceive)
//         .message(0x8014, &CMyView::OnBringToFront);
//     return map;
//   }
#pragma once

#include "platform/WinMessages.h"

#include <functional>
#include <vector>

class CCmdTarget;
class CCmdUI;

// Asked of OnCmdMsg when only the existence of a handler matters: the
// target that has one is filled in and nothing is called.
struct AFX_CMDHANDLERINFO {
  CCmdTarget* pTarget = nullptr;
};

// The extra argument of a routed notification.
struct AFX_NOTIFY {
  LRESULT* pResult = nullptr;
  NMHDR* pNMHDR = nullptr;
};

class CMessageMap {
 public:
  enum class Kind { Command, UpdateUI, Notify, NotifyReflect, Message, RegisteredMessage };
  struct Entry {
    Kind kind;
    UINT first = 0, last = 0;  // command or control ids; the message number
    int code = 0;              // control notification or WM_NOTIFY code
    const UINT* registered = nullptr;
    // Commands and update handlers: TRUE when handled. Notifications get
    // the AFX_NOTIFY as `extra`.
    std::function<BOOL(CCmdTarget*, UINT id, void* extra)> onCommand;
    std::function<LRESULT(CCmdTarget*, WPARAM, LPARAM)> onMessage;
  };

  const CMessageMap* base = nullptr;
  std::vector<Entry> entries;
};

#define DECLARE_MESSAGE_MAP()                  \
 public:                                       \
  static const CMessageMap& messageMap();      \
  const CMessageMap& GetMessageMap() const override { return messageMap(); }

// Builds the map of class T, member function by member function.
template <class T>
class MessageMapOf {
  using Entry = CMessageMap::Entry;
  using Kind = CMessageMap::Kind;

 public:
  explicit MessageMapOf(const CMessageMap& base) { map_.base = &base; }
  operator CMessageMap() const { return map_; }

  MessageMapOf& command(UINT id, void (T::*fn)()) { return commandRangeCode(id, id, CN_COMMAND, fn); }
  // A control's notification that arrives as WM_COMMAND with `code`.
  MessageMapOf& control(int code, UINT id, void (T::*fn)()) { return commandRangeCode(id, id, code, fn); }
  MessageMapOf& commandRange(UINT first, UINT last, void (T::*fn)(UINT)) {
    return add(Kind::Command, first, last, CN_COMMAND, [fn](CCmdTarget* t, UINT id, void*) {
      (self(t)->*fn)(id);
      return BOOL(TRUE);
    });
  }
  // FALSE from the handler lets the command go on to the next target.
  MessageMapOf& commandEx(UINT first, UINT last, BOOL (T::*fn)(UINT)) {
    return add(Kind::Command, first, last, CN_COMMAND,
               [fn](CCmdTarget* t, UINT id, void*) { return (self(t)->*fn)(id); });
  }
  MessageMapOf& updateUI(UINT id, void (T::*fn)(CCmdUI*)) { return updateUIRange(id, id, fn); }
  MessageMapOf& updateUIRange(UINT first, UINT last, void (T::*fn)(CCmdUI*)) {
    return add(Kind::UpdateUI, first, last, CN_UPDATE_COMMAND_UI, [fn](CCmdTarget* t, UINT, void* ui) {
      (self(t)->*fn)(static_cast<CCmdUI*>(ui));
      return BOOL(TRUE);
    });
  }
  MessageMapOf& notify(int nmCode, UINT id, void (T::*fn)(NMHDR*, LRESULT*)) {
    return add(Kind::Notify, id, id, nmCode, [fn](CCmdTarget* t, UINT, void* extra) {
      auto* n = static_cast<AFX_NOTIFY*>(extra);
      (self(t)->*fn)(n->pNMHDR, n->pResult);
      return BOOL(TRUE);
    });
  }
  // A control's own notification, reflected back to it by its parent
  // (CWnd::OnChildNotify); a control view gets its control's this way.
  MessageMapOf& notifyReflect(int nmCode, void (T::*fn)(NMHDR*, LRESULT*)) {
    return add(Kind::NotifyReflect, 0, 0, nmCode, [fn](CCmdTarget* t, UINT, void* extra) {
      auto* n = static_cast<AFX_NOTIFY*>(extra);
      (self(t)->*fn)(n->pNMHDR, n->pResult);
      return BOOL(TRUE);
    });
  }
  MessageMapOf& message(UINT msg, LRESULT (T::*fn)(WPARAM, LPARAM)) {
    Entry e{Kind::Message, msg, msg, 0, nullptr, {}, wrap(fn)};
    map_.entries.push_back(std::move(e));
    return *this;
  }
  // `msgId` is read at dispatch time, so the map may be built before the
  // message is registered.
  MessageMapOf& registeredMessage(const UINT& msgId, LRESULT (T::*fn)(WPARAM, LPARAM)) {
    Entry e{Kind::RegisteredMessage, 0, 0, 0, &msgId, {}, wrap(fn)};
    map_.entries.push_back(std::move(e));
    return *this;
  }

 private:
  static T* self(CCmdTarget* t) { return static_cast<T*>(t); }
  static std::function<LRESULT(CCmdTarget*, WPARAM, LPARAM)> wrap(LRESULT (T::*fn)(WPARAM, LPARAM)) {
    return [fn](CCmdTarget* t, WPARAM w, LPARAM l) { return (self(t)->*fn)(w, l); };
  }
  MessageMapOf& commandRangeCode(UINT first, UINT last, int code, void (T::*fn)()) {
    return add(Kind::Command, first, last, code, [fn](CCmdTarget* t, UINT, void*) {
      (self(t)->*fn)();
      return BOOL(TRUE);
    });
  }
  MessageMapOf& add(Kind kind, UINT first, UINT last, int code, std::function<BOOL(CCmdTarget*, UINT, void*)> f) {
    Entry e{kind, first, last, code, nullptr, std::move(f), {}};
    map_.entries.push_back(std::move(e));
    return *this;
  }

  CMessageMap map_;
};

class CCmdTarget {
 public:
  CCmdTarget() = default;
  virtual ~CCmdTarget() = default;
  CCmdTarget(const CCmdTarget&) = delete;
  CCmdTarget& operator=(const CCmdTarget&) = delete;

  static const CMessageMap& messageMap();
  virtual const CMessageMap& GetMessageMap() const { return messageMap(); }

  // Looks the command up in this object's maps: nCode CN_COMMAND (or a
  // control notification code) for commands, CN_UPDATE_COMMAND_UI with the
  // CCmdUI as pExtra for update handlers, NotifyCode(code) with an
  // AFX_NOTIFY for notifications. Subclasses that route further (views,
  // frames) override it and call on. TRUE when handled.
  virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

  // The map entry for a window message, or null (registered messages by
  // their current id).
  const CMessageMap::Entry* FindMessageEntry(UINT message) const;
};
