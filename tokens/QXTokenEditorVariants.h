// The token editor as the pages use it. The variants differ only in what
// their constructors set and the events they take:
//   CQXCalcTokenEditor      margins 5, line breaks 0x0D and 0x0C drawn as the
//                           calculator's marks 0xDE and 0xDD, and an optional
//                           context menu (resource id, 0 none);
//   CQXProgramTokenEditor   the program page, the macro editor and the
//                           program print views (no menu unless the owner
//                           sets one);
//   CQXFunctionTokenEditor  the function pages: context menu 312;
//   CQXFieldTokenEditor     the editor of a labelled token field: its "..."
//                           button (control id + 1) shows while it has the
//                           focus, and its field list remembers it.
// The context menu's commands go to the editor's parent, which routes them
// to the editor's Edit operations.
#pragma once

#include "tokens/QXTokenEditor.h"

#include <QPointer>

class CQXTokenFieldList;
class QContextMenuEvent;

class CQXCalcTokenEditor : public CQXTokenEditor {
  Q_OBJECT

 public:
  explicit CQXCalcTokenEditor(QWidget* parent = nullptr);
  DECLARE_MESSAGE_MAP()

  void SetContextMenuId(UINT id) { menuId_ = id; }
  UINT GetContextMenuId() const { return menuId_; }

 protected:
  // The menu at the pointer, or at the top-left corner for the keyboard.
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  UINT menuId_ = 0;
};

class CQXProgramTokenEditor : public CQXCalcTokenEditor {
  Q_OBJECT

 public:
  explicit CQXProgramTokenEditor(QWidget* parent = nullptr) : CQXCalcTokenEditor(parent) {}
};

class CQXFunctionTokenEditor : public CQXCalcTokenEditor {
  Q_OBJECT

 public:
  static constexpr UINT kContextMenu = 312;
  explicit CQXFunctionTokenEditor(QWidget* parent = nullptr);
};

class CQXFieldTokenEditor : public CQXFunctionTokenEditor {
  Q_OBJECT

 public:
  explicit CQXFieldTokenEditor(QWidget* parent = nullptr) : CQXFunctionTokenEditor(parent) {}

  // The list that holds the editor's field; set by the field.
  void SetFieldList(CQXTokenFieldList* list);
  CQXTokenFieldList* GetFieldList() const;

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  QWidget* button() const;

  QPointer<CQXTokenFieldList> fieldList_;
};
