// CQXDataPage: the base of every data page, the tabs of a page view's sheet
// that show and edit the item selected in the tree.
//
// Protocol (the view calls these on every page in sheet order): load the
// page from a document entry, store it back, clear it, report and set the
// modified state, validate before a store, take the document's
// notifications, and apply or undo the page's changes to the main menu
// while it is the active page.
//
// The page also answers "MSG_QXGetViewData" (msgQXGetViewData), by which
// the print views ask for the control a page shows: a page with a print
// kind answers the query {size, 0, null} with its kind, and a request of
// its own kind with the control (or, for image pages, zoom and bitmap) in
// the detail record. Pages without a print kind do not answer.
#pragma once

#include "app/MenuPopups.h"
#include "classlib/OrvoPropertyPage.h"
#include "platform/LanguageLibrary.h"

#include <QPointer>
#include <QRect>

#include <memory>
#include <vector>

class CBitmap;
class CDocument;
class CMenu;
class CQXDocEntry;
class QMenu;
struct TreeItemInfo;

// The document's update hints that reach the pages.
enum : int {
  kNotifyItemChanged = 2,      // the shown item changed in the document
  kNotifyCommandListsChanged = 3,  // the command lists changed
};

// What a page shows to the print views.
enum : int {
  kPrintKindNone = 0,
  kPrintKindGrid = 1,
  kPrintKindRichText = 2,
  kPrintKindImage = 3,
  kPrintKindTokens = 4,
  kPrintKindFields = 5,
  kPrintKindPropertyList = 6,
};

// The request of "MSG_QXGetViewData", passed by address in lParam.
struct QXViewDataRequest {
  int size = int(sizeof(QXViewDataRequest));
  int kind = 0;            // 0: which print kind has the page
  void* detail = nullptr;  // for a data request: the detail record
};
// Detail of the kinds that hand out a control.
struct QXViewDataControl {
  int size = int(sizeof(QXViewDataControl));
  int kind = 0;
  QWidget* control = nullptr;
};
// Detail of the image kind.
struct QXViewDataImage {
  int size = int(sizeof(QXViewDataImage));
  int kind = kPrintKindImage;
  int zoom = 0;
  CBitmap* bitmap = nullptr;
};

// Private messages of a page.
enum : UINT {
  kPageMsgRestoreFocus = 0x800A,  // focus the control saved at deactivation
  kPageMsgFocusWindow = 0x800B,   // focus the window in wParam
};

class CQXDataPage : public COrvoPropertyPage {
  Q_OBJECT

 public:
  Q_INVOKABLE CQXDataPage();
  explicit CQXDataPage(UINT templateId);
  ~CQXDataPage() override;
  DECLARE_MESSAGE_MAP()

  // ---- the page protocol; the base answers as noted
  // Fills the page from the entry; 1.
  virtual BOOL LoadFromItem(CQXDocEntry* entry);
  // Writes the page's contents into the entry; 0 refuses (nothing is
  // written to the document then); 1.
  virtual BOOL StoreToItem(CQXDocEntry* entry);
  // After StoreToItem refused: TRUE when the user can mend what the page
  // holds (it has said what), FALSE when its edits cannot be stored as they
  // are. TRUE.
  virtual BOOL IsRefusalMendable() { return TRUE; }
  virtual BOOL ClearPage();
  // 0.
  virtual BOOL IsModified();
  virtual void SetModified(BOOL modified);
  // Checks the contents before a store against the selection's
  // information (name, path, description); 0 refuses. 1.
  virtual BOOL Validate(TreeItemInfo* info);
  // A document notification (kNotify...); nothing.
  virtual void OnDocNotify(int code, QObject* argument);
  virtual void MergeMenus();
  virtual void UnmergeMenus();

  // ---- print views
  // The page's print kind (kPrintKind...); none.
  virtual int GetPrintKind() const { return kPrintKindNone; }
  // The control handed to the print view for the control kinds; null.
  virtual QWidget* GetPrintControl() { return nullptr; }
  // Fills the detail record of a request of the page's own kind (its size
  // and kind were not checked yet); FALSE answers 0.
  virtual BOOL FillViewData(void* detail);

  UINT GetPageId() const { return pageId_; }
  BOOL IsPageCreated() const { return pageState_ == 1; }
  void SetPageState(int state) { pageState_ = state; }
  BOOL GetMenusMerged() const { return menusMerged_ != 0; }
  // A private copy of the entry selected in the tree; TRUE when there is
  // one (the caller owns it).
  BOOL GetCurrentItem(std::unique_ptr<CQXDocEntry>* entry);
  // Runs the update handlers of a popup opened for the page (its context
  // menus) through the page's route.
  void UpdatePopupMenu(QMenu* popup);

  BOOL OnSetActive() override;
  BOOL OnKillActive() override;
  // A token editor of the page with the focus takes the editors' keys
  // (Ctrl+A and the rest) as commands of the page.
  BOOL PreTranslateMessage(MSG* msg) override;

 protected:
  BOOL OnInitDialog() override;
  void OnDestroy() override;
  LRESULT OnRestoreFocus(WPARAM, LPARAM);
  LRESULT OnFocusWindow(WPARAM wParam, LPARAM);
  LRESULT OnGetViewData(WPARAM, LPARAM lParam);
  // The selection's description as the tab text.
  void SetTabTextFromSelection();
  // A control the page creates takes the place of the form's placeholder
  // `id`: hidden and disabled, the placeholder keeps its place in the
  // form's layout; `rect` receives its rectangle in the page.
  void HidePlaceholder(UINT id, QRect* rect);
  // Where that control goes in a page of cx x cy: from the placeholder's
  // top edge to the bottom, one pixel in at the sides and the bottom;
  // `rect` follows the placeholder.
  QRect PlaceholderArea(UINT id, QRect* rect, int cx, int cy) const;

  BOOL autoMenuEnable = TRUE;
  BOOL tabTextFromDescription = FALSE;
  CDocument* document = nullptr;
  CWnd* mainFrame = nullptr;

 private:
  void init();

  UINT pageId_ = 0;
  QPointer<QWidget> savedFocus_;
  BOOL postSizeOnActivation_ = FALSE;
  int pageState_ = 1;
  int menusMerged_ = 0;
  std::vector<CAcceleratorEntry> editorKeys_;
};

// Focuses `window` when it exists, is visible and enabled; TRUE then.
BOOL SetFocusIfUsable(QWidget* window);

