#include "classlib/InternetShortcut.h"
#include "platform/ByteOrder.h"
#include "platform/OleDataObject.h"
#include "tests/support/FakeMainFrameServices.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

namespace {

// The two blocks the shell offers for a dragged shortcut file.
std::unique_ptr<QMimeData> shortcutMime(const QByteArray& contents, DWORD sizeLow, DWORD count = 1,
                                        int descriptorSize = 4 + 332) {
  QByteArray descriptor(descriptorSize, '\0');
  BYTE* p = reinterpret_cast<BYTE*>(descriptor.data());
  PutLittleEndian32(p, count);
  if (descriptorSize >= 76) PutLittleEndian32(p + 72, sizeLow);
  auto mime = std::make_unique<QMimeData>();
  mime->setData(tallix::clipboardFormatMimeType(CLIPFORMAT(RegisterClipboardFormat("FileGroupDescriptor"))), descriptor);
  mime->setData(tallix::clipboardFormatMimeType(CLIPFORMAT(RegisterClipboardFormat("FileContents"))), contents);
  return mime;
}

// The address read from those blocks, or "-" when there is none.
std::string urlOf(const QByteArray& contents, DWORD sizeLow, DWORD count = 1, int descriptorSize = 4 + 332) {
  const auto mime = shortcutMime(contents, sizeLow, count, descriptorSize);
  COleDataObject data;
  data.Attach(mime.get(), FALSE);
  CInternetShortcutReader reader;
  std::string url;
  if (!reader.ReadUrl(&data) || !reader.GetUrl(url)) return "-";
  return url;
}

std::string urlOf(const QByteArray& contents) { return urlOf(contents, DWORD(contents.size())); }

TEST(InternetShortcut, AddressIsTheTextAfterTheFirstEqualsSign) {
  EXPECT_EQ(urlOf("[InternetShortcut]\nURL=http://a.example/f.zip\n"), "http://a.example/f.zip");
  EXPECT_EQ(urlOf("[InternetShortcut]\r\nURL=http://a.example/f.zip\r\nIconIndex=0\r\n"), "http://a.example/f.zip");
  EXPECT_EQ(urlOf("[InternetShortcut]\r\nURL=http://a.example/?q=1"), "http://a.example/?q=1");
  // The descriptor's size cuts the text; a size beyond the contents reads
  // only what is there.
  const QByteArray text = "[InternetShortcut]\nURL=http://a.example/f.zip\n";
  EXPECT_EQ(urlOf(text, 33), "http://a.e");
  EXPECT_EQ(urlOf(text, 100000), "http://a.example/f.zip");
  // Cut between CR and LF: the address keeps no CR.
  EXPECT_EQ(urlOf("[InternetShortcut]\r\nURL=http://a.example/f.zip\r\n", 47), "http://a.example/f.zip");
  // No address.
  EXPECT_EQ(urlOf("[InternetShortcut]"), "-");
  EXPECT_EQ(urlOf("[InternetShortcut]\nURL http://a.example/\n"), "-");
  EXPECT_EQ(urlOf("[InternetShortcut]\nURL=\r\n"), "-");
  // Not a shortcut at all.
  EXPECT_EQ(urlOf("[internetshortcut]\nURL=http://a.example/f.zip\n"), "-");
  EXPECT_EQ(urlOf(text, DWORD(text.size()), 0), "-");
  EXPECT_EQ(urlOf(text, DWORD(text.size()), 1, 4 + 331), "-");
}

class UrlDropTargetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    shortcut_ = env_.dataFile("Site.url");
    ASSERT_TRUE(tallix::test::writeFileContents(shortcut_, "[InternetShortcut]\r\nURL=http://127.0.0.1/file.zip\r\n"));
    target_.Register(&window_);
  }

  // Drags `urls` onto the window: the action of the drag enter (Ignore when
  // refused) and, when accepted, drops them.
  Qt::DropAction dragAndDrop(const QList<QUrl>& urls) {
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &mime, Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(&window_, &enter);
    if (!enter.isAccepted()) return Qt::IgnoreAction;
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &mime, Qt::LeftButton,
                    Qt::NoModifier);
    QCoreApplication::sendEvent(&window_, &drop);
    return enter.dropAction();
  }

  tallix::test::TestEnvironment env_;
  tallix::test::FakeMainFrameServices frame_;
  QWidget window_;
  CQXUrlDropTarget target_;
  QString shortcut_;
};

TEST_F(UrlDropTargetTest, DroppedShortcutFileReachesTheMainFrame) {
  EXPECT_EQ(dragAndDrop({QUrl::fromLocalFile(shortcut_)}), Qt::CopyAction);
  EXPECT_EQ(frame_.droppedUrl, "http://127.0.0.1/file.zip");
  EXPECT_EQ(frame_.posted, std::vector<UINT>{kFrameMsgOpenDroppedUrl});
}

TEST_F(UrlDropTargetTest, RefusesOtherDataAndDropsWhileAModalDialogRuns) {
  // A browser's link, two files, a file that is no shortcut.
  const QString other = env_.dataFile("notes.txt");
  ASSERT_TRUE(tallix::test::writeFileContents(other, "URL=http://127.0.0.1/x.zip\n"));
  EXPECT_EQ(dragAndDrop({QUrl(QStringLiteral("http://127.0.0.1/file.zip"))}), Qt::IgnoreAction);
  EXPECT_EQ(dragAndDrop({QUrl::fromLocalFile(shortcut_), QUrl::fromLocalFile(shortcut_)}), Qt::IgnoreAction);
  EXPECT_EQ(dragAndDrop({QUrl::fromLocalFile(other)}), Qt::IgnoreAction);
  frame_.enabled = false;
  EXPECT_EQ(dragAndDrop({QUrl::fromLocalFile(shortcut_)}), Qt::IgnoreAction);
  EXPECT_TRUE(frame_.droppedUrl.empty());
  EXPECT_TRUE(frame_.posted.empty());
}

}  // namespace
