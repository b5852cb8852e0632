#include "datamodel/OrvoStoreNode.h"
#include "tests/support/MemoryArchive.h"

#include <gtest/gtest.h>

using tallix::test::putBytes;
using tallix::test::putDword;

namespace {

std::vector<BYTE> header(DWORD total, DWORD nextFreeId, DWORD headerSize = 1024, DWORD version = 1,
                         DWORD layout = 2) {
  std::vector<BYTE> v;
  putDword(v, total);
  putDword(v, headerSize);
  putDword(v, version);
  putDword(v, nextFreeId);
  putDword(v, layout);
  v.push_back('\\');
  v.resize(1024, 0);
  return v;
}

void nodeRecord(std::vector<BYTE>& v, DWORD id, DWORD flags, const char* name, const char* desc, DWORD a, DWORD b,
                std::vector<DWORD> children) {
  const DWORD n = DWORD(std::strlen(name)), d = DWORD(std::strlen(desc));
  putDword(v, 52 + n + d + 4 * DWORD(children.size()));
  putDword(v, 24);
  putDword(v, 0xAB01DE02);
  for (int i = 0; i < 3; ++i) putDword(v, 0);
  putDword(v, id);
  putDword(v, flags);
  putDword(v, n);
  putBytes(v, name);
  putDword(v, d);
  putBytes(v, desc);
  putDword(v, a);
  putDword(v, b);
  putDword(v, DWORD(children.size()));
  for (DWORD c : children) putDword(v, c);
}

// \ -> folder "Calculator" (1024) -> item "A" (1025, description "Prog", A=7, B=9)
std::vector<BYTE> smallTree() {
  std::vector<BYTE> body;
  nodeRecord(body, 1, 1, "\\", "", 0, 0, {1024});
  nodeRecord(body, 1024, 0x21, "Calculator", "CFX-9850G", 0, 0, {1025});
  nodeRecord(body, 1025, 0, "A", "Prog", 7, 9, {});
  std::vector<BYTE> v = header(DWORD(1024 + body.size()), 1026);
  v.insert(v.end(), body.begin(), body.end());
  return v;
}

// The store's root folder "\\" (id 1).
struct Root : COrvoStoreNode {
  Root() {
    id = 1;
    flags = kNodeFolder;
    name = "\\";
  }
};

TEST(Directory, AFreshTreeIsOneRootRecord) {
  const Root root;
  const std::vector<BYTE> bytes = EncodeDirectory(root, 1024, '\\');
  ASSERT_EQ(bytes.size(), 1024u + 53u);
  std::vector<BYTE> expected = header(1077, 1024);
  nodeRecord(expected, 1, 1, "\\", "", 0, 0, {});
  EXPECT_EQ(bytes, expected);
}

TEST(Directory, TheWriterMatchesHandAssembledBytesAndReadsBack) {
  Root root;
  auto calc = std::make_unique<COrvoStoreNode>();
  calc->id = 1024;
  calc->flags = 0x21;
  calc->name = "Calculator";
  calc->description = "CFX-9850G";
  auto item = std::make_unique<COrvoStoreNode>();
  item->id = 1025;
  item->name = "A";
  item->description = "Prog";
  item->valueA = 7;
  item->valueB = 9;
  calc->AppendChild(std::move(item));
  root.AppendChild(std::move(calc));
  EXPECT_EQ(EncodeDirectory(root, 1026, '\\'), smallTree());

  const std::vector<BYTE> bytes = smallTree();
  Root back;
  DWORD next = 0;
  char sep = 0;
  ASSERT_EQ(DecodeDirectory(bytes.data(), bytes.size(), &back, &next, &sep), 0u);
  EXPECT_EQ(next, 1026u);
  EXPECT_EQ(sep, '\\');
  ASSERT_EQ(back.Children().size(), 1u);
  const COrvoStoreNode& c = *back.Children()[0];
  EXPECT_EQ(c.description, "CFX-9850G");
  EXPECT_EQ(c.parent, &back);
  ASSERT_EQ(c.Children().size(), 1u);
  EXPECT_EQ(c.Children()[0]->valueA, 7u);
  EXPECT_EQ(c.Children()[0]->valueB, 9u);
}

TEST(Directory, NextFreeIdEndsAboveEveryIdRead) {
  std::vector<BYTE> body;
  nodeRecord(body, 1, 1, "\\", "", 0, 0, {5000});
  nodeRecord(body, 5000, 0, "X", "", 0, 0, {});
  std::vector<BYTE> v = header(0, 1024);  // the header's id is too low
  v.insert(v.end(), body.begin(), body.end());
  Root root;
  DWORD next = 0;
  char sep = 0;
  ASSERT_EQ(DecodeDirectory(v.data(), v.size(), &root, &next, &sep), 0u);
  EXPECT_EQ(next, 5001u);
}

TEST(Directory, DamagedHeadersAndRecordsAreRefused) {
  auto decode = [](const std::vector<BYTE>& v) {
    Root root;
    DWORD next = 0;
    char sep = 0;
    const DWORD code = DecodeDirectory(v.data(), v.size(), &root, &next, &sep);
    if (code) {
      EXPECT_TRUE(root.Children().empty());
    }
    return code;
  };
  std::vector<BYTE> v = smallTree();
  v[5] = 0;  // header size
  EXPECT_EQ(decode(v), 0x20000010u);
  v = smallTree();
  v[8] = 2;  // version 2
  EXPECT_EQ(decode(v), 0x2000000Eu);
  v = smallTree();
  v[16] = 3;  // layout
  EXPECT_EQ(decode(v), 0x2000000Fu);
  v = smallTree();
  v[1024 + 8] ^= 1;  // magic of the root record
  EXPECT_EQ(decode(v), 0x20000010u);
  EXPECT_EQ(decode(std::vector<BYTE>(1000, 0)), 0x20000010u);

  // Truncated anywhere inside the records.
  const std::vector<BYTE> whole = smallTree();
  for (size_t cut = 1024; cut < whole.size(); cut += 3)
    EXPECT_EQ(decode(std::vector<BYTE>(whole.begin(), whole.begin() + cut)), 0x20000010u) << cut;

  // A name length far beyond the stream.
  v = smallTree();
  v[1024 + 32] = 0xFF;
  v[1024 + 35] = 0x7F;
  EXPECT_EQ(decode(v), 0x20000010u);

  // A child count no stream could hold.
  std::vector<BYTE> body;
  nodeRecord(body, 1, 1, "\\", "", 0, 0, {});
  body[body.size() - 4] = 0xFF;
  body[body.size() - 1] = 0x7F;
  v = header(0, 1024);
  v.insert(v.end(), body.begin(), body.end());
  EXPECT_EQ(decode(v), 0x20000010u);

  // The same id twice, and a child that lists its parent (a cycle).
  body.clear();
  nodeRecord(body, 1, 1, "\\", "", 0, 0, {1024, 1024});
  nodeRecord(body, 1024, 1, "A", "", 0, 0, {});
  nodeRecord(body, 1024, 1, "B", "", 0, 0, {});
  v = header(0, 1024);
  v.insert(v.end(), body.begin(), body.end());
  EXPECT_EQ(decode(v), 0x20000010u);
  body.clear();
  nodeRecord(body, 1, 1, "\\", "", 0, 0, {1024});
  nodeRecord(body, 1024, 1, "A", "", 0, 0, {1});
  nodeRecord(body, 1, 1, "\\", "", 0, 0, {1024});
  v = header(0, 1024);
  v.insert(v.end(), body.begin(), body.end());
  EXPECT_EQ(decode(v), 0x20000010u);

  // A record whose id is not the one its parent listed.
  body.clear();
  nodeRecord(body, 1, 1, "\\", "", 0, 0, {1024});
  nodeRecord(body, 2000, 1, "A", "", 0, 0, {});
  v = header(0, 1024);
  v.insert(v.end(), body.begin(), body.end());
  EXPECT_EQ(decode(v), 0x20000010u);
}

TEST(Directory, AbsurdDepthIsRefused) {
  std::vector<BYTE> body;
  const int depth = 400;
  for (int i = 0; i < depth; ++i)
    nodeRecord(body, i == 0 ? 1 : DWORD(1023 + i), 1, "d", "", 0, 0, {DWORD(1024 + i)});
  nodeRecord(body, DWORD(1023 + depth), 1, "d", "", 0, 0, {});
  std::vector<BYTE> v = header(0, 1024);
  v.insert(v.end(), body.begin(), body.end());
  Root root;
  DWORD next = 0;
  char sep = 0;
  EXPECT_EQ(DecodeDirectory(v.data(), v.size(), &root, &next, &sep), 0x20000010u);
}

}  // namespace
