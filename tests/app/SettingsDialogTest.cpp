// Options > Réglages driven as a user would: the options, the colours with
// their chooser and previews, the recognition ranges, and the redraw the
// application asks for.
#include "app/QXApp.h"
#include "app/QXColorPages.h"
#include "app/QXSettingsDialog.h"
#include "classlib/PictureColors.h"
#include "classlib/ProfileSettings.h"
#include "platform/CmdUI.h"
#include "platform/Document.h"
#include "platform/FrameWnd.h"
#include "platform/View.h"
#include "platform/WinApp.h"
#include "tests/support/MessageLog.h"
#include "tests/support/ModalScript.h"
#include "tests/support/TestEnvironment.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace tallix::test;

namespace {

void click(QWidget* page, int id) { QTest::mouseClick(GetDlgItemAs<QPushButton>(page, id), Qt::LeftButton); }

// Chooses `color` in the next colour chooser after setting its custom
// colour 2; `seenCustom0` receives custom colour 0 as the chooser opened.
void answerChooser(COLORREF color, bool ok = true, COLORREF* seenCustom0 = nullptr) {
  whenModal<CQXColorSelectDialog>([=](CQXColorSelectDialog* chooser) {
    if (seenCustom0) *seenCustom0 = CColorDialog::GetCustomColor(0);
    CColorDialog::SetCustomColor(2, 0x123456);
    chooser->setCurrentColor(ColorRefToQColor(color));
    if (ok) chooser->accept();
    else chooser->reject();
  });
}

// Runs the sheet on `page`; `act` works in it, then OK or Cancel.
int runSheet(CQXSettingsDialog& sheet, int page, std::function<void()> act, int button = IDOK) {
  whenModal<CQXSettingsDialog>([&sheet, page, act, button](CQXSettingsDialog*) {
    sheet.SetActivePage(page);
    act();
    QTest::mouseClick(sheet.GetDlgItemAs<QPushButton>(button), Qt::LeftButton);
  });
  return sheet.DoModal();
}

class Settings : public ::testing::Test {
 protected:
  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  MessageLog messages;
};

TEST_F(Settings, OptionsAreStoredAsOneOrZero) {
  AppWriteProfileInt("Settings", "Round to 10 Digits", 0);
  CQXSettingsDialog sheet;
  EXPECT_EQ(runSheet(sheet, 0, [&] {
              auto* list = GetDlgItemAs<QListWidget>(&sheet.m_optionsPage, 1000);
              ASSERT_EQ(list->count(), 3);
              EXPECT_EQ(list->item(0)->text(), CLanguageLibrary::LoadString(10400));
              EXPECT_EQ(list->item(0)->checkState(), Qt::Checked);
              EXPECT_EQ(list->item(2)->checkState(), Qt::Unchecked);
              list->setFocus();
              list->setCurrentRow(0);
              QTest::keyClick(list, Qt::Key_Space);
            }),
            IDOK);
  EXPECT_EQ(AppGetProfileInt("Settings", "Query Rcv Overwrite", 7), 0);
  EXPECT_EQ(AppGetProfileInt("Settings", "Query Snd Overwrite", 7), 1);
  EXPECT_EQ(AppGetProfileInt("Settings", "Round to 10 Digits", 7), 0);
}

TEST_F(Settings, OneBackgroundServesBothAndTheCustomColoursAreKept) {
  // A stored value that is not 16 colours is ignored: the chooser keeps its own.
  const BYTE shortValue[63] = {0xAA};
  AppWriteProfileBinary("Colors", "Custom Colors", shortValue, sizeof shortValue);
  CColorDialog::SetCustomColor(0, 0x0000EE);
  CQXSettingsDialog sheet;
  COLORREF seenCustom0 = 0;
  EXPECT_EQ(runSheet(sheet, 1, [&] {
              answerChooser(0x204060, true, &seenCustom0);
              click(&sheet.m_colorsPage, 1017);
              EXPECT_EQ(seenCustom0, COLORREF(0x0000EE));
              // The previews are painted anew: their key pixels show the background.
              for (int id : {1042, 1043}) {
                const QImage preview = GetDlgItemAs<QLabel>(&sheet.m_colorsPage, id)->pixmap().toImage();
                EXPECT_EQ(preview.pixel(0, 0), ColorRefToQRgb(0x204060)) << id;
              }
            }),
            IDOK);
  EXPECT_TRUE(sheet.m_bColorsChanged);
  EXPECT_EQ(GetBackgroundColor(), COLORREF(0x204060));
  EXPECT_EQ(GetBackgroundBWColor(), COLORREF(0x204060));
  EXPECT_EQ(GetOrangeColor(), COLORREF(0x0000FF));  // written as it was
  COLORREF custom[kCustomColorCount];
  ASSERT_TRUE(GetCustomColors(custom));
  EXPECT_EQ(custom[0], COLORREF(0x0000EE));
  EXPECT_EQ(custom[2], COLORREF(0x123456));
}

TEST_F(Settings, RestoreThenCancelStoresNothing) {
  SetOrangeRange(0x010203, 0x040506);
  for (int button : {IDCANCEL, IDOK}) {
    CQXSettingsDialog sheet;
    runSheet(sheet, 2, [&] { click(&sheet.m_colorRecognitionPage, 1079); }, button);
    EXPECT_EQ(GetOrangeMin(), COLORREF(button == IDOK ? 0x00005A : 0x010203));
    EXPECT_EQ(GetOrangeMax(), COLORREF(button == IDOK ? 0x9696FF : 0x040506));
  }
}

// Help shows the topic of the page in front, not of the first page.
class HelpRecordingApp : public CWinApp {
 public:
  void WinHelp(DWORD data, UINT) override { topics.push_back(data); }
  std::vector<DWORD> topics;
};

TEST_F(Settings, HelpShowsTheTopicOfTheActivePage) {
  HelpRecordingApp app;
  CQXSettingsDialog sheet;
  runSheet(sheet, 2, [&] { click(&sheet, IDHELP); }, IDCANCEL);
  EXPECT_EQ(app.topics, std::vector<DWORD>{0x20000 + 644});
}

TEST(ColorPreview, KeyPixelsAreMappedOnceAndTheRestStays) {
  QImage bitmap(5, 2, QImage::Format_RGB32);
  const QRgb k0 = qRgb(255, 0, 0), k1 = qRgb(0, 255, 0), k2 = qRgb(0, 0, 255), k3 = qRgb(255, 255, 255);
  const QRgb other = qRgb(1, 2, 3);
  const QRgb top[5] = {k0, k1, k2, k3, other}, bottom[5] = {k3, k2, k1, k0, other};
  for (int x = 0; x < 5; ++x) {
    bitmap.setPixel(x, 0, top[x]);
    bitmap.setPixel(x, 1, bottom[x]);
  }
  // Orange takes k1's colour: a k0 pixel that became it is not mapped again.
  const COLORREF orange = 0x00FF00, green = 0x111111, blue = 0x222222, background = 0x333333;
  const QImage preview = MapPreviewColors(bitmap, {orange, green, blue, background});
  for (int x = 0; x < 4; ++x) EXPECT_EQ(preview.pixel(x, 0), ColorRefToQRgb(background)) << x;
  EXPECT_EQ(preview.pixel(4, 0), other);
  const COLORREF expected[4] = {background, blue, green, orange};
  for (int x = 0; x < 4; ++x) EXPECT_EQ(preview.pixel(x, 1), ColorRefToQRgb(expected[x])) << x;
  EXPECT_EQ(preview.pixel(4, 1), other);
}

// The application redraws the active document's views after OK when a
// drawing colour was chosen, never after Cancel.
class HintView : public CView {
 public:
  void OnUpdate(CView*, LPARAM hint, QObject* hintObject) override {
    hints.push_back(hint);
    objects.push_back(hintObject);
  }
  std::vector<LPARAM> hints;
  std::vector<QObject*> objects;
};

TEST_F(Settings, TheApplicationRedrawsAfterAColourChangeOnly) {
  CQXApp app;
  CFrameWnd* frame = new CFrameWnd;
  ASSERT_TRUE(frame->LoadFrame(128));
  app.m_pMainWnd = frame;
  CDocument doc;
  auto* view = new HintView;
  view->setParent(frame);
  doc.AddView(view);
  frame->SetActiveView(view);

  CCmdUI enabled;
  QAction settings;
  enabled.m_nID = ID_OPTIONS_SETTINGS;
  enabled.m_pAction = &settings;
  settings.setEnabled(false);
  enabled.DoUpdate(&app, TRUE);
  EXPECT_TRUE(settings.isEnabled());

  const auto run = [&](int button, bool chooseColour) {
    whenModal<CQXSettingsDialog>([=](CQXSettingsDialog* sheet) {
      sheet->SetActivePage(1);
      if (chooseColour) {
        answerChooser(0x00FFFF);
        click(&sheet->m_colorsPage, 1011);
      }
      QTest::mouseClick(sheet->GetDlgItemAs<QPushButton>(button), Qt::LeftButton);
    });
    app.OnSettings();
  };
  run(IDCANCEL, true);
  run(IDOK, false);
  EXPECT_TRUE(view->hints.empty());
  run(IDOK, true);
  EXPECT_EQ(view->hints, std::vector<LPARAM>{2});
  EXPECT_EQ(view->objects, std::vector<QObject*>{nullptr});
  EXPECT_EQ(GetOrangeColor(), COLORREF(0x00FFFF));
  frame->DestroyWindow();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
