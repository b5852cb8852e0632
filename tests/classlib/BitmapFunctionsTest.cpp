#include "classlib/BitmapFunctions.h"
#include "classlib/PictureColors.h"
#include "platform/FileDialogFilter.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

using namespace tallix::test;

namespace {

CBitmap* bitmapOf(const std::vector<std::vector<COLORREF>>& rows) {
  QImage image(int(rows[0].size()), int(rows.size()), QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, ColorRefToQRgb(rows[size_t(y)][size_t(x)]));
  auto* bitmap = new CBitmap;
  bitmap->SetImage(image);
  return bitmap;
}

COLORREF pixel(const CBitmap& b, int x, int y) { return ColorRefFromQRgb(b.GetImage().pixel(x, y)); }

// Answers the next file dialog: `path` chosen, or Cancel for an empty one.
// `inspect` sees the dialog first; a dialog still open after the choice is
// cancelled (and `stayedOpen` says so).
void answerFileDialog(const QString& path, std::function<void(QFileDialog*)> inspect = {},
                      bool* stayedOpen = nullptr) {
  QTimer::singleShot(0, [=] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    if (inspect) inspect(dialog);
    if (!path.isEmpty()) {
      dialog->selectFile(path);
      static_cast<QDialog*>(dialog)->accept();  // as the dialog's OK button does
    }
    if (stayedOpen) *stayedOpen = dialog->isVisible();
    if (dialog->isVisible()) dialog->reject();
  });
}

class BitmapFunctions : public ::testing::Test {
 protected:
  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
};

}  // namespace

TEST_F(BitmapFunctions, ColoursMapOntoThePictureColours) {
  const COLORREF both = RGB(0x10, 0x60, 0x10);  // inside the Blue and the Green box
  std::unique_ptr<CBitmap> src(
      bitmapOf({{RGB(200, 0, 0), 0x000000, 0x808080, RGB(200, 200, 200), both, RGB(0x20, 0xF0, 0x20)}}));
  CBitmap dst;
  ASSERT_TRUE(MapPictureColors(*src, dst, 7, 2));
  ASSERT_EQ(dst.GetWidth(), 7);
  ASSERT_EQ(dst.GetHeight(), 2);
  const COLORREF bg = GetBackgroundColor();
  const std::vector<COLORREF> expected = {GetOrangeColor(), GetBlueColor(), GetBlueColor(), bg,
                                          GetBlueColor(),   GetGreenColor(), bg};
  for (int x = 0; x < 7; ++x) EXPECT_EQ(pixel(dst, x, 0), expected[size_t(x)]) << x;
  EXPECT_EQ(pixel(dst, 0, 1), bg);

  // The colours of the user's own, and a source outside every box.
  SetBackgroundColor(RGB(1, 2, 3));
  SetBlueRange(0x000000, 0x000000);
  ASSERT_TRUE(MapPictureColors(*src, dst, 4, 1));
  EXPECT_EQ(pixel(dst, 3, 0), RGB(1, 2, 3));
  EXPECT_EQ(pixel(dst, 1, 0), GetBlueColor());
  EXPECT_EQ(pixel(dst, 2, 0), GetOrangeColor());  // grey left the Blue box for the Orange one

  // Nothing to fit (a cancelled dialog leaves an empty bitmap): refused.
  CBitmap empty;
  EXPECT_FALSE(MapPictureColors(empty, dst, 7, 2));
  EXPECT_FALSE(MapPictureColors(*src, dst, 0, 2));
  EXPECT_EQ(dst.GetWidth(), 4);

  EXPECT_TRUE(IsColorInRange(0x123456, 0x123456, 0x123456));
  EXPECT_FALSE(IsColorInRange(0x123457, 0x123456, 0x123456));
  EXPECT_FALSE(IsColorInRange(0x113456, 0x123456, 0x123456));
}

TEST_F(BitmapFunctions, TwoToneScaleAndAnd) {
  std::unique_ptr<CBitmap> src(bitmapOf({{0xFFFFFF, 0xFFFFFE}, {0x000000, 0x00FF00}}));
  CBitmap twoTone;
  ASSERT_TRUE(MakeTwoToneBitmap(*src, twoTone, 3, 2, 0x0000AA, 0xEEEEEE));
  EXPECT_EQ(pixel(twoTone, 0, 0), 0xEEEEEEu);
  EXPECT_EQ(pixel(twoTone, 1, 0), 0x0000AAu);
  EXPECT_EQ(pixel(twoTone, 1, 1), 0x0000AAu);
  EXPECT_EQ(pixel(twoTone, 2, 1), 0xEEEEEEu);  // beyond the source: paper
  CBitmap empty;
  EXPECT_FALSE(MakeTwoToneBitmap(empty, twoTone, 3, 2, 0, 0));
  EXPECT_FALSE(MakeTwoToneBitmap(*src, twoTone, 3, 0, 0, 0));

  CBitmap big;
  ASSERT_TRUE(ScaleBitmap(*src, big, 3));
  ASSERT_EQ(big.GetWidth(), 6);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(pixel(big, x, y), pixel(*src, x / 3, y / 3)) << x << "," << y;
  EXPECT_FALSE(ScaleBitmap(*src, big, 0));
  EXPECT_FALSE(ScaleBitmap(*src, big, 16384));

  std::unique_ptr<CBitmap> mask(bitmapOf({{0x0F0F0F}}));
  ASSERT_TRUE(AndBitmapInto(*src, *mask));
  EXPECT_EQ(pixel(*src, 0, 0), 0x0F0F0Fu);
  EXPECT_EQ(pixel(*src, 1, 0), 0xFFFFFEu);
}

TEST_F(BitmapFunctions, TheClipboardCarriesTheZoomedBitmap) {
  QGuiApplication::clipboard()->clear();
  CBitmap pasted;
  EXPECT_FALSE(PasteBitmapFromClipboard(pasted));
  std::unique_ptr<CBitmap> src(bitmapOf({{0x0000FF, 0x00FF00}}));
  ASSERT_TRUE(CopyBitmapToClipboard(*src, 2));
  ASSERT_TRUE(PasteBitmapFromClipboard(pasted));
  ASSERT_EQ(pasted.GetWidth(), 4);
  ASSERT_EQ(pasted.GetHeight(), 2);
  EXPECT_EQ(pasted.GetImage().format(), QImage::Format_RGB32);
  EXPECT_EQ(pixel(pasted, 1, 1), 0x0000FFu);
  EXPECT_EQ(pixel(pasted, 2, 0), 0x00FF00u);
}

TEST_F(BitmapFunctions, BitmapFilesThroughTheFileDialogs) {
  EXPECT_EQ(tallix::fileDialogFilters(QStringLiteral("Fichiers Bitmap (*.bmp)|*.bmp|Tous les fichiers(*.*)|*.*||")),
            (QStringList{QStringLiteral("Fichiers Bitmap (*.bmp) (*.bmp)"), QStringLiteral("Tous les fichiers(*.*) (*)")}));

  std::unique_ptr<CBitmap> src(bitmapOf({{0x0000FF, 0x00FF00}}));
  const QString path = env.dataFile(QStringLiteral("picture"));  // the dialog adds ".bmp"
  QStringList shownFilters;
  answerFileDialog(path, [&](QFileDialog* d) {
    auto* combo = d->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    for (int i = 0; combo && i < combo->count(); ++i) shownFilters << combo->itemText(i);
  });
  ASSERT_TRUE(SaveBitmapAsFile(*src, 3));
  EXPECT_EQ(shownFilters, (QStringList{QStringLiteral("Fichiers Bitmap (*.bmp)"), QStringLiteral("Tous les fichiers(*.*)")}));
  const QImage written(path + QStringLiteral(".bmp"));
  ASSERT_EQ(written.size(), QSize(6, 3));
  EXPECT_EQ(ColorRefFromQRgb(written.pixel(5, 2)), 0x00FF00u);

  // Replacing asks first; No keeps the dialog open and the file as it was.
  {
    MessageLog log;
    log.answers = {IDNO};
    bool stayedOpen = false;
    answerFileDialog(path + QStringLiteral(".bmp"), {}, &stayedOpen);
    EXPECT_TRUE(SaveBitmapAsFile(*src, 1));
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(log.texts().size(), 1u);
    EXPECT_TRUE(log.texts()[0].contains(QStringLiteral("existe déjà")));
    EXPECT_EQ(QImage(path + QStringLiteral(".bmp")).size(), QSize(6, 3));
  }

  CBitmap loaded;
  answerFileDialog(QString());  // Cancel
  EXPECT_TRUE(LoadBitmapFromFile(loaded));
  EXPECT_FALSE(loaded.HasPixels());
  answerFileDialog(path + QStringLiteral(".bmp"));
  ASSERT_TRUE(LoadBitmapFromFile(loaded));
  ASSERT_EQ(loaded.GetWidth(), 6);
  EXPECT_EQ(pixel(loaded, 0, 0), 0x0000FFu);

  QFile junk(env.dataFile(QStringLiteral("junk.bmp")));
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write("BM not a bitmap");
  junk.close();
  answerFileDialog(junk.fileName());
  EXPECT_FALSE(LoadBitmapFromFile(loaded));
}
