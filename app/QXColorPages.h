// The colour pages of the settings dialog and their colour chooser. Colours
// are read and written through classlib/PictureColors.h.
//
// CQXColorsPage: the colours calculator pictures are drawn in (orange, blue,
// green, background, black/white), each a sample and a "..." button, with
// two previews: bitmap 401 in the colour inks, bitmap 402 in black/white.
// One background serves both, so OK writes it as "Background" and
// "Background BW".
//
// CQXColorRecognitionPage: the minimum and maximum of the orange, blue and
// green ranges by which an imported bitmap's pixels count as those colours;
// "&Restaurer" brings back the defaults (written only on OK).
#pragma once

#include "classlib/OrvoPropertyPage.h"
#include "platform/ColorDialog.h"

#include <QImage>

#include <vector>

// The colour chooser of the pages: starts on the given colour; its custom
// colours come from "Colors"/"Custom Colors" (when that holds 16 colours)
// and go back there after OK.
class CQXColorSelectDialog : public CColorDialog {
  Q_OBJECT

 public:
  explicit CQXColorSelectDialog(COLORREF initial, QWidget* parent = nullptr);
  ~CQXColorSelectDialog() override;

  int DoModal() override;
};

// The preview of `bitmap`: its first `colors.size()` top-row pixels are key
// colours; they are painted in the last key colour, then every pixel of key
// colour i becomes colors[i] (the first key that matches; a pixel is mapped
// once), other pixels stay.
QImage MapPreviewColors(const QImage& bitmap, const std::vector<COLORREF>& colors);

class CQXColorsPage : public COrvoPropertyPage {
  Q_OBJECT

 public:
  static constexpr UINT kTemplateId = 521;
  CQXColorsPage();
  ~CQXColorsPage() override;
  DECLARE_MESSAGE_MAP()

  BOOL OnInitDialog() override;
  void OnOK() override;
  // Whether a colour was chosen since the page was made.
  BOOL IsChanged() const { return changed_; }

  void OnColorButton(UINT id);

 private:
  enum Preview { kColorPreview = 1, kMonoPreview = 2 };
  struct Sample {
    UINT button, swatch;
    COLORREF CQXColorsPage::*value;
    int previews;
  };
  static const Sample kSamples[5];
  void showPreviews(int previews);

  COLORREF orange_ = 0, blue_ = 0, green_ = 0, background_ = 0, bw_ = 0;
  BOOL changed_ = FALSE;
};

class CQXColorRecognitionPage : public COrvoPropertyPage {
  Q_OBJECT

 public:
  static constexpr UINT kTemplateId = 644;
  CQXColorRecognitionPage();
  ~CQXColorRecognitionPage() override;
  DECLARE_MESSAGE_MAP()

  BOOL OnInitDialog() override;
  void OnOK() override;

  void OnColorButton(UINT id);
  void OnRestore();

 private:
  struct Sample {
    UINT button, swatch;
    int index;  // into values_
  };
  static const Sample kSamples[6];
  void showSamples();

  // Orange, blue, green: minimum then maximum.
  COLORREF values_[6] = {};
};

// Runs the chooser on `*value`; TRUE with the chosen colour on OK.
BOOL ChoosePictureColor(QWidget* parent, COLORREF* value);
