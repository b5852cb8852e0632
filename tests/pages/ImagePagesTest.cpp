// The picture and screen-copy pages in the main window: what they show of
// an item, what a paste, an export and a commit do, and a damaged image.
#include "classlib/OrvoBitmapScrollView.h"
#include "classlib/PictureColors.h"
#include "datamodel/QXImageItems.h"
#include "datamodel/QXImageV5Items.h"
#include "pages/QXImagePages.h"
#include "pages/QXViewTable.h"
#include "platform/CalcTextEdit.h"
#include "tests/pages/PageTestSupport.h"
#include "tests/support/CalcTextByHand.h"
#include "tests/support/FileDialogScript.h"
#include "tests/support/MessageLog.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

using namespace tallix::test;

namespace {

constexpr int kW = 16, kH = 8, kPlane = kW * kH / 8;
constexpr QRgb kBlack = 0xFF000000, kWhite = 0xFFFFFFFF;

// A newer picture 16 x 8, row by row from the top left, of `planes` planes.
CQXPictureV5Item* newerPicture(const std::vector<BYTE>& bytes) {
  auto* picture = new CQXPictureV5Item;
  CQXPictureV5Item::Format f;
  f.width = kW;
  f.height = kH;
  f.origin = 1;
  f.scan = 'R';
  picture->SetFormat(f);
  picture->SetBytes(bytes.data(), DWORD(bytes.size()));
  return picture;
}

// The layout of an older picture 16 x 8, row by row from the top left.
ScreenFormat olderFormat(int planes) {
  ScreenFormat f;
  f.flags = 1;
  f.width = kW;
  f.height = kH;
  f.origin = 1;
  f.scan = 'R';
  f.bitOrder = 'F';
  f.ink = 'W';
  f.planes = planes;
  f.extra = 1;
  return f;
}

class ImagePages : public ::testing::Test {
 protected:
  ImagePages() { RegisterQXPageClasses(); }
  template <class View, class Page>
  Page* show(const char* path, CQXCalcItem* item, const char* description = "Pict") {
    w.doc.put(path, item);
    PageTree::path = path;
    PageTree::description = description;
    View* view = w.show<View>();
    if (!view) return nullptr;
    view->EnableSheet(TRUE);
    return qobject_cast<Page*>(view->GetSheet()->GetActivePage());
  }
  const QImage& shown(CQXImageDataPage* page) { return page->GetImageControl()->GetBitmap().GetImage(); }

  PageWindow w;
  MessageLog messages;
};

TEST_F(ImagePages, ANewerPictureShowsBothLayersAndACommitKeepsThePastedFirstOnly) {
  std::vector<BYTE> bytes(2 * kPlane, 0);
  bytes[0] = 0x80;           // layer 1: the top left pixel
  bytes[kPlane] = 0x40;      // layer 2: the one beside it
  auto* page = show<CQXPictureV5DataView, CQXPictureV5DataPage>("\\Calculator\\Picture\\Picture1",
                                                                newerPicture(bytes));
  ASSERT_TRUE(page);
  ASSERT_EQ(shown(page).size(), QSize(kW, kH));
  EXPECT_EQ(shown(page).pixel(0, 0), kBlack);
  EXPECT_EQ(shown(page).pixel(1, 0), kBlack);
  EXPECT_EQ(shown(page).pixel(2, 0), kWhite);
  EXPECT_FALSE(page->IsModified());

  // A larger colour picture pasted: fitted to 16 x 8, ink where it is not white.
  QImage pasted(20, 10, QImage::Format_RGB32);
  pasted.fill(Qt::white);
  pasted.setPixel(3, 0, qRgb(200, 30, 30));
  QGuiApplication::clipboard()->setImage(pasted);
  page->GetImageControl()->setFocus();
  page->SendMessage(WM_COMMAND, ID_EDIT_PASTE);
  ASSERT_TRUE(page->IsModified());
  EXPECT_EQ(shown(page).size(), QSize(kW, kH));
  PageWindow::lookAt();
  ASSERT_TRUE(CommitActivePage());
  auto stored = w.doc.get("\\Calculator\\Picture\\Picture1");
  auto* picture = dynamic_cast<CQXPictureV5Item*>(stored->GetItem());
  ASSERT_TRUE(picture);
  ASSERT_EQ(picture->GetLength(), DWORD(2 * kPlane));
  const BYTE* data = picture->GetData();
  EXPECT_EQ(data[0], 0x10);
  EXPECT_EQ(std::count(data + 1, data + 2 * kPlane, 0), 2 * kPlane - 1);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ImagePages, ASinglePlaneShowsAloneAndAColourPasteBecomesTheTwoToneColours) {
  SetBWColor(RGB(0, 0, 128));
  SetBackgroundBWColor(RGB(220, 220, 220));
  std::vector<BYTE> bytes(kPlane, 0);
  bytes[1] = 0x01;  // pixel (15, 0)
  auto* page = show<CQXPictureV5DataView, CQXPictureV5DataPage>("\\Calculator\\Picture\\Picture2",
                                                                newerPicture(bytes));
  ASSERT_TRUE(page);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(QColor(shown(page).pixel(15, 0)), QColor(0, 0, 128));
  EXPECT_EQ(QColor(shown(page).pixel(14, 0)), QColor(220, 220, 220));

  QImage pasted(kW, kH, QImage::Format_RGB32);
  pasted.fill(Qt::white);
  pasted.setPixel(5, 5, qRgb(0, 255, 0));
  EXPECT_TRUE(page->TakeImage(CBitmap()) == FALSE);  // nothing to fit: unchanged
  CBitmap colour;
  colour.SetImage(pasted);
  ASSERT_TRUE(page->TakeImage(colour));
  EXPECT_EQ(QColor(shown(page).pixel(5, 5)), QColor(0, 0, 128));
  EXPECT_EQ(QColor(shown(page).pixel(4, 5)), QColor(220, 220, 220));
}

TEST_F(ImagePages, ExportAndThePrintViewTakeTheZoomedImage) {
  std::vector<BYTE> bytes(2 * kPlane, 0);
  bytes[0] = 0x80;
  auto* page = show<CQXPictureV5DataView, CQXPictureV5DataPage>("\\Calculator\\Picture\\Picture3",
                                                                newerPicture(bytes));
  ASSERT_TRUE(page);
  page->GetZoomSpin()->setValue(3);
  EXPECT_EQ(page->GetZoom(), 3);

  const QString path = w.env.dataDir() + QStringLiteral("/out.bmp");
  FileDialogScript script;
  script.actions.push_back([&](CFileDialog& dialog) { chooseFile(dialog, path); });
  page->SendMessage(WM_COMMAND, 20068);
  EXPECT_EQ(script.shown, 1);
  const QImage written(path);
  ASSERT_EQ(written.size(), QSize(3 * kW, 3 * kH));
  EXPECT_EQ(written.pixel(2, 2), kBlack);
  EXPECT_EQ(written.pixel(3, 2), kWhite);

  QXViewDataImage detail;
  QXViewDataRequest request{int(sizeof(QXViewDataRequest)), kPrintKindImage, &detail};
  ASSERT_TRUE(SendGetViewData(&request));
  EXPECT_EQ(detail.zoom, 3);
  EXPECT_EQ(detail.bitmap, &page->GetImageControl()->GetBitmap());
}

TEST_F(ImagePages, AnOlderPictureWithoutItsPlanesIsRefusedNotDrawnAndTakesNoImage) {
  auto* picture = new CQXPictureItem;
  ScreenFormat f = olderFormat(1);
  f.extra = 2;  // claims two groups
  ASSERT_TRUE(picture->GetImage().SetDescription(f, 0));
  auto* page = show<CQXPictureDataView, CQXPictureDataPage>("\\Calculator\\Picture\\Picture4", picture);
  ASSERT_TRUE(page);
  ASSERT_EQ(messages.texts().size(), 1u);
  EXPECT_TRUE(messages.texts()[0].startsWith("Le format d'image"));
  EXPECT_FALSE(page->GetImageControl()->GetBitmap().HasPixels());

  // An image it could not be stored into is refused before anything changes.
  QImage image(kW, kH, QImage::Format_RGB32);
  image.fill(Qt::black);
  CBitmap bitmap;
  bitmap.SetImage(image);
  EXPECT_FALSE(page->TakeImage(bitmap));
  EXPECT_FALSE(page->IsModified());
  ASSERT_EQ(messages.texts().size(), 2u);
  EXPECT_EQ(messages.texts()[1], messages.texts()[0]);
}

// As the older colour calculators send them: three planes, no fourth. An
// imported bitmap goes back into those three.
TEST_F(ImagePages, ABitmapImportedIntoAThreePlanePictureIsStoredInItsPlanes) {
  auto* picture = new CQXPictureItem;
  std::vector<BYTE> planes(3 * kPlane, 0);
  ScreenFormat f = olderFormat(3);
  f.data = planes.data();
  ASSERT_TRUE(picture->GetImage().SetDescription(f, DWORD(planes.size())));
  auto* page = show<CQXPictureDataView, CQXPictureDataPage>("\\Calculator\\Picture\\Picture1", picture);
  ASSERT_TRUE(page);

  QImage image(kW, kH, QImage::Format_RGB32);
  image.fill(Qt::white);
  image.setPixel(0, 0, qRgb(255, 0, 0));  // orange
  image.setPixel(1, 0, qRgb(0, 0, 255));  // blue
  image.setPixel(2, 0, qRgb(0, 255, 0));  // green
  const QString path = w.env.dataDir() + QStringLiteral("/in.bmp");
  ASSERT_TRUE(image.save(path, "BMP"));
  FileDialogScript script;
  script.actions.push_back([&](CFileDialog& dialog) { chooseFile(dialog, path); });
  page->SendMessage(WM_COMMAND, 20069);
  ASSERT_TRUE(page->IsModified());
  ASSERT_TRUE(CommitActivePage());
  EXPECT_TRUE(messages.shown.empty());
  auto stored = w.doc.get("\\Calculator\\Picture\\Picture1");
  auto* item = dynamic_cast<CQXPictureItem*>(stored->GetItem());
  ASSERT_TRUE(item);
  std::vector<BYTE> expected(3 * kPlane, 0);
  expected[0] = 0x80;
  expected[kPlane] = 0x40;
  expected[2 * kPlane] = 0x20;
  EXPECT_EQ(item->GetImage().GetBits(), expected);
}

// A newer picture that cannot take the image back says so; the user is then
// asked whether to keep trying, the item named as the calculator shows it.
TEST_F(ImagePages, ANewerPictureThatCannotBeStoredSaysSoAndAsks) {
  const char* path = "\\Calculator\\Picture\\Picture5";
  auto* page = show<CQXPictureV5DataView, CQXPictureV5DataPage>(path, newerPicture(std::vector<BYTE>(2 * kPlane, 0)),
                                                                "Pict\xCE");
  ASSERT_TRUE(page);
  QImage image(kW, kH, QImage::Format_RGB32);
  image.fill(Qt::black);
  CBitmap bitmap;
  bitmap.SetImage(image);
  ASSERT_TRUE(page->TakeImage(bitmap));
  // Meanwhile the stored item became one of a layout the page cannot write.
  CQXPictureV5Item* changed = newerPicture(std::vector<BYTE>(2 * kPlane, 0));
  CQXPictureV5Item::Format f = changed->GetFormat();
  f.ink = 'B';
  changed->SetFormat(f);
  w.doc.put(path, changed);
  messages.answers = {IDOK, IDCANCEL};
  EXPECT_FALSE(CommitActivePage());
  EXPECT_EQ(messages.texts(), (std::vector<QString>{QString::fromUtf8("Une erreur inconnue s'est produite."),
                                                    QString::fromUtf8("Enregistrer les modifications apportées à Pictθ?")}));
  EXPECT_TRUE(page->IsModified());
}

TEST_F(ImagePages, AScreenCopyIsRenamedAndAnEmptyNameIsRefused) {
  auto* screen = new CQXScreenItem;
  screen->SetText("Copie 1");
  auto* page = show<CQXScreenDataView, CQXScreenDataPage>("\\Calculator\\Copies\\S1", screen, "Copie 1");
  ASSERT_TRUE(page);
  QLineEdit* name = page->GetNameEdit();
  ASSERT_TRUE(name);
  EXPECT_EQ(name->text(), QStringLiteral("Copie 1"));
  EXPECT_FALSE(page->IsImageInputAllowed());
  ASSERT_EQ(messages.texts().size(), 1u);  // a screen copy without an image

  name->setFocus();
  name->selectAll();
  QTest::keyClick(name, Qt::Key_Delete);
  EXPECT_TRUE(page->IsModified());
  EXPECT_FALSE(CommitActivePage());
  ASSERT_EQ(messages.texts().size(), 2u);
  EXPECT_EQ(messages.texts()[1], QString::fromUtf8("Entrez une désignation, s.v.p."));

  QTest::keyClicks(name, "R");
  QTest::sendKeyEvent(QTest::Click, name, Qt::Key_unknown, QString::fromUtf8("é"), Qt::NoModifier);
  QTest::keyClicks(name, "sultat");
  PageWindow::lookAt();
  ASSERT_TRUE(CommitActivePage());
  EXPECT_FALSE(page->IsModified());
  auto stored = w.doc.get("\\Calculator\\Copies\\S1");
  auto* item = dynamic_cast<CQXScreenItem*>(stored->GetItem());
  ASSERT_TRUE(item);
  EXPECT_EQ(item->GetText().Text(), "R\xE9sultat");

  // At most 63 codes, each sign of two characters one.
  name->selectAll();
  QGuiApplication::clipboard()->setText(QString(QStringLiteral("x\u0304")).repeated(70));
  page->SendMessage(WM_COMMAND, ID_EDIT_PASTE);
  EXPECT_EQ(GetCalcEditCodes(name), std::string(63, '\xC2'));
}

// The screen copy's name is the item's name the tree shows: calculator
// text, theta typed as the calculator's, and the code the user did not edit
// stays, though it shows as the letter r.
TEST_F(ImagePages, AScreenCopysNameIsCalculatorText) {
  auto* screen = new CQXScreenItem;
  screen->SetText("\xCD");
  auto* page = show<CQXScreenDataView, CQXScreenDataPage>("\\Calculator\\Copies\\S1", screen, "\xCD");
  ASSERT_TRUE(page);
  QLineEdit* name = page->GetNameEdit();
  ASSERT_TRUE(name);
  EXPECT_EQ(name->text(), QStringLiteral("r"));
  EXPECT_FALSE(page->IsModified());
  name->setFocus();
  name->end(false);
  QTest::sendKeyEvent(QTest::Click, name, Qt::Key_unknown, QStringLiteral("θ"), Qt::NoModifier);
  ASSERT_TRUE(CommitActivePage());
  auto stored = w.doc.get("\\Calculator\\Copies\\S1");
  auto* item = dynamic_cast<CQXScreenItem*>(stored->GetItem());
  ASSERT_TRUE(item);
  EXPECT_EQ(item->GetText().Text(), "\xCD\xCE");
  CheckCalcTextEditByHand(name);
}

}  // namespace
