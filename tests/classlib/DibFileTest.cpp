#include "classlib/BitmapFunctions.h"
#include "classlib/DibFunctions.h"
#include "platform/ByteOrder.h"
#include "tests/support/FifoWatch.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestEnvironment.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <vector>

using tallix::test::FileSizeLimit;
using tallix::test::TestEnvironment;

namespace {

using Bytes = std::vector<BYTE>;

void put32(Bytes& b, size_t at, DWORD v) { PutLittleEndian32(b.data() + at, v); }
void put16(Bytes& b, size_t at, WORD v) {
  b[at] = BYTE(v);
  b[at + 1] = BYTE(v >> 8);
}

// 16 colour table entries of `entrySize` bytes (4: RGBQUAD, 3: RGBTRIPLE):
// entry i is blue i, green 2i, red 3i.
Bytes colourTable(size_t entrySize) {
  Bytes t(16 * entrySize, 0);
  for (size_t i = 0; i < 16; ++i) {
    t[i * entrySize] = BYTE(i);
    t[i * entrySize + 1] = BYTE(2 * i);
    t[i * entrySize + 2] = BYTE(3 * i);
  }
  return t;
}

// A 4-bit DIB of 3 x 2 pixels with that colour table and pixel (x, y) of
// colour index x + 4y, rows stored bottom-up.
Bytes fourBitDib() {
  Bytes dib(40 + 64 + 8, 0);
  put32(dib, 0, 40);
  put32(dib, 4, 3);
  put32(dib, 8, 2);
  put16(dib, 12, 1);
  put16(dib, 14, 4);
  put32(dib, 32, 16);
  const Bytes table = colourTable(4);
  std::copy(table.begin(), table.end(), dib.begin() + 40);
  // Bottom row (y 1) first: indexes 4 5 6, then the top row: 0 1 2.
  dib[104] = 0x45;
  dib[105] = 0x60;
  dib[108] = 0x01;
  dib[109] = 0x20;
  return dib;
}

QRgb tableColour(int i) { return qRgb(3 * i, 2 * i, i); }

Bytes fileBytes(const QString& path) {
  QFile f(path);
  f.open(QIODevice::ReadOnly);
  const QByteArray a = f.readAll();
  return Bytes(a.begin(), a.end());
}

void writeBytes(const QString& path, const Bytes& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

std::string local(const QString& path) { return QFile::encodeName(path).toStdString(); }

QImage imageOf(const HGLOBAL& dib) {
  CBitmap bitmap;
  bitmap.Attach(DibCreateBitmap(dib, nullptr));
  return bitmap.GetImage();
}

class DibFiles : public ::testing::Test {
 protected:
  TestEnvironment env;
  QString file(const char* name) const { return env.dataFile(QString::fromLatin1(name)); }
};

}  // namespace

TEST_F(DibFiles, AWriteThatFailsAnywhereKeepsTheOldFile) {
  const std::string path = local(file("old.bmp"));
  ASSERT_TRUE(DibWriteFile(path.c_str(), HGLOBAL{fourBitDib()}));
  const Bytes before = fileBytes(file("old.bmp"));
  Bytes other = fourBitDib();
  other[104] = 0x12;
  for (rlim_t limit : {rlim_t(0), rlim_t(14), rlim_t(before.size() / 2)}) {
    FileSizeLimit full(limit);
    EXPECT_FALSE(DibWriteFile(path.c_str(), HGLOBAL{other})) << limit;
  }
  EXPECT_EQ(fileBytes(file("old.bmp")), before);
}

TEST_F(DibFiles, AFourBitDibIsWrittenWithItsFileHeaderAndReadBack) {
  const HGLOBAL dib{fourBitDib()};
  const std::string path = local(file("four.bmp"));
  ASSERT_TRUE(DibWriteFile(path.c_str(), dib));
  const Bytes bytes = fileBytes(file("four.bmp"));
  ASSERT_EQ(bytes.size(), 14 + dib.size());
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(GetLittleEndian32(bytes.data() + 2), DWORD(bytes.size()));
  EXPECT_EQ(GetLittleEndian32(bytes.data() + 10), 118u);
  EXPECT_EQ(Bytes(bytes.begin() + 14, bytes.end()), fourBitDib());

  const HGLOBAL back = DibReadFile(path.c_str());
  ASSERT_TRUE(back);
  BITMAPINFOHEADER header;
  ASSERT_TRUE(DibGetInfoHeader(back, &header));
  EXPECT_EQ(header.biSizeImage, 8u);  // filled in as it was read
  const Bytes written = fourBitDib();
  EXPECT_EQ(Bytes(back.bytes().begin() + 40, back.bytes().end()), Bytes(written.begin() + 40, written.end()));

  // Another reader sees the same pixels as our own decoding.
  const QImage theirs(file("four.bmp"));
  const QImage ours = imageOf(back);
  ASSERT_EQ(theirs.size(), QSize(3, 2));
  ASSERT_EQ(ours.size(), QSize(3, 2));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(theirs.pixel(x, y), tableColour(x + 4 * y));
      EXPECT_EQ(ours.pixel(x, y), tableColour(x + 4 * y));
    }

  // Without the file header the DIB is read all the same.
  writeBytes(file("bare.dib"), fourBitDib());
  const HGLOBAL bare = DibReadFile(local(file("bare.dib")).c_str());
  ASSERT_TRUE(bare);
  EXPECT_EQ(imageOf(bare).pixel(2, 1), tableColour(6));
}

TEST_F(DibFiles, AnOlderTwelveByteHeaderIsWidened) {
  Bytes f(14 + 12 + 48 + 8, 0);
  f[0] = 'B';
  f[1] = 'M';
  put32(f, 10, 14 + 12 + 48);
  put32(f, 14, 12);
  put16(f, 18, 3);
  put16(f, 20, 2);
  put16(f, 22, 1);
  put16(f, 24, 4);
  const Bytes table = colourTable(3);
  std::copy(table.begin(), table.end(), f.begin() + 26);
  const Bytes bits = {0x45, 0x60, 0, 0, 0x01, 0x20, 0, 0};
  std::copy(bits.begin(), bits.end(), f.begin() + 74);
  writeBytes(file("core.bmp"), f);

  const HGLOBAL dib = DibReadFile(local(file("core.bmp")).c_str());
  ASSERT_TRUE(dib);
  BITMAPINFOHEADER header;
  header.ReadFrom(dib.data());
  EXPECT_EQ(header.biSize, 40u);
  EXPECT_EQ(header.biWidth, 3);
  EXPECT_EQ(header.biHeight, 2);
  EXPECT_EQ(header.biClrUsed, 16u);
  const Bytes expected = fourBitDib();
  EXPECT_EQ(Bytes(dib.bytes().begin() + 40, dib.bytes().end()), Bytes(expected.begin() + 40, expected.end()))
      << "the same table, in the same order, and the same bits";
}

TEST_F(DibFiles, HeadersThatDoNotDescribeAReadableBitmapAreRefused) {
  auto withHeader = [](auto change) {
    Bytes f(14, 0);
    f[0] = 'B';
    f[1] = 'M';
    const Bytes dib = fourBitDib();
    f.insert(f.end(), dib.begin(), dib.end());
    put32(f, 10, 118);
    change(f);
    return f;
  };
  const std::vector<std::pair<const char*, Bytes>> bad = {
      {"64-byte header", withHeader([](Bytes& f) { put32(f, 14, 64); })},
      {"108-byte header", withHeader([](Bytes& f) { put32(f, 14, 108); })},
      {"two planes", withHeader([](Bytes& f) { put16(f, 26, 2); })},
      {"3 bits", withHeader([](Bytes& f) { put16(f, 28, 3); })},
      {"17 colours of 4 bits", withHeader([](Bytes& f) { put32(f, 46, 17); })},
      {"width 0", withHeader([](Bytes& f) { put32(f, 18, 0); })},
      {"width 32768", withHeader([](Bytes& f) { put32(f, 18, 32768); })},
      {"height 0", withHeader([](Bytes& f) { put32(f, 22, 0); })},
      {"bit fields", withHeader([](Bytes& f) { put32(f, 30, BI_BITFIELDS); })},
      {"bits missing", withHeader([](Bytes& f) { f.resize(f.size() - 1); })},
      // 32767 x 32767 at 32 bits announced by a file of a few bytes: refused
      // before anything is allocated for the bits.
      {"huge", withHeader([](Bytes& f) {
         put32(f, 18, 32767);
         put32(f, 22, DWORD(-32767));
         put16(f, 28, 32);
         put32(f, 46, 0);
       })},
      {"short header", Bytes{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 40, 0, 0}},
  };
  for (const auto& [what, bytes] : bad) {
    writeBytes(file("bad.bmp"), bytes);
    EXPECT_FALSE(DibReadFile(local(file("bad.bmp")).c_str())) << what;
  }
  EXPECT_FALSE(DibReadFile(local(file("missing.bmp")).c_str()));
  // A FIFO is never opened: the open would wait for a writer for ever.
  tallix::test::FifoWatch fifo(file("pipe.bmp"));
  ASSERT_TRUE(fifo.made());
  EXPECT_FALSE(fifo.openedDuring([&] { EXPECT_FALSE(DibReadFile(fifo.path())); }));
}

// Files another program writes are read, top-down ones included, and what
// we write is read by it.
TEST_F(DibFiles, BitmapFilesOfOtherWritersAndOurs) {
  QImage picture(7, 5, QImage::Format_RGB32);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) picture.setPixel(x, y, qRgb(x * 30, y * 50, 255 - x * y));
  for (const auto& image : {picture, picture.convertToFormat(QImage::Format_Indexed8),
                            picture.convertToFormat(QImage::Format_Mono)}) {
    ASSERT_TRUE(image.save(file("theirs.bmp"), "BMP"));
    const HGLOBAL dib = DibReadFile(local(file("theirs.bmp")).c_str());
    ASSERT_TRUE(dib) << image.format();
    EXPECT_EQ(imageOf(dib), image.convertToFormat(QImage::Format_RGB32)) << image.format();
  }

  CBitmap bitmap;
  ASSERT_TRUE(bitmap.SetImage(picture));
  ASSERT_TRUE(WriteBitmapFile(bitmap, local(file("ours.bmp")).c_str()));
  EXPECT_EQ(QImage(file("ours.bmp")).convertToFormat(QImage::Format_RGB32), picture);

  // A top-down DIB (negative height) keeps its first row on top.
  HGLOBAL dib = DibCreateFromBitmap(bitmap.GetSafeHandle(), BI_RGB, 0, nullptr);
  ASSERT_TRUE(dib);
  Bytes topDown(dib.bytes().begin(), dib.bytes().begin() + 40);
  put32(topDown, 8, DWORD(-5));
  for (int y = 4; y >= 0; --y)
    topDown.insert(topDown.end(), dib.bytes().begin() + 40 + y * 28, dib.bytes().begin() + 40 + (y + 1) * 28);
  EXPECT_EQ(imageOf(HGLOBAL{topDown}), picture);

  EXPECT_FALSE(DibCreateFromBitmap(bitmap.GetSafeHandle(), BI_RLE8, 0, nullptr));
  EXPECT_FALSE(DibCreateFromBitmap(bitmap.GetSafeHandle(), BI_RGB, 8, nullptr));
}

TEST_F(DibFiles, StretchPaintCopiesAndsOrFills) {
  QImage target(4, 2, QImage::Format_RGB32);
  target.fill(qRgb(0xF0, 0x0F, 0xFF));
  QPainter painter(&target);
  const HGLOBAL dib{fourBitDib()};
  // The top row of the DIB (bottom-up: source y 1), doubled, anded in.
  EXPECT_EQ(DibStretchPaint(&painter, 0, 0, 4, 2, dib, 0, 1, 2, 1, SRCAND), 1);
  painter.end();
  EXPECT_EQ(target.pixel(0, 0), qRgb(0, 0, 0) & 0xFFFFFFFF);
  EXPECT_EQ(target.pixel(3, 1), qRgb(0xF0 & 3, 0x0F & 2, 0xFF & 1));

  painter.begin(&target);
  EXPECT_EQ(DibStretchPaint(&painter, 2, 0, 2, 2, HGLOBAL{}, 0, 0, 0, 0, WHITENESS), 1);
  painter.end();
  EXPECT_EQ(target.pixel(2, 1), qRgb(255, 255, 255));
}
