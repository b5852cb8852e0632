#include "pages/QXImagePages.h"

#include "app/MainFrameFunctions.h"
#include "app/MenuPopups.h"
#include "app/QXTreeView.h"
#include "classlib/BitmapFunctions.h"
#include "classlib/OrvoBitmapScrollView.h"
#include "classlib/PictureColors.h"
#include "classlib/ProfileSettings.h"
#include "classlib/SettingsTable.h"
#include "datamodel/PictureConversion.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXImageItems.h"
#include "datamodel/QXImageV5Items.h"
#include "pages/QXSimpleDataView.h"
#include "platform/CalcTextEdit.h"
#include "platform/CmdUI.h"
#include "platform/LanguageLibrary.h"
#include "platform/Menu.h"
#include "platform/MessageBox.h"
#include "platform/RuntimeClass.h"
#include "services/DocServices.h"
#include "services/ProgramServices.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QSpinBox>

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

namespace {

constexpr UINT kZoomIn = 20066, kZoomOut = 20067, kExport = 20068, kImport = 20069;
constexpr UINT kDelete = 22100;
constexpr UINT kCommandFailed = 61705, kUnknownError = 61476, kEmptyName = 10569;
constexpr UINT kExportText = 10045, kImportText = 10046;
constexpr DWORD kImageControlStyle = 0x50810000;  // child, visible, border, tab stop
constexpr char kZoomKey[] = "Zoom Factor";

const char* displayPage() { return tallix::settings::kDisplayPage; }

bool clipboardHas(bool image) {
  const QClipboard* clipboard = QGuiApplication::clipboard();
  const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
  return data && (image ? data->hasImage() : data->hasText());
}

}  // namespace

BOOL IsImageFormatWhole(const ScreenFormat& format) {
  if (!format.data || format.width <= 0 || format.height <= 0 || format.planes <= 0 || format.extra <= 0)
    return FALSE;
  const std::uint64_t plane = std::uint64_t(format.width) * std::uint64_t(format.height) / 8;
  return plane * std::uint64_t(format.planes) * std::uint64_t(format.extra) == format.dataSize;
}

// ---------------------------------------------------------------- CQXImageDataPage

const CMessageMap& CQXImageDataPage::messageMap() {
  using P = CQXImageDataPage;
  static const CMessageMap map = MessageMapOf<P>(CQXDataPage::messageMap())
                                     .command(kZoomIn, &P::OnZoomIn)
                                     .command(kZoomOut, &P::OnZoomOut)
                                     .command(kExport, &P::OnExport)
                                     .command(kImport, &P::OnImport)
                                     .command(ID_EDIT_COPY, &P::OnEditCopy)
                                     .command(ID_EDIT_PASTE, &P::OnEditPaste)
                                     .command(ID_EDIT_UNDO, &P::OnNothing)
                                     .updateUI(kZoomIn, &P::OnUpdateZoomIn)
                                     .updateUI(kZoomOut, &P::OnUpdateZoomOut)
                                     .updateUI(kExport, &P::OnUpdateExport)
                                     .updateUI(kImport, &P::OnUpdateImport)
                                     .updateUI(ID_EDIT_COPY, &P::OnUpdateEditCopy)
                                     .updateUI(ID_EDIT_PASTE, &P::OnUpdateEditPaste)
                                     .updateUI(ID_EDIT_UNDO, &P::OnUpdateNever);
  return map;
}

CQXImageDataPage::CQXImageDataPage() : CQXImageDataPage(0) {}

CQXImageDataPage::CQXImageDataPage(UINT templateId) : CQXDataPage(templateId) {}

CQXImageDataPage::~CQXImageDataPage() = default;

BOOL CQXImageDataPage::OnInitDialog() {
  CQXDataPage::OnInitDialog();
  auto* image = new COrvoBitmapControl;
  if (!image->Create(kImageControlStyle, kImageControlId, this)) {
    delete image;
    SetPageState(0);
    return FALSE;
  }
  m_image = image;
  HidePlaceholder(kPlaceholderId, &m_imageRect);
  const int zoom = std::clamp(tallix::settings::readInt(displayPage(), kZoomKey), kMinZoom, kMaxZoom);
  m_zoomSpin = GetDlgItemAs<QSpinBox>(int(kZoomEdit));
  if (m_zoomSpin) {
    m_zoomSpin->setRange(kMinZoom, kMaxZoom);
    m_zoomSpin->setValue(zoom);
    connect(m_zoomSpin.data(), &QSpinBox::valueChanged, this, [this](int value) {
      if (m_image) m_image->SetZoom(value);
    });
  }
  m_image->SetZoom(zoom);
  m_image->raise();
  m_image->contextMenuId = kContextMenuId;
  OnSize(SIZE_RESTORED, width(), height());
  LoadCurrentItem();
  return FALSE;
}

void CQXImageDataPage::OnSize(UINT type, int cx, int cy) {
  CQXDataPage::OnSize(type, cx, cy);
  const QRect area = PlaceholderArea(kPlaceholderId, &m_imageRect, cx, cy);
  if (m_image) m_image->setGeometry(area);
}

void CQXImageDataPage::OnDestroy() {
  if (m_zoomSpin) AppWriteProfileInt(displayPage(), kZoomKey, m_zoomSpin->value());
  CQXDataPage::OnDestroy();
}

void CQXImageDataPage::LoadCurrentItem() {
  std::unique_ptr<CQXDocEntry> entry;
  FetchCurrentItem(&entry);
  LoadFromItem(entry.get());
}

void CQXImageDataPage::OnDocNotify(int code, QObject*) {
  if (code == kNotifyItemChanged && HasWindow()) LoadCurrentItem();
}

BOOL CQXImageDataPage::FillViewData(void* detail) {
  auto* record = static_cast<QXViewDataImage*>(detail);
  if (!record || record->size != int(sizeof(QXViewDataImage)) || record->kind != kPrintKindImage || !m_image)
    return FALSE;
  record->zoom = m_image->GetZoom();
  record->bitmap = const_cast<CBitmap*>(&m_image->GetBitmap());
  return TRUE;
}

int CQXImageDataPage::GetZoom() const { return m_image ? m_image->GetZoom() : kMinZoom; }

void CQXImageDataPage::setZoom(int zoom) {
  zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
  if (m_zoomSpin)
    m_zoomSpin->setValue(zoom);  // the spin gives it to the control
  else if (m_image)
    m_image->SetZoom(zoom);
}

BOOL CQXImageDataPage::ImageHasFocus() const { return m_image && m_image->hasFocus(); }

void CQXImageDataPage::ClearImage() {
  if (m_image) m_image->SetBitmap(CBitmap());
}

BOOL CQXImageDataPage::ShowFormat(const ScreenFormat& format, BOOL monochrome) {
  m_imageWidth = format.width;
  m_imageHeight = format.height;
  m_planeCount = format.planes;
  m_format = format;
  m_format.data = nullptr;
  int error = kUnsupportedPictureFormat;
  CBitmap bitmap;
  if (IsImageFormatWhole(format) && CalcPlanesToBitmap(format, bitmap, monochrome, error)) {
    if (m_image) m_image->SetBitmap(std::move(bitmap));
    return TRUE;
  }
  ClearImage();
  AfxMessageBox(UINT(error ? error : kUnsupportedPictureFormat), MB_ICONSTOP);
  return FALSE;
}

BOOL CQXImageDataPage::TakeImage(const CBitmap& source) {
  if (!m_imageInputAllowed || !m_image) return FALSE;
  CBitmap fitted;
  const BOOL fits =
      m_planeCount < 2
          ? MakeTwoToneBitmap(source, fitted, m_imageWidth, m_imageHeight, GetBWColor(), GetBackgroundBWColor())
          : MapPictureColors(source, fitted, m_imageWidth, m_imageHeight);
  if (!fits) return FALSE;
  // Refused now rather than when the page is stored: a page that cannot be
  // stored would keep its edits and the user with them.
  if (const int error = WriteBackError(fitted)) {
    AfxMessageBox(UINT(error), MB_ICONSTOP);
    return FALSE;
  }
  m_image->SetBitmap(std::move(fitted));
  m_modified = TRUE;
  return TRUE;
}

int CQXImageDataPage::WriteBackError(const CBitmap& fitted) const {
  ScreenFormat trial = m_format;
  std::vector<BYTE> planes;
  try {
    planes.assign(trial.dataSize, 0);
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
  trial.data = planes.empty() ? nullptr : planes.data();
  int error = 0;
  if (BitmapToCalcPlanes(trial, const_cast<CBitmap&>(fitted), error)) return 0;
  return error ? error : kUnsupportedPictureFormat;
}

void CQXImageDataPage::OnZoomIn() {
  if (GetZoom() < kMaxZoom) setZoom(GetZoom() + 1);
}

void CQXImageDataPage::OnZoomOut() {
  if (GetZoom() > kMinZoom) setZoom(GetZoom() - 1);
}

void CQXImageDataPage::OnExport() {
  if (m_image && !SaveBitmapAsFile(m_image->GetBitmap(), GetZoom())) AfxMessageBox(kCommandFailed, MB_ICONSTOP);
}

void CQXImageDataPage::OnImport() {
  if (!m_imageInputAllowed) return;
  CBitmap loaded;
  if (!LoadBitmapFromFile(loaded)) {
    AfxMessageBox(kCommandFailed, MB_ICONSTOP);
    return;
  }
  TakeImage(loaded);  // Cancel left it empty: nothing fits, nothing changes
}

void CQXImageDataPage::OnEditCopy() {
  if (ImageHasFocus()) CopyBitmapToClipboard(m_image->GetBitmap(), GetZoom());
}

void CQXImageDataPage::OnEditPaste() {
  if (!m_imageInputAllowed || !ImageHasFocus()) return;
  CBitmap pasted;
  if (PasteBitmapFromClipboard(pasted)) TakeImage(pasted);
}

void CQXImageDataPage::OnUpdateZoomIn(CCmdUI* ui) { ui->Enable(GetZoom() < kMaxZoom); }
void CQXImageDataPage::OnUpdateZoomOut(CCmdUI* ui) { ui->Enable(GetZoom() > kMinZoom); }
void CQXImageDataPage::OnUpdateExport(CCmdUI* ui) { ui->Enable(TRUE); }
void CQXImageDataPage::OnUpdateImport(CCmdUI* ui) { ui->Enable(m_imageInputAllowed); }
void CQXImageDataPage::OnUpdateEditCopy(CCmdUI* ui) { ui->Enable(ImageHasFocus()); }
void CQXImageDataPage::OnUpdateEditPaste(CCmdUI* ui) {
  ui->Enable(m_imageInputAllowed && ImageHasFocus() && clipboardHas(true));
}
void CQXImageDataPage::OnUpdateNever(CCmdUI* ui) { ui->Enable(FALSE); }

void CQXImageDataPage::MergeImageMenuItems(BOOL withImport) {
  EditMenuEntryItem(kPopupEdit, FALSE);
  CMenu* edit = GetMenuPopupByKey(kPopupEdit);
  if (!edit) return;
  edit->AppendMenu(MF_SEPARATOR);
  edit->AppendMenu(MF_STRING, kExport, CLanguageLibrary::LoadString(kExportText));
  if (withImport) edit->AppendMenu(MF_STRING, kImport, CLanguageLibrary::LoadString(kImportText));
}

void CQXImageDataPage::UnmergeImageMenuItems(BOOL withImport) {
  if (CMenu* edit = GetMenuPopupByKey(kPopupEdit)) {
    if (withImport) edit->RemoveMenu(kImport, MF_BYCOMMAND);
    const int count = edit->GetMenuItemCount();
    if (count > 0 && edit->GetMenuItemID(count - 1) == kExport) {
      edit->RemoveMenu(UINT(count - 1), MF_BYPOSITION);
      // The separator that was added before it.
      if (count > 1 && edit->GetMenuItemID(count - 2) == 0) edit->RemoveMenu(UINT(count - 2), MF_BYPOSITION);
    }
  }
  EditMenuEntryItem(kPopupEdit, TRUE);
}

// ---------------------------------------------------------------- CQXPictureDataPage

const CMessageMap& CQXPictureDataPage::messageMap() {
  using P = CQXPictureDataPage;
  static const CMessageMap map = MessageMapOf<P>(CQXImageDataPage::messageMap())
                                     .command(ID_EDIT_CUT, &P::OnNothing)
                                     .command(kDelete, &P::OnNothing)
                                     .command(ID_EDIT_SELECT_ALL, &P::OnNothing)
                                     .updateUI(ID_EDIT_CUT, &P::OnUpdateNever)
                                     .updateUI(kDelete, &P::OnUpdateNever)
                                     .updateUI(ID_EDIT_SELECT_ALL, &P::OnUpdateNever);
  return map;
}

CQXPictureDataPage::CQXPictureDataPage() : CQXImageDataPage(635) {
  m_imageInputAllowed = TRUE;
  tabTextFromDescription = TRUE;
}

int CQXPictureDataPage::ModelColor() const {
  auto* doc = dynamic_cast<CQXDocServices*>(document);
  if (!doc) return 1;
  std::string model;
  doc->GetCalculatorName(&model);
  return ReadModelInt(model.c_str(), "Color", 1);
}

BOOL CQXPictureDataPage::LoadFromItem(CQXDocEntry* entry) {
  m_modified = FALSE;
  m_format = ScreenFormat{};
  auto* picture = entry ? dynamic_cast<CQXPictureItem*>(entry->GetItem()) : nullptr;
  if (!picture) {
    ClearImage();
    return TRUE;
  }
  const BOOL monochrome = ModelColor() == 0;
  ScreenFormat format;
  picture->GetImageFormat(format);
  ShowFormat(format, monochrome);
  return TRUE;
}

BOOL CQXPictureDataPage::StoreToItem(CQXDocEntry* entry) {
  if (!m_modified) return TRUE;
  auto* picture = entry ? dynamic_cast<CQXPictureItem*>(entry->GetItem()) : nullptr;
  ScreenFormat format;
  int error = 0;
  if (!picture || !m_image || !picture->GetImageFormat(format) ||
      !BitmapToCalcPlanes(format, const_cast<CBitmap&>(m_image->GetBitmap()), error)) {
    AfxMessageBox(kUnknownError, MB_ICONSTOP);
    return FALSE;
  }
  return TRUE;
}

void CQXPictureDataPage::MergeMenus() { MergeImageMenuItems(TRUE); }

void CQXPictureDataPage::UnmergeMenus() { UnmergeImageMenuItems(TRUE); }

// ---------------------------------------------------------------- CQXPictureV5DataPage

CQXPictureV5DataPage::CQXPictureV5DataPage() = default;

BOOL CQXPictureV5DataPage::LoadFromItem(CQXDocEntry* entry) {
  m_modified = FALSE;
  m_format = ScreenFormat{};
  auto* picture = entry ? dynamic_cast<CQXPictureV5Item*>(entry->GetItem()) : nullptr;
  if (!picture) {
    ClearImage();
    return TRUE;
  }
  ScreenFormat format;
  picture->GetImageFormat(format);
  if (!ShowFormat(format, FALSE) || !m_image) return TRUE;
  // The second layer follows the first; a record of one plane has none,
  // and the conversion refuses the bytes that are not there.
  const std::uint64_t plane = std::uint64_t(format.width) * std::uint64_t(format.height) / 8;
  format.data += plane;
  format.dataSize -= DWORD(plane);
  CBitmap second;
  int error = 0;
  if (!CalcPlanesToBitmap(format, second, FALSE, error)) return TRUE;
  CBitmap shown;
  if (shown.SetImage(m_image->GetBitmap().GetImage()) && AndBitmapInto(shown, second))
    m_image->SetBitmap(std::move(shown));
  return TRUE;
}

BOOL CQXPictureV5DataPage::StoreToItem(CQXDocEntry* entry) {
  if (!m_modified) return TRUE;
  auto* picture = entry ? dynamic_cast<CQXPictureV5Item*>(entry->GetItem()) : nullptr;
  ScreenFormat format;
  int error = 0;
  // The item keeps the first layer written here and clears the second.
  if (!picture || !m_image || !picture->GetImageFormat(format) ||
      !BitmapToCalcPlanes(format, const_cast<CBitmap&>(m_image->GetBitmap()), error) || !picture->SetImage(format)) {
    AfxMessageBox(kUnknownError, MB_ICONSTOP);
    return FALSE;
  }
  return TRUE;
}

// ---------------------------------------------------------------- CQXScreenDataPage

const CMessageMap& CQXScreenDataPage::messageMap() {
  using P = CQXScreenDataPage;
  static const CMessageMap map = MessageMapOf<P>(CQXImageDataPage::messageMap())
                                     .command(ID_EDIT_UNDO, &P::OnEditUndo)
                                     .command(ID_EDIT_CUT, &P::OnEditCut)
                                     .command(ID_EDIT_COPY, &P::OnEditCopy)
                                     .command(ID_EDIT_PASTE, &P::OnEditPaste)
                                     .command(kDelete, &P::OnEditClear)
                                     .command(ID_EDIT_SELECT_ALL, &P::OnEditSelectAll)
                                     .updateUI(ID_EDIT_UNDO, &P::OnUpdateEditUndo)
                                     .updateUI(ID_EDIT_CUT, &P::OnUpdateEditCut)
                                     .updateUI(ID_EDIT_COPY, &P::OnUpdateEditCopy)
                                     .updateUI(ID_EDIT_PASTE, &P::OnUpdateEditPaste)
                                     .updateUI(kDelete, &P::OnUpdateEditCut)
                                     .updateUI(ID_EDIT_SELECT_ALL, &P::OnUpdateEditSelectAll);
  return map;
}

CQXScreenDataPage::CQXScreenDataPage() : CQXImageDataPage(kPageId) {}

BOOL CQXScreenDataPage::OnInitDialog() {
  CQXImageDataPage::OnInitDialog();
  m_nameEdit = GetDlgItemAs<QLineEdit>(int(kNameEdit));
  TreeItemInfo info;
  info.mask = TreeItemInfo::kDescription;
  GetSelectedItemInfo(&info);
  m_savedName = info.description;
  if (m_nameEdit) {
    MakeCalcTextEdit(m_nameEdit, kMaxName);
    SetCalcEditCodes(m_nameEdit, m_savedName);
  }
  return FALSE;
}

BOOL CQXScreenDataPage::LoadFromItem(CQXDocEntry* entry) {
  auto* screen = entry ? dynamic_cast<CQXScreenItem*>(entry->GetItem()) : nullptr;
  ScreenFormat format;
  if (!screen) {
    ClearImage();
    return TRUE;
  }
  if (!screen->GetImageFormat(format)) {
    ClearImage();
    AfxMessageBox(UINT(kUnsupportedPictureFormat), MB_ICONSTOP);
    return TRUE;
  }
  ShowFormat(format, FALSE);
  return TRUE;
}

BOOL CQXScreenDataPage::StoreToItem(CQXDocEntry* entry) {
  auto* screen = entry ? dynamic_cast<CQXScreenItem*>(entry->GetItem()) : nullptr;
  if (screen && m_nameEdit) screen->SetText(nameCodes().c_str());
  return TRUE;
}

BOOL CQXScreenDataPage::IsModified() {
  return m_nameEdit && nameCodes() != m_savedName;
}

// The name is calculator text, as the tree shows it; the bytes the user did
// not edit stay as they were stored.
std::string CQXScreenDataPage::nameCodes() const { return GetCalcEditCodes(m_nameEdit); }

void CQXScreenDataPage::SetModified(BOOL modified) {
  if (!m_nameEdit) return;
  m_savedName = nameCodes();
  m_nameEdit->setModified(modified != FALSE);
}

BOOL CQXScreenDataPage::Validate(TreeItemInfo*) {
  if (!m_nameEdit || !m_nameEdit->text().isEmpty()) return TRUE;
  AfxMessageBox(kEmptyName, MB_ICONEXCLAMATION);
  if (GetSheet() && GetActivePageId() != kPageId) ActivatePage(kPageId);
  m_nameEdit->setFocus();
  SwitchToPane(1);
  return FALSE;
}

void CQXScreenDataPage::MergeMenus() { MergeImageMenuItems(FALSE); }

void CQXScreenDataPage::UnmergeMenus() { UnmergeImageMenuItems(FALSE); }

QLineEdit* CQXScreenDataPage::focusedName() const { return m_nameEdit && m_nameEdit->hasFocus() ? m_nameEdit : nullptr; }

void CQXScreenDataPage::OnEditUndo() {
  if (QLineEdit* edit = focusedName()) edit->undo();
}

void CQXScreenDataPage::OnEditCut() {
  if (QLineEdit* edit = focusedName()) CalcEditCut(edit);
}

void CQXScreenDataPage::OnEditCopy() {
  if (QLineEdit* edit = focusedName())
    CalcEditCopy(edit);
  else
    CQXImageDataPage::OnEditCopy();
}

void CQXScreenDataPage::OnEditPaste() {
  if (QLineEdit* edit = focusedName()) CalcEditPaste(edit);
}

void CQXScreenDataPage::OnEditClear() {
  if (QLineEdit* edit = focusedName()) edit->del();
}

void CQXScreenDataPage::OnEditSelectAll() {
  // The caret goes to the end of the selection, into view.
  if (QLineEdit* edit = focusedName()) edit->selectAll();
}

void CQXScreenDataPage::OnUpdateEditUndo(CCmdUI* ui) {
  const QLineEdit* edit = focusedName();
  ui->Enable(edit && edit->isUndoAvailable());
}

void CQXScreenDataPage::OnUpdateEditCut(CCmdUI* ui) {
  const QLineEdit* edit = focusedName();
  ui->Enable(edit && edit->hasSelectedText());
}

void CQXScreenDataPage::OnUpdateEditCopy(CCmdUI* ui) {
  if (const QLineEdit* edit = focusedName())
    ui->Enable(edit->hasSelectedText());
  else
    CQXImageDataPage::OnUpdateEditCopy(ui);
}

void CQXScreenDataPage::OnUpdateEditPaste(CCmdUI* ui) { ui->Enable(focusedName() && clipboardHas(false)); }

void CQXScreenDataPage::OnUpdateEditSelectAll(CCmdUI* ui) {
  const QLineEdit* edit = focusedName();
  ui->Enable(edit && !edit->text().isEmpty());
}

// ---------------------------------------------------------------- views

QX_SIMPLE_DATA_VIEW(CQXPictureDataView, CQXPictureDataPage, 635, 10035)
QX_SIMPLE_DATA_VIEW(CQXPictureV5DataView, CQXPictureV5DataPage, 635, 10035)
QX_SIMPLE_DATA_VIEW(CQXScreenDataView, CQXScreenDataPage, 637, 10037)

void RegisterImagePageClasses() {
  for (const CRuntimeClass* cls :
       {RUNTIME_CLASS(CQXImageDataPage), RUNTIME_CLASS(CQXPictureDataPage), RUNTIME_CLASS(CQXPictureV5DataPage),
        RUNTIME_CLASS(CQXScreenDataPage), RUNTIME_CLASS(CQXPictureDataView), RUNTIME_CLASS(CQXPictureV5DataView),
        RUNTIME_CLASS(CQXScreenDataView)})
    RegisterRuntimeClass(cls);
}
