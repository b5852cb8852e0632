// The print views of pictures, property lists and programs: what each takes
// from its page and how it fills and breaks the pages.
#include "PageTestSupport.h"
#include "PrintTestSupport.h"

#include "app/QXAppMessages.h"
#include "app/QXContentsView.h"
#include "classlib/OrvoPropertyList.h"
#include "classlib/ProfileFont.h"
#include "classlib/ProfileSettings.h"
#include "pages/QXDataPage.h"
#include "pages/QXKindPrintViews.h"
#include "pages/QXPrintPreview.h"
#include "pages/QXTokenPrintViews.h"
#include "platform/Bitmap.h"
#include "tests/support/MessageLog.h"
#include "tokens/QXTokenEditorVariants.h"
#include "tokens/QXTokenField.h"
#include "tokens/QXTokenFieldList.h"

#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

namespace tallix::test {
namespace {

void bareJob(CQXPrintView& view, int marginTwips) {
  view.m_bPrintHeader = view.m_bPrintFooter = FALSE;
  view.m_rcMargins = {marginTwips, marginTwips, marginTwips, marginTwips};
}

TEST(KindPrintViews, EveryKindHasItsView) {
  EXPECT_EQ(PrintViewClassOfKind(kPrintKindImage), RUNTIME_CLASS(CQXBitmapPrintView));
  EXPECT_EQ(PrintViewClassOfKind(kPrintKindTokens), RUNTIME_CLASS(CQXProgramPrintView));
  EXPECT_EQ(PrintViewClassOfKind(kPrintKindFields), RUNTIME_CLASS(CQXFunctionPrintView));
  EXPECT_EQ(PrintViewClassOfKind(kPrintKindPropertyList), RUNTIME_CLASS(CQXPropertyListPrintView));
  EXPECT_EQ(PrintViewClassOfKind(7), nullptr);
}

// A picture of 128 pixels prints as large as the page shows it: zoom times
// printer over screen resolution, also below the screen's resolution and at
// ratios that are not whole; no smoothing, nothing beyond the body.
TEST(KindPrintViews, PicturesPrintAtTheirScreenSizeInsideTheBody) {
  QImage stripes(128, 40, QImage::Format_RGB32);
  for (int x = 0; x < 128; ++x)
    for (int y = 0; y < 40; ++y) stripes.setPixel(x, y, x % 2 == 0 || x == 127 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
  CBitmap bitmap;
  ASSERT_TRUE(bitmap.SetImage(stripes));
  struct Case {
    int zoom, dpi, width, height;
  } cases[] = {{3, 600, 2400, 750}, {3, 72, 288, 90}, {1, 300, 400, 125}, {25, 300, 1950, 2700}};
  for (const Case& c : cases) {
    CQXBitmapPrintView view;
    bareJob(view, 1440);
    view.m_nScreenDpiX = view.m_nScreenDpiY = 96;
    view.m_sendViewData = pageOfKind<QXViewDataImage>(kPrintKindImage, [&](QXViewDataImage* d) {
      d->zoom = c.zoom;
      d->bitmap = &bitmap;
    });
    CPrintInfo info;
    ASSERT_TRUE(view.PrepareJob(&info));
    const std::vector<QImage> pages = renderPages(view, c.dpi);
    ASSERT_EQ(pages.size(), 1u) << c.dpi;
    const QImage& page = pages[0];
    EXPECT_EQ(inkBounds(page, page.rect()), QRect(c.dpi, c.dpi, c.width, c.height)) << c.zoom << " " << c.dpi;
    int grey = 0;
    for (int x = c.dpi; x < c.dpi + c.width; ++x) {
      const QRgb p = page.pixel(x, c.dpi + 1) & 0xFFFFFF;
      grey += p != 0 && p != 0xFFFFFF;
    }
    EXPECT_EQ(grey, 0) << c.dpi;
  }
}

TEST(KindPrintViews, PropertyListsKeepTheirRowsInTheBody) {
  COrvoPropertyListCtrl list;
  for (int i = 0; i < 120; ++i) {
    COrvoPropertyItem row;
    row.label = QStringLiteral("Capteur %1").arg(i);
    row.value = QStringLiteral("%1").arg(i * 7);
    list.AddItem(row);
  }
  CQXPropertyListPrintView view;
  view.m_rcMargins = {720, 720, 720, 720};
  view.m_sendViewData =
      pageOfKind<QXViewDataControl>(kPrintKindPropertyList, [&](QXViewDataControl* d) { d->control = &list; });
  CPrintInfo info;
  ASSERT_TRUE(view.PrepareJob(&info));
  const std::vector<QImage> pages = renderPages(view, 150);
  ASSERT_GE(pages.size(), 3u);
  // Between the body's bottom and the footer's rule stays white.
  const int bottom = pages[0].height() - 75 - 2 * view.m_nLineHeight;
  const int rule = pages[0].height() - view.m_nLineHeight - view.m_nLineHeight / 4;
  for (const QImage& page : pages) {
    EXPECT_TRUE(inked(page, QRect(75, 75 + 2 * view.m_nLineHeight, 600, 40)));
    EXPECT_FALSE(inked(page, QRect(QPoint(0, bottom + 2), QPoint(page.width() - 1, rule - 3))));
  }
  view.m_sendViewData = pageOfKind<QXViewDataControl>(kPrintKindPropertyList, [](QXViewDataControl*) {});
  EXPECT_FALSE(view.PrepareJob(&info));
}

// ------------------------------------------------------------------ programs

constexpr BYTE kLong = 0xF7;  // a command of 26 characters
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";

class FieldList : public CQXTokenFieldList {
 public:
  using CQXTokenFieldList::CQXTokenFieldList;

 protected:
  CQXTokenField* CreateField() override { return new CQXTokenField; }
};

// A page showing a program (print kind 4, its editor) or function fields
// (kind 5, its field list).
class TokenTestView : public CQXContentsView {
  Q_OBJECT

 public:
  Q_INVOKABLE TokenTestView() : editor(new CQXProgramTokenEditor), fields(new FieldList(this)) {
    editor->Create(0x50011004, QRect(0, 0, 300, 200), this, 1);
  }
  DECLARE_MESSAGE_MAP()

  LRESULT OnGetViewData(WPARAM, LPARAM lParam) {
    return pageOfKind<QXViewDataControl>(kind, [this](QXViewDataControl* d) {
      d->control = kind == kPrintKindTokens ? static_cast<QWidget*>(editor) : fields;
    })(reinterpret_cast<void*>(lParam));
  }
  void setProgram(const QByteArray& bytes) { put(editor, bytes); }
  // Fields "Y1:" ... with these tokens.
  void setFields(const std::vector<QByteArray>& tokens) {
    kind = kPrintKindFields;
    fields->RemoveAllFields();
    for (std::size_t i = 0; i < tokens.size(); ++i) {
      fields->AddField(("Y" + std::to_string(i + 1) + ":").c_str(), "", UINT(200 + 8 * i), this, 0);
      put(fields->GetFieldEditor(int(i)), tokens[i]);
    }
  }

  int kind = kPrintKindTokens;
  CQXProgramTokenEditor* editor;
  FieldList* fields;

 private:
  static void put(CQXTokenEditor* target, const QByteArray& bytes) {
    target->ClearTokens();
    target->SetTokens(reinterpret_cast<const BYTE*>(bytes.constData()), int(bytes.size()), kTokenFormatBytes);
  }
};

const CMessageMap& TokenTestView::messageMap() {
  static const CMessageMap map = MessageMapOf<TokenTestView>(CQXContentsView::messageMap())
                                     .registeredMessage(msgQXGetViewData, &TokenTestView::OnGetViewData);
  return map;
}

class ProgramPrint : public ::testing::Test {
 protected:
  void SetUp() override {
    CQXCommandTable& table = w.doc.GetTokenTable();
    table.SetCommand(0, 'A', "A", "A", "");
    table.SetCommand(0, '\r', "\r", "", "");
    table.SetCommand(0, kLong, kAlphabet, kAlphabet, "");
    view = w.show<TokenTestView>();
    ASSERT_TRUE(view);
    CQXMainFrame::SetPrintFunctions({&CanPrintCurrentItem, &PrintCurrentItem});
  }
  void TearDown() override { CQXMainFrame::SetPrintFunctions({}); }
  // `count` lines of one token each.
  static QByteArray lines(int count) { return QByteArray(count * 2, '\r').replace("\r\r", "A\r"); }
  std::unique_ptr<CQXTokenPrintView> job(int mode = CQXPrintView::kModePrint) {
    auto* made = qobject_cast<CQXTokenPrintView*>(PreparePrintJob(w.frame, mode, nullptr));
    return std::unique_ptr<CQXTokenPrintView>(made);
  }
  // Print Direct into a PDF without header and footer, read back by
  // pdftotext: the text without white space; `pages` gets the page count.
  QString printedText(int* pages) {
    AppWriteProfileInt("Settings", "Print Header", 0);
    AppWriteProfileInt("Settings", "Print Footer", 0);
    QTemporaryDir dir;
    QPrinter* printer = w.app.GetPrinter();
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(dir.filePath("out.pdf"));
    w.frame->SendMessage(WM_COMMAND, 57608);
    QString text = runTool("pdftotext", {"-layout", dir.filePath("out.pdf"), "-"});
    *pages = int(text.count(QChar('\f')));
    return text.remove(QRegularExpression(QStringLiteral("\\s")));
  }
  PageWindow w;
  TokenTestView* view = nullptr;
};

TEST_F(ProgramPrint, TwoAndAHalfPagesPrintThreeAndThePreviewBreaksThemAlike) {
  EXPECT_EQ(GetPrintViewClass(), RUNTIME_CLASS(CQXProgramPrintView));
  view->setProgram(lines(400));
  auto probe = job();
  ASSERT_TRUE(probe);
  renderPages(*probe, 300);
  ASSERT_GE(probe->GetPageStarts().size(), 2u);
  const int perPage = probe->GetPageStarts()[1].token / 2;  // two tokens a line
  ASSERT_GT(perPage, 10);

  view->setProgram(lines(perPage * 5 / 2));
  auto printed = job();
  auto previewed = job(CQXPrintView::kModePreview);
  ASSERT_TRUE(printed && previewed);
  const std::vector<QImage> paper = renderPages(*printed, 300);
  EXPECT_EQ(paper.size(), 3u);
  EXPECT_EQ(printed->GetPageStarts().size(), 3u);
  // The preview draws its pages again whenever it is shown.
  renderPages(*previewed, 300);
  const std::vector<QImage> shown = renderPages(*previewed, 300);
  ASSERT_EQ(shown.size(), paper.size());
  for (std::size_t i = 0; i < shown.size(); ++i) EXPECT_TRUE(shown[i] == paper[i]) << i;
  EXPECT_EQ(previewed->GetPageStarts(), printed->GetPageStarts());
}

// Long commands wrap inside themselves: pages begin within a token, at the
// character after the last one printed; positions beyond 16 bits page too.
TEST_F(ProgramPrint, PagesBeginInsideASplitTokenAndBeyondSixteenBits) {
  view->setProgram(QByteArray(400, char(kLong)));
  auto split = job();
  ASSERT_TRUE(split);
  bareJob(*split, 1440);
  const std::size_t pages = renderPages(*split, 150).size();
  const auto& starts = split->GetPageStarts();
  ASSERT_EQ(starts.size(), pages);
  ASSERT_GE(pages, 2u);
  EXPECT_TRUE(std::any_of(starts.begin(), starts.end(), [](const auto& at) { return at.charOffset > 0; }));

  view->setProgram(QByteArray(70000, 'A'));
  auto many = job();
  ASSERT_TRUE(many);
  bareJob(*many, 0);
  renderPages(*many, 72);
  EXPECT_GT(many->GetPageStarts().back().token, 0xFFFF);
}

// Printed into a PDF and read back by another program, the pages hold every
// character once, also where a command wraps from one page to the next.
TEST_F(ProgramPrint, SplitCommandsLoseAndRepeatNoCharacterOnPaper) {
  if (!havePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  view->setProgram(QByteArray(300, char(kLong)));
  int pages = 0;
  EXPECT_EQ(printedText(&pages).toStdString(), QString(kAlphabet).repeated(300).toStdString());
  EXPECT_GE(pages, 2);
}

// A body lower than a line gets nowhere: the job ends after that page, in
// the preview as in print.
TEST_F(ProgramPrint, APageWithoutProgressEndsTheJob) {
  view->setProgram(lines(50));
  for (int mode : {CQXPrintView::kModePrint, CQXPrintView::kModePreview}) {
    auto stuck = job(mode);
    ASSERT_TRUE(stuck);
    stuck->m_rcMargins = {1440, 7900, 1440, 7900};
    EXPECT_EQ(renderPages(*stuck, 300).size(), 1u) << mode;
  }
  view->editor->ClearTokens();
  auto empty = job();
  ASSERT_TRUE(empty);
  EXPECT_EQ(renderPages(*empty, 300).size(), 1u);
}

TEST_F(ProgramPrint, TheStoredFontPrintsInItsOutlineFormElseCourierNew) {
  view->setProgram(lines(3));
  {
    MessageLog log;
    auto plain = job();
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->GetPrintFont().font().family(), QStringLiteral("Courier New"));
    EXPECT_EQ(plain->GetPrintFont().font().pointSize(), 10);
  }
  LOGFONT stored{};
  stored.lfHeight = -16;
  qstrncpy(stored.lfFaceName, "QXL2", sizeof stored.lfFaceName);
  ASSERT_TRUE(WriteProfileFont(&stored, 0, "Settings", "Program Editor Font"));
  auto outline = job();
  ASSERT_TRUE(outline);
  EXPECT_EQ(outline->GetPrintFont().font().family(), QStringLiteral("QXL2 TT"));
}

// Fields that all fit print on one page, each with its label (an empty
// field too); a list without fields has nothing to print.
TEST_F(ProgramPrint, FunctionFieldsThatFitPrintOnOnePageWithTheirLabels) {
  view->setFields({"AAA", "", QByteArray(2, char(kLong))});
  auto fields = job();
  ASSERT_TRUE(fields);
  EXPECT_TRUE(qobject_cast<CQXFunctionPrintView*>(fields.get()));
  bareJob(*fields, 1440);
  const std::vector<QImage> pages = renderPages(*fields, 300);
  ASSERT_EQ(pages.size(), 1u);
  // Three label lines, the last field's tokens on one line.
  const QRect labels = inkBounds(pages[0], QRect(300, 300, 100, 2400));
  EXPECT_GT(labels.height(), 2 * fields->m_nLineHeight);
  EXPECT_LT(labels.height(), 3 * fields->m_nLineHeight);
  view->setFields({});
  EXPECT_FALSE(job());
}

// Printed into a PDF and read back: every label once, before its field's
// tokens, however the fields fall on the pages.
TEST_F(ProgramPrint, FunctionFieldsBreakIntoPagesWithoutLosingOrRepeating) {
  if (!havePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  std::vector<QByteArray> tokens;
  QString expected;
  for (int i = 0; i < 60; ++i) {
    tokens.push_back(QByteArray(i % 7, char(kLong)) + "AA");
    expected += QStringLiteral("Y%1:").arg(i + 1) + QString(kAlphabet).repeated(i % 7) + "AA";
  }
  view->setFields(tokens);
  int pages = 0;
  EXPECT_EQ(printedText(&pages).toStdString(), expected.toStdString());
  EXPECT_GE(pages, 2);
}

// The item's name titles the job and the fields' labels print as the
// calculator shows them.
TEST_F(ProgramPrint, TheTitleAndTheLabelsReadAsTheCalculatorShowsThem) {
  if (!havePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  PageTree::description = "A\xCE";
  view->setFields({"AA"});
  view->fields->GetField(0)->SetLabel("r\xCE" "\x89" "1:");
  EXPECT_EQ(view->fields->GetField(0)->GetLabelWindow()->text(), QStringLiteral("rθ+1:"));
  auto fields = job();
  ASSERT_TRUE(fields);
  EXPECT_EQ(fields->m_strTitle, QStringLiteral("Aθ"));
  int pages = 0;
  EXPECT_EQ(printedText(&pages), QStringLiteral("rθ+1:AA"));
}

TEST_F(ProgramPrint, ThePreviewShowsTheProgramsPages) {
  view->setProgram(lines(300));
  w.frame->SendMessage(WM_COMMAND, 57609);
  CQXPrintPreviewWnd* preview = CQXPrintPreviewWnd::Of(w.frame);
  ASSERT_TRUE(preview);
  preview->GetPreviewWidget()->updatePreview();
  QCoreApplication::processEvents();
  EXPECT_GE(preview->GetPageCount(), 3);
  EXPECT_EQ(preview->GetPreviewWidget()->pageCount(), preview->GetPageCount());
  preview->SendMessage(WM_COMMAND, CQXPrintPreviewWnd::kCmdClose);
}

}  // namespace
}  // namespace tallix::test

#include "KindPrintViewTest.moc"
