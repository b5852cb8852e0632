// The importers of old documents over hand-made record chains: what each
// header kind becomes, how many records it takes, and the chains and data
// too short for their item; old screen copies.
#include "app/OldDataImporter.h"
#include "classlib/PictureColors.h"
#include "datamodel/PictureConversion.h"
#include "datamodel/QXFuncMemV5Item.h"
#include "datamodel/QXFunctionItems.h"
#include "datamodel/QXImageItems.h"
#include "datamodel/QXMemberFileItems.h"
#include "datamodel/QXProgramItem.h"
#include "datamodel/QXValueSetItems.h"
#include "tests/app/OldRecordChains.h"
#include "tests/datamodel/NewItemVectors.h"
#include "tests/support/FakeDocServices.h"
#include "tests/support/TestEnvironment.h"

#include <algorithm>
#include <functional>
#include <string_view>

using namespace tallix::test;

namespace {

// Files every entry: kinds without a path of their own go to "Kind<code>".
class ImportDoc : public FakeDocServices {
 public:
  std::vector<std::pair<DWORD, int>> filed;  // kind code, item type
  BOOL StoreReceivedItem(CQXDocEntry* entry, DWORD flags) override {
    filed.emplace_back(entry->GetKind(), entry->GetItem() ? entry->GetItem()->GetTypeId() : 0);
    return FakeDocServices::StoreReceivedItem(entry, flags) ||
           entry->SetPath(("\\Calculator\\Kind" + std::to_string(entry->GetKind())).c_str()) > 0;
  }
};

struct Row {
  const char* name;
  std::function<void(RecordChain&)> build;
  int result;
  size_t cursorAt = 0;  // the record the cursor stands on afterwards
  DWORD kind = 0;
  int typeId = 0;
};

// Converts the first record of the chain (with one record after it unless
// the chain is to end there, so that how far the cursor moved shows) and
// checks the row.
void check(CQXOldDataImporter& importer, const Row& row, bool followed = true) {
  SCOPED_TRACE(std::string(row.name) + (followed ? "" : " at the chain's end"));
  RecordChain chain;
  row.build(chain);
  if (followed) chain.add(programHeader("AFTER", 0));
  qxl16_Record* cursor = chain.first();
  std::unique_ptr<CQXDocEntry> entry;
  EXPECT_EQ(importer.ConvertRecord(&cursor, &entry), row.result);
  if (row.result == CQXOldDataImporter::kBadRecord || row.result == CQXOldDataImporter::kNotConverted) return;
  EXPECT_EQ(chain.indexOf(cursor), row.cursorAt);
  if (row.result != CQXOldDataImporter::kConverted) return;
  ASSERT_TRUE(entry && entry->GetItem());
  EXPECT_EQ(entry->GetKind(), row.kind);
  EXPECT_EQ(entry->GetItem()->GetTypeId(), row.typeId);
}

// `n` value records of a grid `columns` wide, row by row.
Bytes cells(int n, int columns = 1) {
  Bytes data;
  for (int i = 0; i < n; ++i)
    append(data, valueRecord(unsigned(i / columns + 1), unsigned(i % columns + 1), number(15, i)));
  return data;
}

template <class Item>
Bytes builtHeader(Item& item, int n) {
  Bytes h(50, 0xFF);
  EXPECT_TRUE(item.BuildHeader(n, h.data(), 50));
  return h;
}

// Every entry of a value set (but the last `drop`), each with a value.
template <class Item>
void valueSet(RecordChain& chain, const char* code, const char* group, int drop = 0) {
  Item item;
  for (int i = 0; i < item.GetCount() - drop; ++i)
    chain.add(valHeader(code, 1, 1, item.GetEntryName(i), group), valueRecord(1, 1, number(2, i)));
}

void graphFunctions(RecordChain& chain, int count) {
  for (int n = 1; n <= count; ++n)
    chain.add(fncHeader("GF", 2, "Y" + std::to_string(n), '=', kGfStyle), {'1', 0xFF});
}

// Rows named "... cut" run again on a chain that ends where the item needs
// one more record.
template <size_t N>
void checkCutAtChainEnd(CQXOldDataImporter& importer, const Row (&rows)[N]) {
  for (const Row& row : rows)
    if (std::string_view(row.name).ends_with("cut")) check(importer, row, false);
}

// A picture of two groups of four planes: block (a, b) numbers itself.
Bytes twoGroupPicture() {
  Bytes data;
  for (unsigned a = 0; a < 2; ++a)
    for (unsigned b = 0; b < 4; ++b) append(data, pictureBlock(a, b, BYTE(a * 4 + b)));
  return data;
}

Bytes screenBlocks(int planes, size_t cut = 0) {
  Bytes data;
  for (int p = 1; p <= planes; ++p) {
    Bytes block = {':'};
    if (planes > 1) block.push_back(BYTE(p));
    block.resize(block.size() + 1024, BYTE(p));
    block.push_back(0);  // checksum
    append(data, block);
  }
  data.resize(data.size() - cut);
  return data;
}

TEST(OldDataImporter, EachOlderKindBecomesItsItem) {
  ImportDoc doc;
  CQXOldDataImporterFX9850 fx9850(&doc);
  doc.calculatorType = "FX7400";
  CQXOldDataImporterFX9850 fx7400(&doc);
  Bytes twoGroups = pictureHeader("Picture1");
  put16(twoGroups, 34, 2);
  const Row rows[] = {
      {"program", [](RecordChain& c) { c.add(programHeader("P", 2), {'A', 0xFF}); }, 1, 0, 1, 4001},
      {"matrix", [](RecordChain& c) { c.add(valHeader("MT", 1, 2, "Mat A"), cells(2, 2)); }, 1, 1, 4001, 4004},
      {"matrix short", [](RecordChain& c) { c.add(valHeader("MT", 1, 2, "Mat A"), cells(1, 2)); }, 5},
      {"list", [](RecordChain& c) { c.add(valHeader("LT", 2, 1, "List 1"), cells(2)); }, 1, 1, 4002, 4005},
      {"equation short", [](RecordChain& c) { c.add(valHeader("SE", 2, 3, "Mat Siml"), cells(5, 3)); }, 5},
      {"equation", [](RecordChain& c) { c.add(valHeader("PE", 1, 3, "Mat Poly"), cells(3, 3)); }, 1, 1, 4018, 4020},
      {"graph functions", [](RecordChain& c) { graphFunctions(c, 20); }, 1, 20, 4005, 4003},
      {"graph functions cut", [](RecordChain& c) { graphFunctions(c, 19); }, 5},
      {"V-Window", [](RecordChain& c) { valueSet<CQXVWindowItem>(c, "WD", "Y=Data"); }, 1, size_t(CQXVWindowItem().GetCount()), 4006, 4006},
      {"table range", [](RecordChain& c) { valueSet<CQXTableRangeItem>(c, "TR", "Y=Data"); }, 1, 3, 4008, 4008},
      {"zoom factor cut", [](RecordChain& c) { valueSet<CQXZoomFactorItem>(c, "FT", "Y=Data", 1); }, 5},
      {"variables", [](RecordChain& c) { valueSet<CQXVariable28Item>(c, "VM", "Variable"); }, 1, 28, 4013, 4010},
      {"range without formulas", [](RecordChain& c) { c.add(valHeader("RR", 1, 1, "R Start", "Y=Data")); }, 5},
      {"function memory",
       [](RecordChain& c) {
         CQXFuncMemItem memory;
         for (int n = 0; n < 6; ++n) c.add(builtHeader(memory, n), {'1', 0xFF});
       },
       1, 6, 4015, 4012},
      {"function memory cut",
       [](RecordChain& c) {
         CQXFuncMemItem memory;
         for (int n = 0; n < 5; ++n) c.add(builtHeader(memory, n), {'1', 0xFF});
       },
       5},
      {"picture of two groups", [&](RecordChain& c) { c.add(twoGroups, twoGroupPicture()); }, 1, 1, 4019, 4014},
      {"picture short",
       [&](RecordChain& c) {
         Bytes data = twoGroupPicture();
         data.resize(data.size() * 7 / 8);
         c.add(twoGroups, data);
       },
       5},
      {"recursion formulas cut",
       [](RecordChain& c) { c.add(fncHeader("RF", 2, "an", '=', kRfStyle), {'1', 0xFF}); }, 5},
      {"graph memory", [](RecordChain& c) { c.add(memHeader("GM", 4, "G\x99Mem2"), Bytes(4, 7)); }, 1, 1, 4020, 4015},
      {"mono screen copy", [](RecordChain& c) { c.add(screenHeader("DD"), screenBlocks(1)); }, 1, 0, 4022, 4017},
      {"colour screen copy", [](RecordChain& c) { c.add(screenHeader("DC"), screenBlocks(3)); }, 1, 0, 4023, 4017},
      {"screen copy short", [](RecordChain& c) { c.add(screenHeader("DC"), screenBlocks(3, 1)); }, 5},
      {"unknown", [](RecordChain& c) { c.add(valHeader("ZZ", 1, 1, "Mat A")); }, 5},
  };
  for (const Row& row : rows) check(fx9850, row);
  checkCutAtChainEnd(fx9850, rows);
  check(fx7400, {"ten functions", [](RecordChain& c) { graphFunctions(c, 10); }, 1, 10, 4004, 4002});
  check(fx7400, {"26 variables", [](RecordChain& c) { valueSet<CQXVariable26Item>(c, "VM", "Variable"); }, 1, 26, 4014, 4011});
}

TEST(OldDataImporter, OlderRecursionFormulasWaitForTheirRange) {
  ImportDoc doc;
  CQXOldDataImporterFX9850 importer(&doc);
  auto formulas = [](RecordChain& c) {
    c.add(fncHeader("RF", 2, "an", '=', kRfStyle), {'1', 0xFF}).add(fncHeader("RF", 2, "bn", '=', kRfStyle), {'2', 0xFF});
  };
  check(importer, {"formulas", formulas, CQXOldDataImporter::kPending, 2});
  check(importer, {"range",
                   [](RecordChain& c) {
                     c.add(valHeader("RR", 1, 1, "R Start", "Y=Data"), valueRecord(1, 1, number(1, 0)))
                         .add(valHeader("RR", 1, 1, "R End", "Y=Data"), valueRecord(1, 1, number(9, 0)));
                   },
                   1, 2, 4009, 4009});
  // Formulas replaced by others, or left without range, are counted.
  check(importer, {"formulas", formulas, CQXOldDataImporter::kPending, 2});
  check(importer, {"formulas", formulas, CQXOldDataImporter::kPending, 2});
  importer.EndRun();
  EXPECT_EQ(importer.GetSkippedCount(), 2);
}

TEST(OldDataImporter, EachNewerKindBecomesItsItem) {
  ImportDoc doc;
  doc.calculatorType = "FXALGEBRA20";
  CQXOldDataImporterAlgebra importer(&doc);
  Bytes head(16, 0);
  head[8] = 2, head[10] = 2;
  const Bytes real = Bytes(4 * 9, 0x15), both = Bytes(8 * 9, 0x15);
  auto matrix = [&](const Bytes& numbers, DWORD announced) {
    return [=](RecordChain& c) {
      Bytes data = head;
      append(data, numbers);
      c.add(mcs1Header(6, "MAT_A", "", announced), data);
    };
  };
  auto parts = [](BYTE type, const std::vector<std::string>& names, int count, const char* group = "") {
    return [=](RecordChain& c) {
      for (int i = 0; i < count; ++i) c.add(mcs1Header(type, names[size_t(i) % names.size()], group, 0));
    };
  };
  auto setUp = [](RecordChain& c) {
    Bytes h(40, 0xFF);
    put(h, 1, "SET10\x01Y=Data");
    c.add(h);
  };
  std::vector<std::string> functionNames;
  for (int n = 1; n <= 30; ++n) functionNames.push_back(std::to_string(n));
  const Row rows[] = {
      {"complex matrix", matrix(both, 16 + 72), 1, 1, 5001, 5004},
      {"real matrix", matrix(real, 16 + 36), 1, 1, 5001, 5004},
      {"matrix beyond its data", matrix(real, 16 + 72), 5},
      {"variables", parts(0, {"A"}, 28, "Variable"), 1, 28, 5005, 5010},
      {"variables cut", parts(0, {"Z", "A"}, 2, "Variable"), 1, 2, 5005, 5010},
      {"unknown variable", parts(0, {"AB"}, 1, "Variable"), 5},
      {"graph functions", parts(2, functionNames, 30), 1, 30, 5012, 5002},
      {"graph functions cut", parts(2, functionNames, 29), 5},
      {"set-up without formulas", setUp, 6},
      {"recursion formulas cut", parts(2, {"AN", "BN", "CN", "DN"}, 4), 5},
      {"function memory 21",
       [](RecordChain& c) {
         Bytes h = mcs1Header(4, "FMEM", "", 0);
         h[15] = 21;
         c.add(h);
       },
       5},
      {"picture", [](RecordChain& c) { c.add(mcs1Header(7, "PICT3", "", 4), Bytes(4, 1)); }, 1, 1, 5016, 5014},
      {"unknown", [](RecordChain& c) { c.add(Bytes(40, 0x20)); }, 6},
  };
  for (const Row& row : rows) check(importer, row);
  checkCutAtChainEnd(importer, rows);
  // A recursion: formulas, set-up, then its range completes it.
  check(importer, {"formulas", parts(2, {"AN", "BN", "CN", "DN", "EN"}, 5), -2, 5});
  check(importer, {"set-up", setUp, -2, 1});
  check(importer, {"range", [](RecordChain& c) { c.add(mcs1Header(254, "RECRG", "", 0)); }, 1, 1, 5013, 5009});
}

TEST(OldDataImporter, NewerVariablesGoUnderTheLetterTheirHeaderNames) {
  ImportDoc doc;
  CQXOldDataImporterAlgebra importer(&doc);
  Bytes z(9, 0x11), a(18, 0x22);
  std::fill(a.begin() + 9, a.end(), BYTE(0x33));
  RecordChain chain;
  chain.add(mcs1Header(0, "Z", "Variable", 9), z).add(mcs1Header(0, "A", "Variable", 18), a);
  qxl16_Record* cursor = chain.first();
  std::unique_ptr<CQXDocEntry> entry;
  ASSERT_EQ(importer.ConvertRecord(&cursor, &entry), 1);
  auto* variables = dynamic_cast<CQXAlphaMemItem*>(entry->GetItem());
  ASSERT_NE(variables, nullptr);
  Bytes value(9);
  auto real = [&](DWORD row) { return variables->GetReal(row, 1, value.data(), 9) ? value : Bytes{}; };
  EXPECT_EQ(real(26), Bytes(9, 0x11));
  EXPECT_EQ(real(1), Bytes(9, 0x22));
  ASSERT_TRUE(variables->GetImag(1, 1, value.data(), 9));
  EXPECT_EQ(value, Bytes(9, 0x33));
}

TEST(OldDataImporter, ANewerProgramTakesNamePasswordAndMode) {
  ImportDoc doc;
  CQXOldDataImporterAlgebra importer(&doc);
  Bytes data = {'P', 'W', 0, 0, 0, 0, 0, 0, 1, 0, 'A', 'B', 0};
  RecordChain chain;
  chain.add(mcs1Header(1, "PROG", "", DWORD(data.size())), data).add(mcs1Header(1, "NINE", "", 9), Bytes(9, 0));
  qxl16_Record* cursor = chain.first();
  std::unique_ptr<CQXDocEntry> entry;
  ASSERT_EQ(importer.ConvertRecord(&cursor, &entry), 1);
  auto* program = dynamic_cast<CQXProgramItem*>(entry->GetItem());
  ASSERT_NE(program, nullptr);
  EXPECT_EQ(program->GetRecord().GetNameField().GetText(), "PROG");
  char password[16] = "";
  ASSERT_TRUE(program->GetPassword(password, sizeof password));
  EXPECT_STREQ(password, "PW");
  EXPECT_TRUE(program->IsBaseN());
  EXPECT_EQ(Bytes(program->GetRecord().GetText(), program->GetRecord().GetText() + 3), (Bytes{'A', 'B', 0xFF}));
  cursor = chain.at(1);
  EXPECT_EQ(importer.ConvertRecord(&cursor, &entry), CQXOldDataImporter::kBadRecord);
}

TEST(OldDataImporter, NewerFunctionMemoriesAreFiledOnceAndRawRunsStopAtTheNextKind) {
  ImportDoc doc;
  doc.calculatorType = "FXALGEBRA20";
  CQXOldDataImporterAlgebra importer(&doc);
  RecordChain chain;
  for (BYTE n : {1, 5, 20}) {
    Bytes h = mcs1Header(4, "FMEM", "", 2);
    h[15] = n;
    chain.add(h, {BYTE('0' + n % 10), 0});
  }
  chain.add(mcs1Header(254, "A", "CAS", 1), {1}).add(mcs1Header(254, "B", "CAS", 1), {2});
  chain.add(mcs1Header(1, "PROG", "", 10), Bytes(10, 0));
  qxl16_Record* cursor = chain.first();
  std::vector<int> results;
  while (cursor) {
    const qxl16_Record* before = cursor;
    std::unique_ptr<CQXDocEntry> entry;
    results.push_back(importer.ConvertRecord(&cursor, &entry));
    if (auto* cas = entry ? dynamic_cast<CQXCasMemItem*>(entry->GetItem()) : nullptr) {
      EXPECT_EQ(cas->GetBlockList().GetCount(), 2);
    }
    if (cursor == before) break;
  }
  EXPECT_EQ(results, (std::vector<int>{-2, -2, -2, 1, 1}));
  importer.EndRun();
  ASSERT_EQ(doc.savedPaths, std::vector<std::string>{"\\Calculator\\FMemV5"});
  EXPECT_TRUE(doc.overwriteQuestions.empty());
  auto memory = doc.get("\\Calculator\\FMemV5");
  auto* functions = dynamic_cast<CQXFuncMemV5Item*>(memory->GetItem());
  ASSERT_NE(functions, nullptr);
  int filled = 0;
  for (int i = 0; i < functions->GetCount(); ++i) filled += functions->GetEntry(i)->IsEmpty() ? 0 : 1;
  EXPECT_EQ(filled, 3);
  EXPECT_EQ(functions->GetEntry(19)->GetLength(), 1u);
}

// An old screen copy of 8 x 2 pixels.
RecordChain& oldScreen(RecordChain& chain, BYTE depth, BYTE width, const Bytes& pixels) {
  Bytes data = {0, 0, 2, width, depth, 0};
  append(data, pixels);
  return chain.add({}, data).named("Copie");
}

QImage shown(ImportDoc& doc) {
  auto entry = doc.get(doc.savedPaths.back());
  auto* screen = dynamic_cast<CQXScreenItem*>(entry->GetItem());
  EXPECT_NE(screen, nullptr);
  if (!screen) return {};
  EXPECT_EQ(displayNameOf(*screen), "Copie");
  ScreenFormat format;
  CBitmap bitmap;
  int error = 0;
  EXPECT_TRUE(screen->GetImageFormat(format) && CalcPlanesToBitmap(format, bitmap, FALSE, error));
  return bitmap.GetImage();
}

TEST(OldDataImporter, OldScreenCopiesKeepTheirColours) {
  TestEnvironment env;
  SetBWColor(RGB(0, 0, 128));
  SetBackgroundBWColor(RGB(220, 220, 160));
  ImportDoc doc;
  CQXOldDataImporterFX9850 importer(&doc);
  RecordChain mono, colour, deep, narrow, cut;
  // One bit: ink where the bit is 0; rows of 16 bits.
  ASSERT_EQ(importer.InsertItem(oldScreen(mono, 1, 8, {0x0F, 0xAA, 0xFF, 0xAA}).first()), 1);
  EXPECT_EQ(doc.filed.back(), std::make_pair(DWORD(4023), 4017));
  QImage image = shown(doc);
  for (int x = 0; x < 8; ++x) {
    EXPECT_EQ(ColorRefFromQRgb(image.pixel(x, 0)), x < 4 ? GetBWColor() : GetBackgroundBWColor()) << x;
    EXPECT_EQ(ColorRefFromQRgb(image.pixel(x, 1)), GetBackgroundBWColor()) << x;
  }
  // Four bits: rows bottom-up of 32 bits; every palette index.
  const Bytes pixels = {0x89, 0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45, 0x67};
  ASSERT_EQ(importer.InsertItem(oldScreen(colour, 4, 8, pixels).first()), 1);
  image = shown(doc);
  const COLORREF expected[] = {GetBackgroundColor(), GetOrangeColor(), GetBlueColor(), GetGreenColor()};
  for (int x = 0; x < 8; ++x) {
    EXPECT_EQ(ColorRefFromQRgb(image.pixel(x, 0)), x < 4 ? expected[x] : GetBackgroundColor()) << x;
    EXPECT_EQ(ColorRefFromQRgb(image.pixel(x, 1)), GetBackgroundColor()) << x;
  }
  EXPECT_EQ(importer.InsertItem(oldScreen(deep, 8, 8, Bytes(16, 0)).first()), CQXOldDataImporter::kBadRecord);
  EXPECT_EQ(importer.InsertItem(oldScreen(narrow, 1, 12, Bytes(4, 0)).first()), CQXOldDataImporter::kBadRecord);
  EXPECT_EQ(importer.InsertItem(oldScreen(cut, 4, 8, Bytes(7, 0)).first()), CQXOldDataImporter::kBadRecord);
}

}  // namespace
