#include "datamodel/CalcNumber.h"
#include "datamodel/QXImageRecord.h"
#include "datamodel/QXValueGrid.h"
#include "datamodel/QXVariableSet.h"
#include "tests/support/OldHeaderVectors.h"

#include <gtest/gtest.h>

using namespace tallix::test;

TEST(NumberCells, LinkRecordsAreCheckedBeforeTheyAreTaken) {
  const Bytes one = number(1, 0);
  EXPECT_TRUE(CQXNumberCell::IsValidRecord(valueRecord(3, 255, one).data(), 14));
  EXPECT_FALSE(CQXNumberCell::IsValidRecord(valueRecord(0, 1, one).data(), 14));
  EXPECT_FALSE(CQXNumberCell::IsValidRecord(valueRecord(1, 256, one).data(), 14));
  EXPECT_FALSE(CQXNumberCell::IsValidRecord(valueRecord(1, 1, one).data(), 13));
  EXPECT_FALSE(CQXNumberCell::IsValidRecord(nullptr, 14));
  Bytes badNibble = valueRecord(1, 1, one);
  badNibble[4] = 0x10;
  EXPECT_FALSE(CQXNumberCell::IsValidRecord(badNibble.data(), 14));
  // A complex value travels only as a 1 x 1 value.
  EXPECT_TRUE(CQXNumberCell::IsValidRecord(valueRecord(1, 1, one, one).data(), 24));
  EXPECT_FALSE(CQXNumberCell::IsValidRecord(valueRecord(2, 1, one, one).data(), 24));
  Bytes badImaginary = valueRecord(1, 1, one, one);
  badImaginary[14] = 0x90;
  EXPECT_FALSE(CQXNumberCell::IsValidRecord(badImaginary.data(), 24));
}

TEST(NumberCells, CellsKeepTheCalculatorsBytesForThePagesToDecode) {
  SetCalcNumberDecimalSeparator('.');
  CQXValueGrid grid;
  grid.SetSize(2, 1);
  ASSERT_TRUE(grid.SetCellFromRecord(valueRecord(1, 1, number(15, 0)).data(), 14));
  ASSERT_TRUE(grid.SetCellFromRecord(valueRecord(2, 1, number(25, 1, true)).data(), 14));
  auto text = [&](int a) {
    Bytes bytes(grid.GetCell(a, 1)->GetReal(), grid.GetCell(a, 1)->GetReal() + 10);
    char buffer[32] = "";
    CQXNumConvRequest r{};
    r.size = sizeof r;
    r.mode = kNumConvOlder;
    r.bytes = bytes.data();
    r.bytesSize = 10;
    r.text = buffer;
    r.textSize = sizeof buffer;
    EXPECT_TRUE(ConvertCalcNumber(&r));
    return std::string(buffer);
  };
  EXPECT_EQ(text(1), "1.5");
  EXPECT_EQ(text(2), "-25");
  SetCalcNumberDecimalSeparator(0);
}

TEST(NumberCells, StoredFormDependsOnTheKind) {
  CQXNumberCell cell(2, 3);
  const Bytes value = number(25, 1, true);
  ASSERT_TRUE(cell.SetFromRecord(valueRecord(9, 9, value).data(), 14));
  EXPECT_EQ(cell.GetFirst(), 2);  // the cell keeps its place
  Bytes expected;
  putDword(expected, 1002);
  putDword(expected, 22);
  putDword(expected, 1);
  putDword(expected, 3);
  putDword(expected, 2);
  expected.insert(expected.end(), value.begin(), value.end());
  EXPECT_EQ(storedBytes(cell), expected);

  CQXNumberCell complex(1, 1);
  ASSERT_TRUE(complex.SetFromRecord(valueRecord(1, 1, value, number(1, 0)).data(), 24));
  EXPECT_EQ(complex.GetKind(), CQXNumberCell::kComplex);
  EXPECT_EQ(complex.GetValueSize(), 20u);
  const Bytes stored = storedBytes(complex);
  EXPECT_EQ(stored.size(), 40u);
  CQXNumberCell loaded;
  loadBytes(loaded, stored);
  EXPECT_EQ(loaded, complex);
  Bytes record(24);
  EXPECT_EQ(loaded.GetRecord(record.data(), 23, 1, 1), 0u);
  EXPECT_EQ(loaded.GetRecord(record.data(), 24, 1, 1), 24u);
  EXPECT_EQ(record, valueRecord(1, 1, value, number(1, 0)));

  Bytes wrongSize = expected;
  wrongSize[4] = 32;  // a real value announced with the complex size
  EXPECT_EQ(archiveCode([&] { loadBytes(loaded, wrongSize); }), kArchiveBadRecord);
  Bytes wrongKind = expected;
  wrongKind[8] = 3;
  EXPECT_EQ(archiveCode([&] { loadBytes(loaded, wrongKind); }), kArchiveBadRecord);
}

TEST(ValueGrids, CellsAreKeptColumnByColumn) {
  CQXValueGrid grid;
  EXPECT_FALSE(grid.SetSize(256, 1));
  EXPECT_FALSE(grid.SetSize(0, 3));
  EXPECT_FALSE(grid.SetSize(-1, -1));
  ASSERT_TRUE(grid.SetSize(2, 3));
  ASSERT_TRUE(grid.SetCellFromRecord(valueRecord(2, 3, number(6, 0)).data(), 14));
  ASSERT_TRUE(grid.SetCellFromRecord(valueRecord(1, 2, number(3, 0)).data(), 14));
  // Records that name a cell outside the grid are refused.
  EXPECT_FALSE(grid.SetCellFromRecord(valueRecord(3, 1, number(1, 0)).data(), 14));
  EXPECT_FALSE(grid.SetCellFromRecord(valueRecord(1, 4, number(1, 0)).data(), 14));
  EXPECT_FALSE(grid.SetCellRecord(0, 1, valueRecord(1, 1, number(1, 0)).data(), 14));

  const Bytes stored = storedBytes(grid);
  ASSERT_EQ(stored.size(), 12u + 6 * 30 + 4);
  // Index (b-1) x N1 + a-1: cell (1, 2) is the third record, (2, 3) the sixth.
  auto recordAt = [&](int i) { return Bytes(stored.begin() + 12 + 30 * i, stored.begin() + 12 + 30 * (i + 1)); };
  EXPECT_EQ(recordAt(2)[16], 1);  // first index of cell (1, 2) ...
  EXPECT_EQ(recordAt(2)[12], 2);  // ... stored after its second index
  EXPECT_EQ(recordAt(2)[8], 1);   // real
  EXPECT_EQ(recordAt(5)[16], 2);
  EXPECT_EQ(recordAt(5)[12], 3);
  EXPECT_EQ(recordAt(0)[8], 0);  // empty

  CQXValueGrid loaded;
  loadBytes(loaded, stored);
  EXPECT_EQ(loaded, grid);
  EXPECT_FALSE(loaded.ValidateCell(1, 1));
  EXPECT_TRUE(loaded.ValidateCell(1, 2));
  EXPECT_TRUE(loaded.ValidateCell(9, 9));
  EXPECT_FALSE(loaded.ValidateAll());
}

TEST(ValueGrids, EmptyGridsAndDamagedRecords) {
  CQXValueGrid empty;
  const Bytes stored = storedBytes(empty);
  EXPECT_EQ(stored.size(), 16u);
  CQXValueGrid loaded;
  loadBytes(loaded, stored);
  EXPECT_TRUE(loaded.IsEmpty());

  CQXValueGrid grid;
  grid.SetSize(2, 1);
  Bytes good = storedBytes(grid);
  Bytes halfEmpty = good;
  halfEmpty[4] = 0;  // N2 = 0 with N1 = 2
  EXPECT_EQ(archiveCode([&] { loadBytes(loaded, halfEmpty); }), kArchiveBadRecord);
  Bytes tooMany = good;
  tooMany[8] = 0;
  tooMany[9] = 1;  // N1 = 256
  EXPECT_EQ(archiveCode([&] { loadBytes(loaded, tooMany); }), kArchiveBadRecord);
  Bytes huge = good;
  huge[4] = 255;
  huge[8] = 255;  // 255 x 255 cells announced, two present
  EXPECT_EQ(archiveCode([&] { loadBytes(loaded, huge); }), kArchiveBadRecord);
  Bytes moved = good;
  moved[12 + 16] = 2;  // the first cell claims to be cell (2, 1)
  EXPECT_EQ(archiveCode([&] { loadBytes(loaded, moved); }), kArchiveBadRecord);
  EXPECT_TRUE(loaded.IsEmpty());  // a failed load keeps what was there
}

namespace {

struct Entries {
  CQXStoredNameField names[3];
  Entries() {
    names[0].SetName("Xmin");
    names[1].SetName("Xmax");
    names[2].SetName("T\xCEmin");
  }
};

}  // namespace

TEST(VariableSets, EachEntryTravelsWithItsOwnHeader) {
  Entries e;
  CQXVariableSet set("WD");
  set.SetEntries(3, e.names);
  ASSERT_TRUE(set.ResizeValues());
  EXPECT_EQ(set.FindEntry("Xmax"), 1);
  EXPECT_EQ(set.FindEntry("Xma"), -1);
  EXPECT_EQ(set.FindEntry("T\xCEmin"), 2);

  Bytes h(50);
  EXPECT_FALSE(set.BuildHeader("Ymin", h.data(), 50));
  ASSERT_TRUE(set.BuildHeader("Xmax", h.data(), 50));
  Bytes expected = valHeader("WD", 0, 0, "Xmax");
  EXPECT_EQ(h, expected);
  EXPECT_EQ(CQXVariableSet::GetDataSize(h.data(), 50), 0u);

  // The first header gives the group; the value follows.
  Bytes in = valHeader("WD", 1, 1, "Xmax", "V\x99Win3");
  ASSERT_TRUE(set.AcceptHeader("Xmax", in.data(), 50));
  EXPECT_EQ(set.GetGroupField().GetText(), "V\x99Win3");
  EXPECT_EQ(CQXVariableSet::GetDataSize(in.data(), 50), 14u);
  ASSERT_TRUE(set.SetFromHeader(in.data(), valueRecord(1, 1, number(10, 1)).data(), 14));
  ASSERT_TRUE(set.BuildHeader(1, h.data(), 50));
  EXPECT_EQ(h, valHeader("WD", 1, 1, "Xmax", "V\x99Win3"));
  Bytes record(24);
  ASSERT_EQ(set.GetValueRecord("Xmax", record.data(), 24), 14u);
  EXPECT_EQ(Bytes(record.begin(), record.begin() + 14), valueRecord(1, 1, number(10, 1)));
  EXPECT_EQ(set.GetValueRecord("Xmin", record.data(), 24), 0u);

  // A complex value travels as 'C' with a 24-byte record, even for the
  // third entry.
  ASSERT_TRUE(set.SetValueRecord(2, valueRecord(1, 1, number(1, 0), number(2, 0)).data(), 24));
  ASSERT_TRUE(set.BuildHeader(2, h.data(), 50));
  EXPECT_EQ(h, valHeader("WD", 1, 1, "T\xCEmin", "V\x99Win3", 'C'));
  EXPECT_EQ(CQXVariableSet::GetDataSize(h.data(), 50), 24u);
  EXPECT_EQ(set.GetValueRecord(2, record.data(), 24), 24u);
  EXPECT_TRUE(CQXNumberCell::IsValidRecord(record.data(), 24));
}

TEST(VariableSets, HeaderChecksRefuseEachBadField) {
  Entries e;
  CQXVariableSet set("FT");
  set.SetEntries(3, e.names);
  set.ResizeValues();
  const Bytes good = valHeader("FT", 1, 1, "Xmin", "Y=Data");
  EXPECT_FALSE(set.AcceptHeader("Other", good.data(), 50));
  EXPECT_FALSE(set.AcceptHeader("Xmin", good.data(), 40));
  std::vector<std::pair<const char*, Bytes>> bad;
  Bytes b = good;
  put(b, 1, "FNC");
  bad.emplace_back("kind", b);
  b = good;
  put(b, 5, "WD");
  bad.emplace_back("code", b);
  b = good;
  b[27] = 'X';
  bad.emplace_back("value type", b);
  b = good;
  b[28] = 0x0B;
  bad.emplace_back("0x0A", b);
  b = good;
  put16(b, 7, 2);
  bad.emplace_back("rows", b);
  b = good;
  put16(b, 9, 2);
  bad.emplace_back("columns", b);
  b = good;
  put(b, 19, "File 9");
  bad.emplace_back("group", b);
  for (auto& [what, header] : bad) EXPECT_FALSE(set.AcceptHeader("Xmin", header.data(), 50)) << what;
  EXPECT_FALSE(set.GetGroupField().IsSet());
  EXPECT_TRUE(set.AcceptHeader("Xmin", good.data(), 50));
  EXPECT_EQ(set.GetGroupField().GetText(), "Y=Data");
}

TEST(VariableSets, StoredWithTheirGroupAndValues) {
  Entries e;
  CQXVariableSet set("TR");
  set.SetEntries(3, e.names);
  set.ResizeValues();
  set.GetGroupField().SetName("Y=Data");
  set.SetValueRecord(0, valueRecord(1, 1, number(5, 0)).data(), 14);
  const Bytes stored = storedBytes(set);
  EXPECT_EQ(stored.size(), 12u + (12 + 3 * 30 + 4) + 8);
  Bytes head;
  putDword(head, 1303);
  putDword(head, 8);
  putBytes(head, "Y=Data");
  head.push_back(0xFF);
  head.push_back(0xFF);
  EXPECT_EQ(Bytes(stored.begin(), stored.begin() + 16), head);

  CQXVariableSet loaded("TR");
  loaded.SetEntries(3, e.names);
  loadBytes(loaded, stored);
  EXPECT_EQ(loaded.GetValues(), set.GetValues());
  EXPECT_EQ(loaded.GetGroupField().GetText(), "Y=Data");

  CQXVariableSet fewer("TR");
  fewer.SetEntries(2, e.names);
  EXPECT_EQ(archiveCode([&] { loadBytes(fewer, stored); }), kArchiveBadRecord);
}

TEST(ImageRecords, FiftyByteHeadersCarrySizesAndLetters) {
  Bytes h = blankHeader();
  put(h, 1, "IMG");
  put(h, 5, "PC");
  put16(h, 7, 64);
  put16(h, 9, 128);
  put(h, 27, "DRDWF");
  put16(h, 32, 3);
  put16(h, 34, 1);
  CQXImageRecord image;
  ASSERT_TRUE(image.FromHeader(h.data(), 50));
  EXPECT_EQ(image.GetSizeA(), 64u);
  EXPECT_EQ(image.GetSizeB(), 128u);
  EXPECT_EQ(image.GetPlanesD(), 3u);
  EXPECT_EQ(image.GetCorner(), 4u);
  EXPECT_EQ(image.GetImageSize(), 64u * 128 / 8 * 3);
  Bytes out = blankHeader();
  ASSERT_TRUE(image.ToHeader(out.data(), 50));
  EXPECT_EQ(out, h);

  // Sizes from a header are limited before anything is computed from them.
  for (auto [offset, value] : {std::pair{7, 257}, {9, 65535}, {32, 0}, {32, 5}}) {
    Bytes bad = h;
    put16(bad, size_t(offset), unsigned(value));
    EXPECT_FALSE(image.FromHeader(bad.data(), 50)) << offset << " " << value;
  }
  Bytes bad = h;
  put(bad, 27, "XX");
  EXPECT_FALSE(image.FromHeader(bad.data(), 50));
  bad = h;
  bad[29] = 'Q';
  EXPECT_FALSE(image.FromHeader(bad.data(), 50));
  bad = h;
  put(bad, 5, "GM");
  EXPECT_FALSE(image.FromHeader(bad.data(), 50));
  // The largest groups count stays exact in 64 bits.
  bad = h;
  put16(bad, 7, 256);
  put16(bad, 9, 256);
  put16(bad, 32, 4);
  put16(bad, 34, 65535);
  ASSERT_TRUE(image.FromHeader(bad.data(), 50));
  EXPECT_EQ(image.GetImageSize(), 8192ull * 4 * 65535);
  EXPECT_EQ(image.GetSizeA(), 256u);
}

TEST(ImageRecords, ScreenCopyHeadersAndPlanes) {
  Bytes h(40, 0);
  put(h, 1, "DC");
  h[3] = 64;
  h[4] = 128;
  h[5] = 16;
  h[6] = 'U';
  h[7] = 'W';
  h[8] = 'R';
  CQXImageRecord image;
  ASSERT_TRUE(image.FromHeader(h.data(), 40));
  EXPECT_EQ(image.GetPlanesD(), 3u);
  EXPECT_EQ(image.GetCorner(), 2u);
  Bytes out(40, 0);
  ASSERT_TRUE(image.ToHeader(out.data(), 40));
  EXPECT_EQ(out, h);
  h[5] = 2;
  EXPECT_FALSE(image.FromHeader(h.data(), 40));
  h[5] = 16;
  h[2] = 'X';
  EXPECT_FALSE(image.FromHeader(h.data(), 40));

  Bytes bits(size_t(image.GetImageSize()));
  for (size_t i = 0; i < bits.size(); ++i) bits[i] = BYTE(i / 1024);
  EXPECT_FALSE(image.SetBits(bits.data(), DWORD(bits.size() - 1)));
  ASSERT_TRUE(image.SetBits(bits.data(), DWORD(bits.size())));
  Bytes plane(1024);
  EXPECT_EQ(image.CopyPlane(1, plane.data(), 1023), 0u);
  EXPECT_EQ(image.CopyPlane(1, plane.data(), 1024), 1024u);
  EXPECT_EQ(plane[0], 0);
  EXPECT_EQ(image.CopyPlane(2, plane.data(), 1024), 0u);  // group 2 starts past the bits
  EXPECT_EQ(image.CopyPlane(0, plane.data(), 1024), 0u);

  const Bytes stored = storedBytes(image);
  EXPECT_EQ(stored.size(), 52u + bits.size());
  CQXImageRecord loaded;
  loadBytes(loaded, stored);
  EXPECT_EQ(loaded.GetBits(), bits);
  EXPECT_EQ(loaded.GetCorner(), 2u);
  Bytes damaged = stored;
  damaged[4 * 11] ^= 1;  // a bits length that does not fit the sizes
  EXPECT_EQ(archiveCode([&] { loadBytes(loaded, damaged); }), kArchiveBadRecord);
  // Without bits, 65535 groups of 4 planes: more than any picture holds.
  Bytes bare(stored.begin(), stored.begin() + 44);
  bare.insert(bare.end(), 4, 0);
  bare.insert(bare.end(), stored.end() - 4, stored.end());
  bare[20] = bare[21] = 0xFF;
  bare[24] = 4;
  EXPECT_EQ(archiveCode([&] { loadBytes(loaded, bare); }), kArchiveBadRecord);
}

TEST(ImageRecords, DescriptionsAreCheckedLikeHeaders) {
  ScreenFormat f;
  f.flags = 1;
  f.height = 64;
  f.width = 128;
  f.origin = 1;
  f.scan = 'R';
  f.bitOrder = 'F';
  f.ink = 'W';
  f.planes = 1;
  f.extra = 1;
  Bytes bits(1024, 0xAA);
  f.data = bits.data();
  CQXImageRecord image;
  ASSERT_TRUE(image.SetDescription(f, 1024));
  ScreenFormat back;
  ASSERT_TRUE(image.GetDescription(&back));
  EXPECT_EQ(back.height, 64);
  EXPECT_EQ(back.width, 128);
  EXPECT_EQ(back.flags, 1);
  ASSERT_NE(back.data, nullptr);
  EXPECT_EQ(back.data[5], 0xAA);
  EXPECT_FALSE(image.SetDescription(f, 1023));
  ScreenFormat g = f;
  g.flags = 4;
  EXPECT_FALSE(image.SetDescription(g, 0));
  g = f;
  g.planes = 5;
  EXPECT_FALSE(image.SetDescription(g, 0));
  g = f;
  g.width = 512;
  EXPECT_FALSE(image.SetDescription(g, 0));
  g = f;
  g.flags = 2;
  g.ink = 'H';
  ASSERT_TRUE(image.SetDescription(g, 0));
  EXPECT_EQ(image.GetFamily(), 2u);
  EXPECT_TRUE(image.GetBits().empty());
}
