#include "app/QXColorPages.h"

#include "classlib/OrvoColorStatic.h"
#include "classlib/PictureColors.h"
#include "classlib/SettingsTable.h"
#include "platform/LanguageLibrary.h"
#include "platform/WaitCursor.h"

#include <QLabel>
#include <QPixmap>

#include <algorithm>
#include <iterator>

namespace {

constexpr UINT kColorPreviewBitmap = 401;
constexpr UINT kMonoPreviewBitmap = 402;
constexpr int kColorPreviewStatic = 1042;
constexpr int kMonoPreviewStatic = 1043;
constexpr int kRestoreButton = 1079;

// The keys of the recognition ranges, in the page's order.
constexpr const char* kRangeKeys[6] = {"Orange min", "Orange max", "Blue min", "Blue max", "Green min", "Green max"};

void paintSample(const QWidget* page, UINT swatch, COLORREF color) {
  if (auto* sample = GetDlgItemAs<COrvoColorStatic>(page, int(swatch))) sample->SetColor(color);
}

}  // namespace

// ---------------------------------------------------------------- chooser

CQXColorSelectDialog::CQXColorSelectDialog(COLORREF initial, QWidget* parent)
    : CColorDialog(initial, CC_RGBINIT, parent) {}

CQXColorSelectDialog::~CQXColorSelectDialog() = default;

int CQXColorSelectDialog::DoModal() {
  // A stored value of another size is not 16 colours: the chooser keeps its own.
  COLORREF custom[kCustomColorCount];
  if (GetCustomColors(custom))
    for (int i = 0; i < kCustomColorCount; ++i) SetCustomColor(i, custom[i]);
  const int result = CColorDialog::DoModal();
  if (result == IDOK) {
    for (int i = 0; i < kCustomColorCount; ++i) custom[i] = GetCustomColor(i);
    SetCustomColors(custom);
  }
  return result;
}

BOOL ChoosePictureColor(QWidget* parent, COLORREF* value) {
  CQXColorSelectDialog dialog(*value, parent);
  if (dialog.DoModal() != IDOK) return FALSE;
  *value = dialog.GetColor();
  return TRUE;
}

QImage MapPreviewColors(const QImage& bitmap, const std::vector<COLORREF>& colors) {
  QImage image = bitmap.convertToFormat(QImage::Format_RGB32);
  const int keys = int(colors.size());
  if (image.isNull() || keys == 0 || image.width() < keys) return image;
  std::vector<QRgb> key(size_t(keys), 0);
  for (int i = 0; i < keys; ++i) key[size_t(i)] = image.pixel(i, 0);
  for (int i = 0; i < keys; ++i) image.setPixel(i, 0, key.back());
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      for (int i = 0; i < keys; ++i) {
        if (line[x] == key[size_t(i)]) {
          line[x] = ColorRefToQRgb(colors[size_t(i)]);
          break;
        }
      }
    }
  }
  return image;
}

// ---------------------------------------------------------------- colours

const CQXColorsPage::Sample CQXColorsPage::kSamples[5] = {
    {1011, 1010, &CQXColorsPage::orange_, kColorPreview},
    {1013, 1012, &CQXColorsPage::blue_, kColorPreview},
    {1015, 1014, &CQXColorsPage::green_, kColorPreview},
    {1017, 1016, &CQXColorsPage::background_, kColorPreview | kMonoPreview},
    {1019, 1018, &CQXColorsPage::bw_, kMonoPreview},
};

const CMessageMap& CQXColorsPage::messageMap() {
  static const CMessageMap map =
      MessageMapOf<CQXColorsPage>(COrvoPropertyPage::messageMap()).commandRange(1011, 1019, &CQXColorsPage::OnColorButton);
  return map;
}

CQXColorsPage::CQXColorsPage() : COrvoPropertyPage(kTemplateId) {}
CQXColorsPage::~CQXColorsPage() = default;

BOOL CQXColorsPage::OnInitDialog() {
  COrvoPropertyPage::OnInitDialog();
  blue_ = GetBlueColor();
  green_ = GetGreenColor();
  orange_ = GetOrangeColor();
  bw_ = GetBWColor();
  background_ = GetBackgroundColor();
  changed_ = FALSE;
  for (const Sample& s : kSamples) paintSample(this, s.swatch, this->*s.value);
  showPreviews(kColorPreview | kMonoPreview);
  return TRUE;
}

void CQXColorsPage::OnColorButton(UINT id) {
  for (const Sample& s : kSamples) {
    if (s.button != id) continue;
    if (!ChoosePictureColor(this, &(this->*s.value))) return;
    changed_ = TRUE;
    paintSample(this, s.swatch, this->*s.value);
    showPreviews(s.previews);
    return;
  }
}

void CQXColorsPage::showPreviews(int previews) {
  CWaitCursor wait;
  const auto show = [this](int id, UINT bitmap, const std::vector<COLORREF>& colors) {
    if (auto* label = GetDlgItemAs<QLabel>(id))
      label->setPixmap(QPixmap::fromImage(MapPreviewColors(CLanguageLibrary::LoadBitmap(bitmap).toImage(), colors)));
  };
  if (previews & kColorPreview)
    show(kColorPreviewStatic, kColorPreviewBitmap, {orange_, green_, blue_, background_});
  if (previews & kMonoPreview) show(kMonoPreviewStatic, kMonoPreviewBitmap, {bw_, background_});
}

void CQXColorsPage::OnOK() {
  COrvoPropertyPage::OnOK();
  SetBlueColor(blue_);
  SetGreenColor(green_);
  SetOrangeColor(orange_);
  SetBackgroundColor(background_);
  SetBWColor(bw_);
  SetBackgroundBWColor(background_);
}

// ---------------------------------------------------------------- recognition

const CQXColorRecognitionPage::Sample CQXColorRecognitionPage::kSamples[6] = {
    {1078, 1070, 0}, {1112, 1073, 1}, {1113, 1071, 2}, {1114, 1074, 3}, {1115, 1072, 4}, {1116, 1075, 5},
};

const CMessageMap& CQXColorRecognitionPage::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXColorRecognitionPage>(COrvoPropertyPage::messageMap())
                                     .commandRange(1078, 1078, &CQXColorRecognitionPage::OnColorButton)
                                     .commandRange(1112, 1116, &CQXColorRecognitionPage::OnColorButton)
                                     .command(kRestoreButton, &CQXColorRecognitionPage::OnRestore);
  return map;
}

CQXColorRecognitionPage::CQXColorRecognitionPage() : COrvoPropertyPage(kTemplateId) {}
CQXColorRecognitionPage::~CQXColorRecognitionPage() = default;

BOOL CQXColorRecognitionPage::OnInitDialog() {
  COrvoPropertyPage::OnInitDialog();
  const COLORREF stored[6] = {GetOrangeMin(), GetOrangeMax(), GetBlueMin(), GetBlueMax(), GetGreenMin(), GetGreenMax()};
  std::copy(std::begin(stored), std::end(stored), values_);
  showSamples();
  return TRUE;
}

void CQXColorRecognitionPage::showSamples() {
  for (const Sample& s : kSamples) paintSample(this, s.swatch, values_[s.index]);
}

void CQXColorRecognitionPage::OnColorButton(UINT id) {
  for (const Sample& s : kSamples) {
    if (s.button == id && ChoosePictureColor(this, &values_[s.index])) paintSample(this, s.swatch, values_[s.index]);
  }
}

void CQXColorRecognitionPage::OnRestore() {
  for (int i = 0; i < 6; ++i) values_[i] = COLORREF(tallix::settings::find(tallix::settings::kColors, kRangeKeys[i])->intDefault);
  showSamples();
}

void CQXColorRecognitionPage::OnOK() {
  COrvoPropertyPage::OnOK();
  SetBlueRange(values_[2], values_[3]);
  SetGreenRange(values_[4], values_[5]);
  SetOrangeRange(values_[0], values_[1]);
}
