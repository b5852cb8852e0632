// Functions that reach the main window's document, tree and content view
// from anywhere: each works on the application's main window and answers
// FALSE (or null) when it is not the program's main frame or the pane it
// needs is missing.
#pragma once

#include "platform/WinTypes.h"

#include <memory>

class CQXDoc;
class CQXDocEntry;
class CQXMainFrame;
struct TreeItemInfo;

// The application's main window as the program's frame, or null.
CQXMainFrame* GetMainFrame();
// The main frame's active document, or null.
CQXDoc* GetCurrentDocument();

// Validates and stores the open page's pending edits (the undo list is
// emptied first); FALSE when the page refuses them.
BOOL CommitActivePage();
// A copy of the document entry selected in the tree, loaded through the
// document; `info`, when given, is filled for the same entry with the
// caller's mask. TRUE only when the entry holds a calculator item.
BOOL GetSelectedDocItem(std::unique_ptr<CQXDocEntry>* entry, TreeItemInfo* info);
// Fills `info` (with its own mask) for the tree's caret item.
BOOL GetSelectedItemInfo(TreeItemInfo* info);
// Sends "MSG_QXGetViewData" with the request record to the content view;
// TRUE when it answered non-zero.
BOOL SendGetViewData(void* request);
// Posts "MSG_QXSwitchToPane" (column 0 the tree, 1 the content view) to the
// main window.
void SwitchToPane(int column);
