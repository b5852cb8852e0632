#include "datamodel/QXNumericV5Items.h"
#include "platform/LanguageLibrary.h"
#include "tests/datamodel/NewItemVectors.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace tallix::test;

namespace {

class NumericV5Items : public ::testing::Test {
 protected:
  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
};

// A 9-byte number whose bytes are all `k`, standing for element k.
Bytes element(int k) { return Bytes(9, BYTE(k)); }

Bytes elements(int first, int count) {
  Bytes v;
  for (int k = first; k < first + count; ++k) append(v, element(k));
  return v;
}

Bytes head(size_t size, unsigned rows, unsigned columns) {
  Bytes h(size, 0);
  h[8] = BYTE(rows);
  h[9] = BYTE(rows >> 8);
  if (size == 16) {
    h[10] = BYTE(columns);
    h[11] = BYTE(columns >> 8);
  }
  return h;
}

std::string listHeader(const CQXListV5Item& list) {
  std::string variable, group;
  EXPECT_TRUE(list.GetHeaderNames(&variable, &group));
  return variable + "/" + group;
}

}  // namespace

TEST_F(NumericV5Items, ComplexMatrixStoredByHand) {
  Bytes record;
  putRecordHeader(record, 5004);
  putNameField(record, 10, "MAT_B");
  for (DWORD d : {9u, 2u, 2u, 3u, 54u}) putDword(record, d);
  append(record, elements(1, 6));
  putDword(record, 54);
  append(record, elements(11, 6));
  putDword(record, 0xFEEF138C);

  auto matrix = createItem<CQXMatrixV5Item>(5004);
  ASSERT_NE(matrix, nullptr);
  loadBytes(*matrix, record);
  EXPECT_EQ(storedBytes(*matrix), record);
  EXPECT_EQ(matrix->GetRows(), 2u);
  BYTE both[18];
  ASSERT_TRUE(matrix->GetComplex(2, 1, both));
  Bytes expected = element(4);
  append(expected, element(14));
  EXPECT_EQ(Bytes(both, both + 18), expected);
  EXPECT_EQ(displayNameOf(*matrix), CLanguageLibrary::LoadStringA(10304) + " B");
  EXPECT_EQ(detailTextOf(*matrix), "2 * 3 (Lignes, Colonnes)");
  char name[16];
  ASSERT_TRUE(matrix->GetDocName(name, sizeof name));
  EXPECT_STREQ(name, "Mat_B");
  EXPECT_EQ(matrix->GetHeaderName(name, sizeof name), 6);
  EXPECT_EQ(matrix->GetDataSize(), 16u + 108);
  EXPECT_NE(throughDocEntry(matrix.get()), nullptr);

  // A part of another length, a name without its end and a bad element size are damage.
  Bytes noEnd = record;
  for (int i = 0; i < 10; ++i) noEnd[size_t(20 + i)] = 'N';
  EXPECT_EQ(archiveCode([&] { loadBytes(*matrix, noEnd); }), kArchiveBadRecord);
  for (auto [at, value] : {std::pair<size_t, BYTE>{46, 53}, {30, 8}, {34, 4}}) {
    Bytes bad = record;
    bad[at] = value;
    EXPECT_EQ(archiveCode([&] { loadBytes(*matrix, bad); }), kArchiveBadRecord) << at;
  }
}

TEST_F(NumericV5Items, ElementsOutsideTheTableAreRefused) {
  CQXMatrixV5Item m;
  ASSERT_TRUE(m.SetDimensions(2, 2));
  const Bytes e = element(7);
  EXPECT_FALSE(m.SetReal(0, 1, e.data(), 9));
  EXPECT_FALSE(m.SetReal(3, 1, e.data(), 9));
  EXPECT_FALSE(m.SetReal(1, 3, e.data(), 9));
  EXPECT_FALSE(m.SetReal(1, 1, e.data(), 10));
  BYTE out[9];
  EXPECT_FALSE(m.GetReal(1, 1, out, 9));  // no part yet
  EXPECT_TRUE(m.IsZero());
  ASSERT_TRUE(m.SetImag(2, 2, e.data(), 9));
  EXPECT_FALSE(m.IsZero());
  EXPECT_FALSE(m.GetReal(2, 2, out, 9));
  EXPECT_FALSE(m.SetDimensions(65536, 1));
  EXPECT_TRUE(m.SetDimensions(0, 0));
  EXPECT_EQ(m.GetDataSize(), 0u);
  EXPECT_TRUE(m.IsZero());
}

TEST_F(NumericV5Items, NumericBlocksByHand) {
  CQXMatrixV5Item m;
  Bytes real = head(16, 2, 2);
  append(real, elements(1, 4));
  ASSERT_EQ(real.size(), 52u);
  ASSERT_TRUE(ReadNumericBlock(m, real.data(), DWORD(real.size())));
  EXPECT_FALSE(m.IsComplex());
  EXPECT_EQ(BuildNumericBlock(m), real);

  Bytes complex = real;
  append(complex, elements(5, 4));
  ASSERT_TRUE(ReadNumericBlock(m, complex.data(), DWORD(complex.size())));
  BYTE out[9];
  ASSERT_TRUE(m.GetImag(1, 2, out, 9));
  EXPECT_EQ(Bytes(out, out + 9), element(6));
  EXPECT_EQ(BuildNumericBlock(m), complex);
  EXPECT_EQ(m.GetDataSize(), 88u);

  // Shorter or longer than its counts, or between the two forms: refused, unchanged.
  for (size_t length : {size_t(10), size_t(51), size_t(53), size_t(70), size_t(89)}) {
    Bytes bad = complex;
    bad.resize(length);
    EXPECT_FALSE(ReadNumericBlock(m, bad.data(), DWORD(bad.size()))) << length;
  }
  EXPECT_TRUE(m.IsComplex());

  CQXListV5Item list;
  Bytes three = head(14, 3, 0);
  append(three, elements(1, 3));
  ASSERT_TRUE(ReadNumericBlock(list, three.data(), DWORD(three.size())));
  EXPECT_EQ(list.GetRows(), 3u);
  EXPECT_EQ(list.GetColumns(), 1u);
  EXPECT_EQ(BuildNumericBlock(list), three);

  // Values without a head take the item's own size.
  CQXZoomFactorV5Item zoom;
  const Bytes two = elements(1, 2);
  EXPECT_TRUE(ReadNumericBlock(zoom, two.data(), 18));
  EXPECT_FALSE(ReadNumericBlock(zoom, two.data(), 9));
  EXPECT_EQ(BuildNumericBlock(zoom), two);
}

TEST_F(NumericV5Items, ListNames) {
  CQXListV5Item list;
  ASSERT_TRUE(list.SetNameFromHeader("2LIST26", "FILE02"));
  EXPECT_EQ(list.GetName(), "List26");
  EXPECT_EQ(list.GetFileNumber(), 2);
  EXPECT_EQ(listHeader(list), "2LIST26/FILE02");
  char path[64];
  ASSERT_TRUE(list.GetDocPath(path, sizeof path));
  EXPECT_STREQ(path, "File\\File2\\List26");

  ASSERT_TRUE(list.SetNameFromHeader("LIST3", ""));
  EXPECT_EQ(listHeader(list), "1LIST3/");
  ASSERT_TRUE(list.GetDocPath(path, sizeof path));
  EXPECT_STREQ(path, "List\\List3");
  EXPECT_EQ(displayNameOf(list), CLanguageLibrary::LoadStringA(10306) + " 3");

  EXPECT_FALSE(list.SetNameFromHeader("LIST", ""));
  EXPECT_FALSE(list.SetNameFromHeader("", ""));
  EXPECT_FALSE(list.SetNameFromHeader("LIST4", "FILE0\\"));
  EXPECT_EQ(list.GetName(), "List3");

  ASSERT_TRUE(list.TakeNameFromPath("\\Calculator\\File\\File4\\List20"));
  EXPECT_EQ(listHeader(list), "4LIST20/FILE04");
  ASSERT_TRUE(list.TakeNameFromPath("\\Calculator\\List\\List5"));
  EXPECT_EQ(listHeader(list), "1LIST5/");
  EXPECT_FALSE(list.TakeNameFromPath("\\Calculator\\List\\List"));
  char number[4];
  ASSERT_TRUE(list.GetListNumber(number, sizeof number));
  EXPECT_STREQ(number, "5");
}

TEST_F(NumericV5Items, VWindowNames) {
  CQXVWindowV5Item w;
  std::string variable, group;
  char path[64];
  ASSERT_TRUE(w.SetNameFromHeader("VMEM4", ""));
  ASSERT_TRUE(w.GetHeaderNames(&variable, &group));
  EXPECT_EQ(variable + "/" + group, "VMEM4/");
  ASSERT_TRUE(w.GetDocPath(path, sizeof path));
  EXPECT_STREQ(path, "VWin\\VMem4");
  EXPECT_EQ(displayNameOf(w), CLanguageLibrary::LoadStringA(10312) + " 4");

  ASSERT_TRUE(w.SetNameFromHeader("VWINR", "Y=Data"));
  ASSERT_TRUE(w.GetHeaderNames(&variable, &group));
  EXPECT_EQ(variable + "/" + group, "VWINR/Y=Data");
  EXPECT_EQ(displayNameOf(w), CLanguageLibrary::LoadStringA(10315));

  EXPECT_FALSE(w.SetNameFromHeader("VMEM", ""));
  EXPECT_FALSE(w.SetNameFromHeader("RANGE", "Y=Data"));
  EXPECT_EQ(w.GetName(), "VWinRight");
  EXPECT_TRUE(w.TakeNameFromPath("\\Calculator\\Y=Data\\VWin"));
  EXPECT_TRUE(w.TakeNameFromPath("\\Calculator\\VWin\\VMem12"));
  EXPECT_EQ(w.GetName(), "VMem12");
  EXPECT_FALSE(w.TakeNameFromPath("\\Calculator\\Y=Data\\VMem1"));
  EXPECT_FALSE(w.TakeNameFromPath("\\Calculator\\Other\\VWin"));
}

TEST_F(NumericV5Items, EquationAndAlphaNames) {
  CQXDocEntry entry;
  ASSERT_TRUE(CreateItemFromFactory(5025, "\\Calculator\\Equation\\Siml", &entry, nullptr));
  auto* coef = dynamic_cast<CQXEquationCoefItem*>(entry.GetItem());
  ASSERT_NE(coef, nullptr);
  EXPECT_EQ(coef->GetName(), "SimlEquation");
  EXPECT_EQ(coef->GetRows(), 2u);
  EXPECT_EQ(coef->GetColumns(), 3u);
  EXPECT_EQ(detailTextOf(*coef), "Donn\xE9" "es pour inconnue 2");
  char name[16];
  ASSERT_TRUE(coef->GetHeaderName(name, sizeof name));
  EXPECT_STREQ(name, "SIMLCOEF");
  coef->SetNameFromHeader("OTHER");
  EXPECT_EQ(coef->GetEquationKind(), 0);
  EXPECT_FALSE(coef->GetHeaderName(name, sizeof name));
  EXPECT_EQ(displayNameOf(*coef), "Equation");

  CQXEquationResultItem result;
  result.SetKindFromHeaderName("POLYRSLT");
  EXPECT_EQ(result.GetResultKind(), 20);
  EXPECT_EQ(displayNameOf(result), CLanguageLibrary::LoadStringA(10347));
  EXPECT_NE(throughDocEntry(&result), nullptr);

  CQXAlphaMemItem alpha;
  ASSERT_TRUE(alpha.GetVariableName(27, name, sizeof name));
  EXPECT_EQ(std::string(name), "\xCE");
  ASSERT_TRUE(alpha.GetVariableName(25, name, sizeof name));
  EXPECT_STREQ(name, "Z");
  EXPECT_FALSE(alpha.GetVariableName(28, name, sizeof name));
}
