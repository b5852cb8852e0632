// CDC: the drawing surface of views, controls, pages and print views, over
// a QPainter (of a paint event, an image or a printer). It keeps the
// platform's drawing state: the selected pen, brush and font (SelectObject
// gives back the one selected before), text and background colours, the
// background mode and the current position. Coordinates are device pixels;
// rectangles are Qt's (right and bottom inside).
#pragma once

#include "platform/ColorRef.h"
#include "platform/WinTypes.h"

#include <QFont>
#include <QPen>
#include <QRect>
#include <QString>
#include <QTransform>

#include <vector>

class QPainter;

enum : int { PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_NULL = 5 };
enum : int { TRANSPARENT = 1, OPAQUE = 2 };
enum : int { HORZRES = 8, VERTRES = 10, LOGPIXELSX = 88, LOGPIXELSY = 90 };
enum : int { MM_ANISOTROPIC = 8 };
enum : int { NULLREGION = 1, SIMPLEREGION = 2 };
enum : UINT {
  BDR_RAISEDOUTER = 0x1, BDR_SUNKENOUTER = 0x2, BDR_RAISEDINNER = 0x4, BDR_SUNKENINNER = 0x8,
  EDGE_RAISED = 0x5, EDGE_SUNKEN = 0xA,
  BF_LEFT = 0x1, BF_TOP = 0x2, BF_RIGHT = 0x4, BF_BOTTOM = 0x8, BF_RECT = 0xF,
};
enum : UINT { DFC_BUTTON = 4, DFCS_BUTTONCHECK = 0x0000, DFCS_CHECKED = 0x0400 };
enum : UINT {
  DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4, DT_BOTTOM = 0x8, DT_WORDBREAK = 0x10,
  DT_SINGLELINE = 0x20, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800, DT_END_ELLIPSIS = 0x8000,
};

class CPen {
 public:
  CPen() = default;
  CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
  BOOL CreatePen(int style, int width, COLORREF color);
  const QPen& pen() const { return pen_; }

 private:
  QPen pen_{Qt::black};
};

class CBrush {
 public:
  CBrush() = default;
  explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
  BOOL CreateSolidBrush(COLORREF color);
  // A brush that paints nothing (the platform's null brush).
  BOOL CreateNullBrush();
  const QBrush& brush() const { return brush_; }

 private:
  QBrush brush_{Qt::white};
};

class CFont {
 public:
  // Point size in tenths of a point.
  BOOL CreatePointFont(int pointSizeTenths, const QString& faceName);
  void SetFont(const QFont& font) { font_ = font; }
  const QFont& font() const { return font_; }

 private:
  QFont font_;
};

struct TEXTMETRIC {
  LONG tmHeight = 0, tmAscent = 0, tmDescent = 0, tmInternalLeading = 0, tmExternalLeading = 0;
  LONG tmAveCharWidth = 0, tmMaxCharWidth = 0;
};

class CDC {
 public:
  // `printing`: the output goes to a printer or its preview; a painter on a
  // printer counts as printing anyway.
  explicit CDC(QPainter* painter, bool printing = false);
  ~CDC();
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  QPainter* GetPainter() const { return painter_; }
  BOOL IsPrinting() const { return printing_; }
  int GetDeviceCaps(int index) const;

  CPen* SelectObject(CPen* pen);
  CBrush* SelectObject(CBrush* brush);
  CFont* SelectObject(CFont* font);
  COLORREF SetTextColor(COLORREF color);
  COLORREF SetBkColor(COLORREF color);
  int SetBkMode(int mode);

  // Text whose top left is at (x, y), over the background colour when the
  // mode is OPAQUE.
  BOOL TextOut(int x, int y, const QString& text);
  // DT_ flags; '&' marks the next character unless DT_NOPREFIX. With
  // DT_CALCRECT the rectangle is set to the text's size and nothing drawn.
  // The height of the text.
  int DrawText(const QString& text, QRect* rect, UINT format);
  QSize GetTextExtent(const QString& text) const;
  BOOL GetTextMetrics(TEXTMETRIC* metrics) const;

  QPoint MoveTo(int x, int y);
  // A line from the current position up to, not including, (x, y).
  BOOL LineTo(int x, int y);
  // Outline in the pen, inside in the brush; right and bottom excluded.
  BOOL Rectangle(int left, int top, int right, int bottom);
  void FillRect(const QRect& rect, CBrush* brush);
  void FillSolidRect(const QRect& rect, COLORREF color);
  // Three-dimensional borders in the system colours: BDR_ edges on the BF_
  // sides of `rect` (the outer edge on the rectangle, the inner one inside
  // it).
  BOOL DrawEdge(const QRect& rect, UINT edge, UINT flags);
  // DFC_BUTTON with DFCS_BUTTONCHECK: a sunken check box filling `rect`,
  // with its mark when DFCS_CHECKED.
  BOOL DrawFrameControl(const QRect& rect, UINT type, UINT state);
  // A dotted frame just inside `rect`.
  void DrawFocusRect(const QRect& rect);

  // The drawing state (objects, colours, modes, position, mapping) on a
  // stack: SaveDC gives its level, RestoreDC(level) goes back to it (-1:
  // the last one saved).
  int SaveDC();
  BOOL RestoreDC(int saved);
  // The smallest rectangle around what may be drawn, in logical units;
  // NULLREGION when it is empty, else SIMPLEREGION.
  int GetClipBox(QRect* rect) const;

  // Logical to device mapping: MM_TEXT (1, the default) is one pixel per
  // unit; MM_ANISOTROPIC scales window extents onto viewport extents:
  // device = (logical - window origin) x viewport extent / window extent +
  // viewport origin. Each setter returns the previous value.
  int SetMapMode(int mode);
  int GetMapMode() const { return mapMode_; }
  QSize SetWindowExt(QSize extent);
  QSize SetViewportExt(QSize extent);
  QPoint SetWindowOrg(QPoint origin);
  QPoint SetViewportOrg(QPoint origin);
  QPoint LPtoDP(QPoint logical) const;
  QPoint DPtoLP(QPoint device) const;

 private:
  struct Saved {
    CPen* pen;
    CBrush* brush;
    CFont* font;
    COLORREF textColor, bkColor;
    int bkMode;
    QPoint position;
    int mapMode;
    QSize windowExt, viewportExt;
    QPoint windowOrg, viewportOrg;
  };
  void applyMapping();
  QTransform mapping() const;

  QTransform base_;
  int mapMode_ = 1;
  QSize windowExt_{1, 1}, viewportExt_{1, 1};
  QPoint windowOrg_, viewportOrg_;
  std::vector<Saved> saved_;

  QPainter* painter_;
  bool printing_;
  CPen defaultPen_;
  CBrush defaultBrush_;
  CFont defaultFont_;
  CPen* pen_;
  CBrush* brush_;
  CFont* font_;
  COLORREF textColor_ = 0x000000;
  COLORREF bkColor_ = 0xFFFFFF;
  int bkMode_ = OPAQUE;
  QPoint position_;
};
