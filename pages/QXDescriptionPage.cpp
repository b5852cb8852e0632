#include "pages/QXDescriptionPage.h"

#include "app/MenuPopups.h"
#include "charset/Cp1252.h"
#include "classlib/ProfileSettings.h"
#include "datamodel/QXDocEntry.h"
#include "platform/ByteOrder.h"
#include "platform/CmdUI.h"
#include "platform/LanguageLibrary.h"
#include "platform/Menu.h"
#include "platform/MessageBox.h"
#include "platform/RtfCodec.h"
#include "platform/RuntimeClass.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontDialog>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextDocument>

#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr UINT kStringOutOfMemory = 61706;
constexpr UINT kContextMenu = 308;
constexpr double kTabStopTwips = 360.0;
constexpr const char* kSettings = "Settings";
constexpr const char* kDescFontKey = "Desc Page Font";

// The character format of the profile record.
constexpr size_t kRecordSize = 72;
constexpr DWORD kFormatSize = 60;
constexpr DWORD kMaskBold = 0x1, kMaskItalic = 0x2, kMaskUnderline = 0x4, kMaskStrikeOut = 0x8;
constexpr DWORD kMaskCharset = 0x08000000, kMaskFace = 0x20000000, kMaskSize = 0x80000000;
constexpr size_t kFormat = 8, kFaceOffset = kFormat + 26, kFaceSize = 32;

QFont defaultDescFont() {
  QFont font(QStringLiteral("Arial"));
  font.setPointSizeF(10.0);
  return font;
}

}  // namespace

BOOL ReadDescPageFont(QFont* out) {
  if (!out) return FALSE;
  *out = defaultDescFont();
  std::vector<BYTE> r;
  if (!tallix::profileBinary(kSettings, kDescFontKey, &r) || r.size() != kRecordSize) return FALSE;
  if (GetLittleEndian32(&r[0]) != kRecordSize || GetLittleEndian32(&r[4]) != kFormatSize ||
      GetLittleEndian32(&r[68]) != 0 || GetLittleEndian32(&r[kFormat]) != kFormatSize)
    return FALSE;
  const DWORD mask = GetLittleEndian32(&r[kFormat + 4]);
  const DWORD effects = GetLittleEndian32(&r[kFormat + 8]);
  const auto height = int32_t(GetLittleEndian32(&r[kFormat + 12]));
  const BYTE* face = &r[kFaceOffset];
  const auto faceLength = size_t(std::find(face, face + kFaceSize, BYTE(0)) - face);
  if (faceLength == kFaceSize) return FALSE;  // not terminated
  if ((mask & kMaskFace) && faceLength == 0) return FALSE;
  if ((mask & kMaskSize) && (height < 20 || height > 32760)) return FALSE;
  QFont font = defaultDescFont();
  if (mask & kMaskFace) font.setFamily(tallix::fromCp1252({reinterpret_cast<const char*>(face), faceLength}));
  if (mask & kMaskSize) font.setPointSizeF(height / 20.0);
  if (mask & kMaskBold) font.setBold(effects & kMaskBold);
  if (mask & kMaskItalic) font.setItalic(effects & kMaskItalic);
  if (mask & kMaskUnderline) font.setUnderline(effects & kMaskUnderline);
  if (mask & kMaskStrikeOut) font.setStrikeOut(effects & kMaskStrikeOut);
  *out = font;
  return TRUE;
}

BOOL WriteDescPageFont(const QFont& font) {
  std::vector<BYTE> r(kRecordSize, 0);
  PutLittleEndian32(&r[0], kRecordSize);
  PutLittleEndian32(&r[4], kFormatSize);
  PutLittleEndian32(&r[kFormat], kFormatSize);
  PutLittleEndian32(&r[kFormat + 4],
           kMaskBold | kMaskItalic | kMaskUnderline | kMaskStrikeOut | kMaskCharset | kMaskFace | kMaskSize);
  const DWORD effects = (font.bold() ? kMaskBold : 0) | (font.italic() ? kMaskItalic : 0) |
                        (font.underline() ? kMaskUnderline : 0) | (font.strikeOut() ? kMaskStrikeOut : 0);
  PutLittleEndian32(&r[kFormat + 8], effects);
  const double points = font.pointSizeF() > 0 ? font.pointSizeF() : 10.0;
  PutLittleEndian32(&r[kFormat + 12], DWORD(int32_t(points * 20.0 + 0.5)));
  const std::string face = tallix::toCp1252(font.family()).substr(0, kFaceSize - 1);
  std::memcpy(&r[kFaceOffset], face.data(), face.size());
  return AppWriteProfileBinary(kSettings, kDescFontKey, r.data(), UINT(r.size()));
}

// ---------------------------------------------------------------- the control

const CMessageMap& CQXDescriptionEdit::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXDescriptionEdit>(CCmdTarget::messageMap())
                                     .command(57643, &CQXDescriptionEdit::OnUndo)
                                     .updateUI(57643, &CQXDescriptionEdit::OnUpdateUndo)
                                     .command(57635, &CQXDescriptionEdit::OnCut)
                                     .updateUI(57635, &CQXDescriptionEdit::OnUpdateNeedsSelection)
                                     .command(57634, &CQXDescriptionEdit::OnCopy)
                                     .updateUI(57634, &CQXDescriptionEdit::OnUpdateNeedsSelection)
                                     .command(57637, &CQXDescriptionEdit::OnPaste)
                                     .updateUI(57637, &CQXDescriptionEdit::OnUpdatePaste)
                                     .command(22100, &CQXDescriptionEdit::OnDelete)
                                     .updateUI(22100, &CQXDescriptionEdit::OnUpdateNeedsSelection)
                                     .command(57642, &CQXDescriptionEdit::OnSelectAll)
                                     .updateUI(57642, &CQXDescriptionEdit::OnUpdateSelectAll)
                                     .command(kCmdFont, &CQXDescriptionEdit::OnFont)
                                     .command(kCmdDefaultFont, &CQXDescriptionEdit::OnDefaultFont);
  return map;
}

CQXDescriptionEdit::CQXDescriptionEdit(QWidget* parent) : QTextEdit(parent) {
  setAcceptRichText(true);
  setTabChangesFocus(false);
}

CQXDescriptionEdit::~CQXDescriptionEdit() = default;

int CQXDescriptionEdit::TextLength() const { return std::max(0, document()->characterCount() - 1); }

int CQXDescriptionEdit::room() const {
  const QTextCursor c = textCursor();
  return kTextLimit - (TextLength() - (c.selectionEnd() - c.selectionStart()));
}

void CQXDescriptionEdit::ApplyFont(const QFont& font) {
  QTextCharFormat format;
  format.setFont(font);
  mergeCurrentCharFormat(format);
}

void CQXDescriptionEdit::keyPressEvent(QKeyEvent* event) {
  // Tab is text here, not a move to the next control.
  if (event->key() == Qt::Key_Tab && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
    if (room() >= 1) insertPlainText(QStringLiteral("\t"));
    return;
  }
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  const QString text = event->text();
  if ((enter || (!text.isEmpty() && text.at(0).isPrint())) && room() < std::max<int>(1, int(text.size()))) {
    QApplication::beep();
    return;
  }
  QTextEdit::keyPressEvent(event);
}

void CQXDescriptionEdit::contextMenuEvent(QContextMenuEvent* event) {
  if (!hasFocus()) setFocus(Qt::MouseFocusReason);
  CMenu menu;
  if (!menu.LoadMenu(kContextMenu)) return;
  CMenu* popup = menu.GetSubMenu(0);
  if (!popup) return;
  CQXDataPage* page = nullptr;
  for (QWidget* w = parentWidget(); w && !page; w = w->parentWidget()) page = qobject_cast<CQXDataPage*>(w);
  if (page) page->UpdatePopupMenu(popup->GetSafeHmenu());
  else UpdateMenuCommands(popup->GetSafeHmenu(), this, TRUE);
  const UINT id = UINT(popup->TrackPopupMenu(TPM_RETURNCMD, event->globalPos().x(), event->globalPos().y(), page));
  if (id == 0) return;
  if (page) page->SendMessage(WM_COMMAND, id);
  else OnCmdMsg(id, CN_COMMAND, nullptr, nullptr);
}

QMimeData* CQXDescriptionEdit::createMimeDataFromSelection() const {
  QMimeData* data = QTextEdit::createMimeDataFromSelection();
  if (data) tallix::addRtfToMimeData(*data, textCursor());
  return data;
}

bool CQXDescriptionEdit::canInsertFromMimeData(const QMimeData* source) const {
  return source && (tallix::canInsertRtf(*source) || QTextEdit::canInsertFromMimeData(source));
}

void CQXDescriptionEdit::insertFromMimeData(const QMimeData* source) {
  if (!source) return;
  const int left = room();
  if (left <= 0) {
    QApplication::beep();
    return;
  }
  QTextDocument probe;
  if (tallix::canInsertRtf(*source)) {
    QTextCursor probeCursor(&probe);
    if (tallix::insertRtfFromMimeData(*source, probeCursor) && probe.characterCount() - 1 <= left) {
      QTextCursor cursor = textCursor();
      tallix::insertRtfFromMimeData(*source, cursor);
      setTextCursor(cursor);
      ensureCursorVisible();
      return;
    }
  } else if (source->hasHtml()) {
    probe.setHtml(source->html());
  } else {
    probe.setPlainText(source->text());
  }
  const QString text = probe.toPlainText();
  if (text.size() <= left) {
    QTextEdit::insertFromMimeData(source);
    return;
  }
  // What does not fit is left out.
  insertPlainText(text.left(left));
}

void CQXDescriptionEdit::OnUndo() { undo(); }

void CQXDescriptionEdit::OnUpdateUndo(CCmdUI* ui) { ui->Enable(document()->isUndoAvailable()); }

void CQXDescriptionEdit::OnCut() { cut(); }

void CQXDescriptionEdit::OnCopy() { copy(); }

void CQXDescriptionEdit::OnPaste() { paste(); }

void CQXDescriptionEdit::OnUpdatePaste(CCmdUI* ui) {
  const QMimeData* data = QApplication::clipboard()->mimeData();
  ui->Enable(data && canInsertFromMimeData(data));
}

void CQXDescriptionEdit::OnDelete() { textCursor().removeSelectedText(); }

void CQXDescriptionEdit::OnUpdateNeedsSelection(CCmdUI* ui) { ui->Enable(textCursor().hasSelection()); }

void CQXDescriptionEdit::OnSelectAll() { selectAll(); }

void CQXDescriptionEdit::OnUpdateSelectAll(CCmdUI* ui) { ui->Enable(TextLength() > 0); }

void CQXDescriptionEdit::OnFont() {
  bool ok = false;
  const QFont font = QFontDialog::getFont(&ok, currentCharFormat().font(), this);
  if (ok) ApplyFont(font);
}

void CQXDescriptionEdit::OnDefaultFont() {
  QFont initial;
  if (!ReadDescPageFont(&initial)) initial = currentCharFormat().font();
  bool ok = false;
  const QFont font = QFontDialog::getFont(&ok, initial, this);
  if (!ok) return;
  WriteDescPageFont(font);
  ApplyFont(font);
}

// ---------------------------------------------------------------- the page

const CMessageMap& CQXDescriptionPage::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXDescriptionPage>(CQXDataPage::messageMap());
  return map;
}

CQXDescriptionPage::CQXDescriptionPage() : CQXDataPage(kPageId) {}

CQXDescriptionPage::~CQXDescriptionPage() = default;

BOOL CQXDescriptionPage::OnInitDialog() {
  CQXDataPage::OnInitDialog();
  edit_ = qobject_cast<CQXDescriptionEdit*>(GetDlgItem(kEditId));
  if (edit_) {
    QFont font;
    ReadDescPageFont(&font);
    edit_->document()->setDefaultFont(font);
    // A stop every 360 twips.
    edit_->setTabStopDistance(kTabStopTwips / tallix::kRtfTwipsPerUnit);
  }
  std::unique_ptr<CQXDocEntry> entry;
  if (GetCurrentItem(&entry) && entry) LoadFromItem(entry.get());
  else ClearPage();
  return TRUE;
}

BOOL CQXDescriptionPage::LoadFromItem(CQXDocEntry* entry) {
  if (!edit_) return TRUE;
  CQXDescription* description = entry ? entry->GetDescription() : nullptr;
  if (description) {
    const std::vector<BYTE>& bytes = description->GetBytes();
    try {
      tallix::readRtf(QByteArrayView(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())),
                      *edit_->document());
    } catch (const std::bad_alloc&) {
      AfxMessageBox(kStringOutOfMemory, MB_ICONSTOP);
    }
    edit_->moveCursor(QTextCursor::Start);
  } else {
    ClearPage();
  }
  edit_->document()->clearUndoRedoStacks();
  edit_->document()->setModified(false);
  return TRUE;
}

BOOL CQXDescriptionPage::StoreToItem(CQXDocEntry* entry) {
  if (!edit_ || !entry) return TRUE;
  // Stored bytes stay as they are unless the user changed the text.
  if (!edit_->document()->isModified() && entry->GetDescription()) return TRUE;
  if (edit_->TextLength() == 0) {
    entry->SetDescription(nullptr);
    return TRUE;
  }
  try {
    const QByteArray rtf = tallix::writeRtf(*edit_->document());
    if (!entry->GetDescription()) entry->SetDescription(new CQXDescription);
    entry->GetDescription()->SetBytes(std::vector<BYTE>(rtf.begin(), rtf.end()));
  } catch (const std::bad_alloc&) {
    AfxMessageBox(kStringOutOfMemory, MB_ICONSTOP);
    return FALSE;
  }
  return TRUE;
}

BOOL CQXDescriptionPage::ClearPage() {
  if (edit_) edit_->clear();
  return TRUE;
}

BOOL CQXDescriptionPage::IsModified() { return edit_ && edit_->document()->isModified(); }

void CQXDescriptionPage::SetModified(BOOL modified) {
  if (edit_) edit_->document()->setModified(modified);
}

void CQXDescriptionPage::MergeMenus() {
  EditMenuEntryItem(kPopupEdit, FALSE);
  if (CMenu* edit = GetMenuPopupByKey(kPopupEdit)) {
    edit->AppendMenu(MF_SEPARATOR);
    edit->AppendMenu(MF_STRING, kCmdFont, CLanguageLibrary::LoadString(10040));
    edit->AppendMenu(MF_STRING, kCmdDefaultFont, CLanguageLibrary::LoadString(10041));
  }
}

void CQXDescriptionPage::UnmergeMenus() {
  if (CMenu* edit = GetMenuPopupByKey(kPopupEdit)) {
    edit->RemoveMenu(kCmdFont, MF_BYCOMMAND);
    edit->RemoveMenu(kCmdDefaultFont, MF_BYCOMMAND);
    const int last = edit->GetMenuItemCount() - 1;
    if (last >= 0 && edit->GetMenuItemID(last) == 0) edit->RemoveMenu(UINT(last), MF_BYPOSITION);
  }
  EditMenuEntryItem(kPopupEdit, TRUE);
}

BOOL CQXDescriptionPage::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (edit_ && edit_->hasFocus() && edit_->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  return CQXDataPage::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CQXDescriptionPage::focusInEvent(QFocusEvent* event) {
  CQXDataPage::focusInEvent(event);
  if (edit_) edit_->setFocus(event->reason());
}

void RegisterQXDescriptionPageClasses() {
  RegisterRuntimeClass(RUNTIME_CLASS(CQXDescriptionPage));
  CLanguageLibrary::RegisterWidgetClass(QStringLiteral("CQXDescriptionEdit"),
                                        [](QWidget* parent, const QString& name) -> QWidget* {
                                          auto* edit = new CQXDescriptionEdit(parent);
                                          edit->setObjectName(name);
                                          return edit;
                                        });
}
