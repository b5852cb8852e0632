#include "datamodel/QXItemFactory.h"
#include "datamodel/QXMatrixItems.h"
#include "platform/LanguageLibrary.h"
#include "tests/support/OldHeaderVectors.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace tallix::test;

namespace {

class MatrixItems : public ::testing::Test {
 protected:
  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
};

}  // namespace

TEST_F(MatrixItems, AMatrixIsOneHeaderAndOneRecordPerElement) {
  std::unique_ptr<CQXCalcItem> created(CreateItemByTypeId(4004));
  auto* matrix = dynamic_cast<CQXMatrixItem*>(created.get());
  ASSERT_NE(matrix, nullptr);
  const Bytes h = valHeader("MT", 2, 3, "Mat B");
  ASSERT_TRUE(matrix->ParseHeader(h.data(), 50));
  for (unsigned row = 1; row <= 2; ++row)
    for (unsigned column = 1; column <= 3; ++column)
      ASSERT_TRUE(matrix->GetValues().SetCellFromRecord(valueRecord(row, column, number(row * 10 + column, 1)).data(),
                                                        14));
  EXPECT_FALSE(matrix->GetValues().SetCellFromRecord(valueRecord(3, 1, number(1, 0)).data(), 14));
  EXPECT_TRUE(matrix->GetValues().ValidateAll());

  Bytes out(50);
  ASSERT_TRUE(matrix->BuildHeader(out.data(), 50));
  EXPECT_EQ(out, h);
  Bytes record(14);
  ASSERT_EQ(matrix->GetMatrix().GetCellRecord(2, 3, record.data(), 14), 14u);
  EXPECT_EQ(record, valueRecord(2, 3, number(23, 1)));

  EXPECT_EQ(displayNameOf(*matrix), CLanguageLibrary::LoadStringA(10304) + " B");
  char name[8];
  ASSERT_TRUE(matrix->GetDocName(name, sizeof name));
  EXPECT_STREQ(name, "MatB");
}

TEST_F(MatrixItems, MatrixHeaderChecks) {
  CQXMatrixItem matrix;
  matrix.SetLetter('Q');
  EXPECT_TRUE(matrix.ParseHeader(valHeader("MT", 0, 0, "Mat A").data(), 50));  // empty matrix
  EXPECT_TRUE(matrix.GetValues().IsEmpty());
  matrix.SetLetter('Q');
  std::vector<std::pair<const char*, Bytes>> bad = {
      {"rows 0 and columns 3", valHeader("MT", 0, 3, "Mat A")},
      {"rows 256", valHeader("MT", 256, 1, "Mat A")},
      {"columns 256", valHeader("MT", 1, 256, "Mat A")},
      {"code", valHeader("LT", 1, 1, "Mat A")},
      {"complex", valHeader("MT", 1, 1, "Mat A", "", 'C')},
  };
  Bytes b = valHeader("MT", 1, 1, "Mat A");
  put(b, 1, "FNC");
  bad.emplace_back("kind", b);
  b = valHeader("MT", 1, 1, "Mat A");
  b[28] = 0;
  bad.emplace_back("0x0A", b);
  for (auto& [what, header] : bad) EXPECT_FALSE(matrix.ParseHeader(header.data(), 50)) << what;
  EXPECT_EQ(matrix.GetLetter(), 'Q');
  EXPECT_FALSE(matrix.ParseHeader(valHeader("MT", 1, 1, "Mat A").data(), 40));
}

TEST_F(MatrixItems, MatrixDetailsNamesAndStorage) {
  CQXDocEntry entry;
  ASSERT_TRUE(CreateItemFromFactory(4004, "\\Calculator\\Matrix\\MatC", &entry, nullptr));
  auto* matrix = dynamic_cast<CQXMatrixItem*>(entry.GetItem());
  ASSERT_NE(matrix, nullptr);
  EXPECT_EQ(matrix->GetLetter(), 'C');
  EXPECT_FALSE(matrix->TakeNameFromPath("\\Calculator\\Matrix\\Mat1"));
  matrix->GetValues().SetSize(3, 4);
  EXPECT_EQ(detailTextOf(*matrix), "3 * 4 (" + CLanguageLibrary::LoadStringA(10206) + ", " +
                                 CLanguageLibrary::LoadStringA(10207) + ")");
  matrix->GetValues().SetCellFromRecord(valueRecord(3, 4, number(9, 0)).data(), 14);

  const Bytes stored = storedBytes(*matrix);
  EXPECT_EQ(stored.size(), 16u + 32 + (16 + 12 * 30) + 4);
  Bytes header;
  putDword(header, 1304);
  putDword(header, 8);
  putBytes(header, "Mat C");
  for (int i = 0; i < 3; ++i) header.push_back(0xFF);
  putDword(header, 8);
  for (int i = 0; i < 8; ++i) header.push_back(0xFF);
  putDword(header, 0xFEEF0518);
  EXPECT_EQ(Bytes(stored.begin() + 16, stored.begin() + 48), header);

  std::unique_ptr<CQXCalcItem> back = throughDocEntry(matrix);
  auto* reloaded = dynamic_cast<CQXMatrixItem*>(back.get());
  ASSERT_NE(reloaded, nullptr);
  EXPECT_EQ(reloaded->GetValues(), matrix->GetValues());
  EXPECT_EQ(reloaded->GetLetter(), 'C');

  Bytes badHeaderTag = stored;
  badHeaderTag[16] = 0x19;
  EXPECT_EQ(archiveCode([&] { loadBytes(*reloaded, badHeaderTag); }), kArchiveBadRecord);
}

TEST_F(MatrixItems, ListsAreOneColumn) {
  std::unique_ptr<CQXCalcItem> created(CreateItemByTypeId(4005));
  auto* list = dynamic_cast<CQXListItem*>(created.get());
  ASSERT_NE(list, nullptr);
  const Bytes h = valHeader("LT", 4, 1, "List 3", "File 2");
  ASSERT_TRUE(list->ParseHeader(h.data(), 50));
  EXPECT_EQ(list->GetListNumber(), '3');
  EXPECT_EQ(list->GetFileNumber(), '2');
  for (unsigned row = 1; row <= 4; ++row)
    ASSERT_TRUE(list->GetValues().SetCellFromRecord(valueRecord(row, 1, number(row, 0)).data(), 14));
  EXPECT_FALSE(list->GetValues().SetCellFromRecord(valueRecord(1, 2, number(1, 0)).data(), 14));
  Bytes out(50);
  ASSERT_TRUE(list->BuildHeader(out.data(), 50));
  EXPECT_EQ(out, h);

  char text[32];
  ASSERT_TRUE(list->GetDocFolder(text, sizeof text));
  EXPECT_STREQ(text, "File\\File2");
  ASSERT_TRUE(list->GetDocName(text, sizeof text));
  EXPECT_STREQ(text, "List3");
  EXPECT_EQ(list->GetTransferTitle(), CLanguageLibrary::LoadStringA(10342) + " 2");
  EXPECT_EQ(displayNameOf(*list), CLanguageLibrary::LoadStringA(10342) + " 3");
  EXPECT_EQ(detailTextOf(*list), "4 (" + CLanguageLibrary::LoadStringA(10206) + ")");

  std::unique_ptr<CQXCalcItem> back = throughDocEntry(list);
  auto* reloaded = dynamic_cast<CQXListItem*>(back.get());
  ASSERT_NE(reloaded, nullptr);
  EXPECT_EQ(reloaded->GetValues(), list->GetValues());
  EXPECT_EQ(reloaded->GetFileNumber(), '2');
}

TEST_F(MatrixItems, ListHeaderChecks) {
  CQXListItem list;
  ASSERT_TRUE(list.ParseHeader(valHeader("LT", 0, 1, "List 1").data(), 50));  // empty list
  EXPECT_TRUE(list.GetValues().IsEmpty());
  EXPECT_TRUE(list.GetTransferTitle().empty());
  char text[32];
  ASSERT_TRUE(list.GetDocFolder(text, sizeof text));
  EXPECT_STREQ(text, "List");
  EXPECT_EQ(displayNameOf(list), CLanguageLibrary::LoadStringA(10306) + " 1");
  EXPECT_FALSE(list.ParseHeader(valHeader("LT", 3, 2, "List 1").data(), 50));
  EXPECT_FALSE(list.ParseHeader(valHeader("LT", 256, 1, "List 1").data(), 50));
  EXPECT_FALSE(list.ParseHeader(valHeader("LT", 3, 1, "List 1", "File 7").data(), 50));
  EXPECT_FALSE(list.ParseHeader(valHeader("MT", 3, 1, "List 1").data(), 50));
  EXPECT_FALSE(list.ParseHeader(valHeader("LT", 3, 1, "List 1", "", 'C').data(), 50));
  EXPECT_TRUE(list.GetValues().IsEmpty());

  EXPECT_FALSE(list.SetListNumber('7'));
  ASSERT_TRUE(list.TakeNameFromPath("\\Calculator\\File\\File4\\List6"));
  EXPECT_EQ(list.GetListNumber(), '6');
  EXPECT_EQ(list.GetFileNumber(), '4');
  ASSERT_TRUE(list.TakeNameFromPath("\\Calculator\\List\\List1"));
  EXPECT_EQ(list.GetFileNumber(), 0);
  EXPECT_FALSE(list.TakeNameFromPath("\\Calculator\\List\\ListX"));
  // A new list needs a number in its name; without one nothing is made.
  CQXDocEntry entry;
  EXPECT_FALSE(CreateItemFromFactory(4005, "\\Calculator\\List\\Foo", &entry, nullptr));
  EXPECT_EQ(entry.GetItem(), nullptr);
}

TEST_F(MatrixItems, EquationsCarryTheirHeaderImage) {
  std::unique_ptr<CQXCalcItem> created(CreateItemByTypeId(4019));
  auto* equation = dynamic_cast<CQXSimlEquationItem*>(created.get());
  ASSERT_NE(equation, nullptr);
  EXPECT_EQ(equation->GetEquationKind(), 1);
  const Bytes h = valHeader("SE", 2, 3, "Mat Siml");
  ASSERT_TRUE(equation->ParseHeader(h.data(), 50));
  for (unsigned row = 1; row <= 2; ++row)
    for (unsigned column = 1; column <= 3; ++column)
      ASSERT_TRUE(equation->SetElement(valueRecord(row, column, number(column, 0)).data(), 14));
  EXPECT_FALSE(equation->SetElement(valueRecord(2, 4, number(1, 0)).data(), 14));
  Bytes out(50);
  ASSERT_TRUE(equation->BuildHeader(out.data(), 50));
  EXPECT_EQ(out, h);
  EXPECT_EQ(displayNameOf(*equation), CLanguageLibrary::LoadStringA(10328));

  const Bytes stored = storedBytes(*equation);
  Bytes head;
  putDword(head, 4019);
  for (int i = 0; i < 3; ++i) putDword(head, 0);
  putDword(head, 1306);
  head.insert(head.end(), h.begin(), h.end());
  EXPECT_EQ(Bytes(stored.begin(), stored.begin() + long(head.size())), head);
  std::unique_ptr<CQXCalcItem> back = throughDocEntry(equation);
  ASSERT_NE(back, nullptr);

  // A 4019 record whose kind dword is 1307 holds a polynomial equation.
  CQXPolyEquationItem poly;
  poly.GetMatrix().SetSize(3, 4);
  Bytes polyRecord = storedBytes(poly);
  polyRecord[0] = 0xB3;  // tag 4019
  polyRecord.end()[-4] = 0xB3;
  CQXSimlEquationItem loaded;
  loadBytes(loaded, polyRecord);
  EXPECT_EQ(loaded.GetEquationKind(), 2);
  EXPECT_EQ(displayNameOf(loaded), CLanguageLibrary::LoadStringA(10329));

  Bytes wrongKind = stored;
  wrongKind[16] = 0x1B;  // 1307 with a "Mat Siml" header image
  EXPECT_EQ(archiveCode([&] { loadBytes(loaded, wrongKind); }), kArchiveBadRecord);
  Bytes otherKind = stored;
  otherKind[16] = 0x20;
  EXPECT_EQ(archiveCode([&] { loadBytes(loaded, otherKind); }), kArchiveBadRecord);
  Bytes badImage = stored;
  badImage[20 + 1] = 'X';
  EXPECT_EQ(archiveCode([&] { loadBytes(loaded, badImage); }), kArchiveBadRecord);
}

TEST_F(MatrixItems, EquationHeaderChecks) {
  CQXPolyEquationItem equation;
  EXPECT_FALSE(equation.ParseHeader(valHeader("SE", 2, 3, "Mat Poly").data(), 50));
  EXPECT_FALSE(equation.ParseHeader(valHeader("PE", 2, 3, "Mat Pol").data(), 50));
  EXPECT_FALSE(equation.ParseHeader(valHeader("PE", 256, 3, "Mat Poly").data(), 50));
  EXPECT_FALSE(equation.ParseHeader(valHeader("PE", 0, 3, "Mat Poly").data(), 50));
  ASSERT_TRUE(equation.ParseHeader(valHeader("PE", 3, 0, "Mat Poly").data(), 50));
  EXPECT_TRUE(equation.GetMatrix().IsEmpty());
  ASSERT_TRUE(equation.ParseHeader(valHeader("SE", 2, 3, "Mat Siml").data(), 50));
  EXPECT_EQ(equation.GetEquationKind(), 1);
  EXPECT_FALSE(equation.SetEquationKind(3));
  ASSERT_TRUE(equation.SetEquationKind(2));
  EXPECT_TRUE(equation.GetMatrix().IsEmpty());
  CQXDocEntry entry;
  ASSERT_TRUE(CreateItemFromFactory(4020, "\\Calculator\\Equation\\X", &entry, nullptr));
  EXPECT_EQ(dynamic_cast<CQXEquationItem*>(entry.GetItem())->GetEquationKind(), 2);
}
