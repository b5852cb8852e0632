// The token editor's printing: its tokens paged onto a printer.
#include "tokens/QXTokenEditor.h"

#include <QPaintDevice>
#include <QPainter>

#include <cmath>

BOOL CQXTokenEditor::PreparePrinterFont(CDC* job) {
  QPaintDevice* device = job && job->GetPainter() ? job->GetPainter()->device() : nullptr;
  if (!device) return FALSE;
  // A point size keeps its size on any device; a pixel size is scaled by the
  // printer's resolution against the screen's.
  QFont font = font_;
  if (font.pixelSize() > 0) {
    const double ratio = double(device->logicalDpiY()) / std::max(logicalDpiY(), 1);
    font.setPixelSize(std::max(1, int(std::lround(font.pixelSize() * ratio))));
  }
  measureFont(&printer_, font, device);
  printerReady_ = true;
  return TRUE;
}

void CQXTokenEditor::PrintTokens(CDC* dc, QRect* page, int* token, int* charOffset) {
  if (!dc || !page || !token || !charOffset) return;
  const int count = tokens_.GetSize();
  if (count == 0) return;
  if (!printerReady_ && !PreparePrinterFont(dc)) return;
  const int first = std::clamp(*token, 0, count);
  if (first >= count) {
    *charOffset = 0;
    return;
  }
  CFont font;
  font.SetFont(printer_.font);
  CFont* oldFont = dc->SelectObject(&font);
  const int oldMode = dc->SetBkMode(TRANSPARENT);
  LayoutPass pass;
  // Paper is white and text black, whatever the screen's colours.
  pass.text = RGB(0, 0, 0);
  pass.window = RGB(255, 255, 255);
  pass.table = &printer_;
  pass.dc = dc;
  pass.clip = *page;
  pass.left = page->left();
  pass.right = page->right() + 1;
  pass.wrap = true;
  pass.x = page->left();
  pass.y = page->top();
  pass.printing = true;
  pass.bottom = page->bottom() + 1;
  layout(&pass, first, std::max(*charOffset, 0), nullptr);

  dc->SetBkMode(oldMode);
  dc->SelectObject(oldFont);
  if (pass.full) {
    *token = pass.stopToken;
    *charOffset = pass.stopChar;
    if (pass.placed) page->setTop(pass.y + printer_.lineHeight);
  } else {
    *token = count;
    *charOffset = 0;
    page->setTop(pass.y + printer_.lineHeight);
  }
}
