// The image pages: calculator pictures (older 4014, newer 5014 with two
// layers) and screen copies (4017) shown in a zoomable bitmap control.
//
// CQXImageDataPage: the bitmap control (id 1) takes the place of the
// placeholder 1059 from its top edge down; the zoom spin (edit 1060) and
// the commands zoom in and out, copy, export, paste and import. Pasted and
// imported bitmaps are fitted to the picture's size and colours before they
// replace the image. The zoom is shared by every image page through
// "Display Page"/"Zoom Factor". The print view asks for the zoom and the
// bitmap (print kind 3).
//
// An image whose bytes disagree with its size (width x height / 8 x planes
// x groups) is refused before it is drawn: a damaged record may claim
// planes it does not hold.
//
// CQXPictureDataPage, CQXPictureV5DataPage: take images in and write them
// back into the item's planes; the newer picture shows both its layers
// ANDed and keeps only the first when it is written.
// CQXScreenDataPage: the screen copy read-only, with its name (1058).
#pragma once

#include "pages/QXDataPage.h"
#include "pages/QXPageView.h"
#include "classlib/OrvoBitmapScrollView.h"
#include "datamodel/ScreenFormat.h"

#include <QLineEdit>
#include <QPointer>
#include <QSpinBox>
#include <QRect>

#include <string>

class CCmdUI;

class CQXImageDataPage : public CQXDataPage {
  Q_OBJECT

 public:
  Q_INVOKABLE CQXImageDataPage();
  explicit CQXImageDataPage(UINT templateId);
  ~CQXImageDataPage() override;
  DECLARE_MESSAGE_MAP()

  enum : UINT { kPlaceholderId = 1059, kZoomEdit = 1060, kImageControlId = 1, kContextMenuId = 304 };
  static constexpr int kMinZoom = 1, kMaxZoom = 25;

  BOOL IsModified() override { return m_modified; }
  void SetModified(BOOL modified) override { m_modified = modified; }
  // Code 2: the item changed; the page shows it again.
  void OnDocNotify(int code, QObject* argument) override;
  int GetPrintKind() const override { return kPrintKindImage; }
  BOOL FillViewData(void* detail) override;

  COrvoBitmapControl* GetImageControl() const { return m_image; }
  QSpinBox* GetZoomSpin() const { return m_zoomSpin; }
  int GetZoom() const;
  BOOL IsImageInputAllowed() const { return m_imageInputAllowed; }
  // Fits `source` to the picture (two-tone "BW" on "Background BW" below
  // two planes, else the picture colours) and makes it the image; FALSE,
  // nothing changed, when it cannot be fitted or the picture could not take
  // it back into its planes (the user is told why).
  BOOL TakeImage(const CBitmap& source);

  // Commands and their update handlers.
  void OnZoomIn();
  void OnZoomOut();
  void OnExport();
  void OnImport();
  void OnEditCopy();
  void OnEditPaste();
  void OnNothing() {}
  void OnUpdateZoomIn(CCmdUI* ui);
  void OnUpdateZoomOut(CCmdUI* ui);
  void OnUpdateExport(CCmdUI* ui);
  void OnUpdateImport(CCmdUI* ui);
  void OnUpdateEditCopy(CCmdUI* ui);
  void OnUpdateEditPaste(CCmdUI* ui);
  void OnUpdateNever(CCmdUI* ui);

 protected:
  BOOL OnInitDialog() override;
  void OnSize(UINT type, int cx, int cy) override;
  void OnDestroy() override;
  // Where the page takes the entry it shows from: the selection's.
  virtual BOOL FetchCurrentItem(std::unique_ptr<CQXDocEntry>* entry) { return GetCurrentItem(entry); }
  // Loads the selected entry into the page.
  void LoadCurrentItem();
  // The image control has the focus.
  BOOL ImageHasFocus() const;
  // Shows the planes of `format` (checked first) and keeps the picture's
  // size and planes; on failure shows why with a stop icon and clears the
  // image. TRUE when it is shown.
  BOOL ShowFormat(const ScreenFormat& format, BOOL monochrome);
  // Clears the image control.
  void ClearImage();
  // 0 when `fitted` can be written into the planes of the picture as it was
  // shown, else the id of the message that says why not.
  int WriteBackError(const CBitmap& fitted) const;
  // Adds a separator and the export item (and the import item) at the end
  // of the Edit menu, or takes them out again.
  void MergeImageMenuItems(BOOL withImport);
  void UnmergeImageMenuItems(BOOL withImport);

  QRect m_imageRect;
  QPointer<COrvoBitmapControl> m_image;
  BOOL m_imageInputAllowed = FALSE;
  BOOL m_modified = FALSE;
  int m_imageWidth = 0;
  int m_imageHeight = 0;
  int m_planeCount = 1;
  // The layout of the picture shown (its planes not kept: `data` is null).
  ScreenFormat m_format;
  QPointer<QSpinBox> m_zoomSpin;

 private:
  void setZoom(int zoom);
};

// Whether the image's bytes are exactly what its size claims.
BOOL IsImageFormatWhole(const ScreenFormat& format);

class CQXPictureDataPage : public CQXImageDataPage {
  Q_OBJECT

 public:
  Q_INVOKABLE CQXPictureDataPage();
  DECLARE_MESSAGE_MAP()

  BOOL LoadFromItem(CQXDocEntry* entry) override;
  BOOL StoreToItem(CQXDocEntry* entry) override;
  // A picture that cannot take its image back stays so.
  BOOL IsRefusalMendable() override { return FALSE; }
  void MergeMenus() override;
  void UnmergeMenus() override;

 protected:
  // The "Color" value of the document's calculator model (1 without one).
  int ModelColor() const;
};

class CQXPictureV5DataPage : public CQXPictureDataPage {
  Q_OBJECT

 public:
  Q_INVOKABLE CQXPictureV5DataPage();

  BOOL LoadFromItem(CQXDocEntry* entry) override;
  BOOL StoreToItem(CQXDocEntry* entry) override;
};

class CQXScreenDataPage : public CQXImageDataPage {
  Q_OBJECT

 public:
  enum : UINT { kPageId = 637, kNameEdit = 1058 };
  // A name becomes the entry's description, which holds 63 characters.
  static constexpr int kMaxName = 63;
  Q_INVOKABLE CQXScreenDataPage();
  DECLARE_MESSAGE_MAP()

  BOOL LoadFromItem(CQXDocEntry* entry) override;
  BOOL StoreToItem(CQXDocEntry* entry) override;
  BOOL IsModified() override;
  void SetModified(BOOL modified) override;
  BOOL Validate(TreeItemInfo* info) override;
  void MergeMenus() override;
  void UnmergeMenus() override;

  QLineEdit* GetNameEdit() const { return m_nameEdit; }

  // The Edit commands act on the name while it has the focus; Copy copies
  // the image otherwise.
  void OnEditUndo();
  void OnEditCut();
  void OnEditCopy();
  void OnEditPaste();
  void OnEditClear();
  void OnEditSelectAll();
  void OnUpdateEditUndo(CCmdUI* ui);
  void OnUpdateEditCut(CCmdUI* ui);
  void OnUpdateEditCopy(CCmdUI* ui);
  void OnUpdateEditPaste(CCmdUI* ui);
  void OnUpdateEditSelectAll(CCmdUI* ui);

 protected:
  BOOL OnInitDialog() override;

 private:
  // The name edit while it has the focus, else null.
  QLineEdit* focusedName() const;
  std::string nameCodes() const;

  QPointer<QLineEdit> m_nameEdit;
  std::string m_savedName;  // calculator codes
};

// The page views: the kind's page, then the description page.
class CQXPictureDataView : public CQXDataPageView {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit CQXPictureDataView(QWidget* parent = nullptr);
  BOOL CreatePages() override;
};

class CQXPictureV5DataView : public CQXDataPageView {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit CQXPictureV5DataView(QWidget* parent = nullptr);
  BOOL CreatePages() override;
};

class CQXScreenDataView : public CQXDataPageView {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit CQXScreenDataView(QWidget* parent = nullptr);
  BOOL CreatePages() override;
};

void RegisterImagePageClasses();
