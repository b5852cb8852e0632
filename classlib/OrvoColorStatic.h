// COrvoColorStatic: a static control filled with one colour (a colour
// sample). Without a colour it draws as a plain static control.
#pragma once

#include "platform/ColorRef.h"
#include "platform/DC.h"
#include "platform/Static.h"

#include <optional>

class COrvoColorStatic : public CStatic {
  Q_OBJECT

 public:
  explicit COrvoColorStatic(QWidget* parent = nullptr);
  ~COrvoColorStatic() override;
  DECLARE_MESSAGE_MAP()

  // Replaces the brush by a solid one of `color`; `redraw` repaints at once.
  void SetColor(COLORREF color, BOOL redraw = TRUE);
  // With a brush: fills the client area with it, TRUE. Without: FALSE, the
  // default erasing (nothing of its own).
  BOOL OnEraseBkgnd(CDC* dc);

 protected:
  // Erasing is the first step of painting here.
  void paintEvent(QPaintEvent* event) override;

 private:
  std::optional<CBrush> brush_;
};

// Lets dialog forms promote a label to "COrvoColorStatic" (a colour sample);
// the dialogs that hold samples call it before they load their forms.
void RegisterOrvoColorStaticClass();
