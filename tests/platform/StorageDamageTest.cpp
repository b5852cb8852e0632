// Damaged, truncated and foreign files: refused with the platform's results,
// never a crash, a hang or a huge allocation.
#include "platform/storage/MemoryStorage.h"
#include "tests/platform/StorageTestSupport.h"
#include "tests/support/FifoWatch.h"

#include <sys/stat.h>

#include <random>

using namespace storagetest;
using tallix::cfb::createMemoryStorage;
using tallix::cfb::openMemoryStorage;

namespace {

// Just enough of the format to find and spoil things in a version-3 file
// with fewer than 109 FAT sectors.
struct RawFile {
  Bytes b;
  static std::size_t sectorAt(std::uint32_t s) { return 512 + std::size_t(s) * 512; }
  std::size_t fatSlot(std::uint32_t s) const { return sectorAt(le32At(b, 76 + 4 * (s / 128))) + 4 * (s % 128); }
  std::uint32_t fat(std::uint32_t s) const { return le32At(b, fatSlot(s)); }
  void setFat(std::uint32_t s, std::uint32_t v) { put32At(b, fatSlot(s), v); }
  std::size_t entry(std::uint32_t sid) const {
    std::uint32_t s = le32At(b, 48);
    for (std::uint32_t k = sid / 4; k; --k) s = fat(s);
    return sectorAt(s) + (sid % 4) * 128;
  }
  std::uint32_t find(const std::string& name) const {
    for (std::uint32_t sid = 0;; ++sid) {
      const std::size_t e = entry(sid);
      std::string n;
      for (std::size_t i = 0; b[e + 2 * i]; ++i) n.push_back(char(b[e + 2 * i]));
      if (n == name) return sid;
    }
  }
  std::size_t miniFatSlot(std::uint32_t m) const {
    std::uint32_t s = le32At(b, 60);
    for (std::uint32_t k = m / 128; k; --k) s = fat(s);
    return sectorAt(s) + 4 * (m % 128);
  }
};

const Tree kTree{{"Directory", pattern(1, 1077)},      {"Data_Items/Item_00001024", pattern(2, 100)},
                 {"Data_Items/Item_00001025", pattern(3, 9000)}, {"Big", pattern(4, 70000)},
                 {"Tiny", pattern(5, 3)}};

Bytes makeImage(const Tree& tree) {
  ComPtr<IStorage> root;
  std::vector<std::uint8_t>* contents = nullptr;
  EXPECT_EQ(createMemoryStorage(kCreate, root.put(), &contents), S_OK);
  EXPECT_EQ(writeTree(root.get(), tree), S_OK);
  EXPECT_EQ(root->Commit(STGC_DEFAULT), S_OK);
  return *contents;
}

// Opens an image and reads every stream, as a user's program would.
HRESULT openAndRead(const Bytes& image, Tree* tree = nullptr, bool damagedNames = false) {
  ComPtr<IStorage> root;
  const HRESULT hr = openMemoryStorage(image, kOpenRead, root.put());
  if (SUCCEEDED(hr)) {
    Tree t = readTree(root.get(), {}, damagedNames);
    if (tree) *tree = std::move(t);
  }
  return hr;
}

class StorageDamage : public StorageTest {};

TEST_F(StorageDamage, FilesThatAreNotCompoundFilesOpenAsAlreadyExisting) {
  const std::string text = path("old.qxi");
  writeFile(text, Bytes{'Q', 'X', 'L', '1', '6', 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  ComPtr<IStorage> root;
  EXPECT_EQ(openFile(text, kOpenRead, &root), STG_E_FILEALREADYEXISTS);
  writeFile(text, Bytes{'x'});
  EXPECT_EQ(openFile(text, kOpenRead, &root), STG_E_FILEALREADYEXISTS);
  // Empty, or the signature and no more: a damaged compound file.
  writeFile(text, Bytes{});
  EXPECT_EQ(openFile(text, kOpenRead, &root), STG_E_DOCFILECORRUPT);
  writeFile(text, Bytes{0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1});
  EXPECT_EQ(openFile(text, kOpenRead, &root), STG_E_DOCFILECORRUPT);
}

// What is no regular file is refused unopened by every function that takes
// an existing file (the command tree, backup files and the document all
// open through them), so a FIFO never holds the caller up.
TEST_F(StorageDamage, AFifoIsRefusedUnopened) {
  tallix::test::FifoWatch fifo(QString::fromStdString(path("pipe.qxd")));
  ASSERT_TRUE(fifo.made());
  EXPECT_FALSE(fifo.openedDuring([&] {
    ComPtr<IStorage> root;
    EXPECT_EQ(openFile(fifo.path(), kOpenRead, &root), STG_E_ACCESSDENIED);
    EXPECT_EQ(openFile(fifo.path(), STGM_READ | STGM_SHARE_DENY_NONE, &root), STG_E_ACCESSDENIED);
    EXPECT_EQ(openFile(fifo.path(), kOpenRW | STGM_TRANSACTED, &root), STG_E_ACCESSDENIED);
    EXPECT_EQ(createFile(fifo.path(), kCreateTransacted, &root), STG_E_ACCESSDENIED);
    EXPECT_EQ(StgReplaceHold(fifo.path()).Result(), STG_E_ACCESSDENIED);
  }));
  struct stat st {};
  ASSERT_EQ(::stat(fifo.path(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(StorageDamage, TheHandMadeSeedFilesReadAsTheirNamesSay) {
  const std::string dir = TALLIX_SOURCE_DIR "/tests/platform/corpus-cfb/";
  Tree read;
  ASSERT_EQ(openAndRead(readFile(dir + "good-v3.cfb"), &read), S_OK);
  EXPECT_EQ(read, (Tree{{"Directory", pattern(1, 1077)}, {"Tiny", pattern(5, 3)},
                        {"Data_Items/Item_00001024", pattern(2, 100)}, {"Data_Items/Item_00001025", pattern(3, 5000)}}));
  ASSERT_EQ(openAndRead(readFile(dir + "good-v4.cfb"), &read), S_OK);
  EXPECT_EQ(read.size(), 4u);
  EXPECT_EQ(openAndRead(readFile(dir + "not-compound.cfb")), STG_E_FILEALREADYEXISTS);
  for (const char* name : {"difat-loop", "dir-child-is-itself", "dir-cycle", "dir-sibling-beyond", "entry-type-unknown",
                           "fat-count-huge", "fat-cycle", "fat-off-the-end", "fat-self-loop", "mini-cross-link",
                           "minifat-cycle", "ministream-4gb", "name-length-huge", "root-not-root", "sector-shift-bad",
                           "signature-only", "stream-4gb", "truncated-2000", "truncated-600", "truncated-mid-stream",
                           "truncated-v4"})
    EXPECT_EQ(openAndRead(readFile(dir + name + ".cfb")), STG_E_DOCFILECORRUPT) << name;
}

TEST_F(StorageDamage, ATruncatedFileIsRefusedOrReadsRight) {
  const Bytes image = makeImage(kTree);
  for (std::size_t cut = 0; cut < image.size(); cut += cut < 2048 ? 7 : 509) {
    Tree read;
    const HRESULT hr = openAndRead(Bytes(image.begin(), image.begin() + std::ptrdiff_t(cut)), &read);
    if (hr == S_OK) EXPECT_EQ(read, kTree) << "cut at " << cut;
    else EXPECT_EQ(hr, STG_E_DOCFILECORRUPT) << "cut at " << cut;
  }
}

TEST_F(StorageDamage, CyclesCrossLinksAndImpossibleSizesAreRefused) {
  const RawFile good{makeImage(kTree)};
  Tree read;
  ASSERT_EQ(openAndRead(good.b, &read), S_OK);
  ASSERT_EQ(read, kTree);
  const std::uint32_t big = good.find("Big"), tiny = good.find("Tiny"), items = good.find("Data_Items");
  const std::uint32_t bigStart = le32At(good.b, good.entry(big) + 116);
  std::vector<std::pair<const char*, RawFile>> cases;
  auto add = [&](const char* what, auto&& spoil) {
    RawFile f = good;
    spoil(f);
    cases.emplace_back(what, std::move(f));
  };
  add("FAT chain looping onto itself", [&](RawFile& f) { f.setFat(bigStart + 3, bigStart); });
  add("FAT chain running off the file", [&](RawFile& f) { f.setFat(bigStart, 0x00FFFFFF); });
  add("FAT chain ending early", [&](RawFile& f) { f.setFat(bigStart, 0xFFFFFFFE); });
  add("two streams sharing sectors", [&](RawFile& f) {
    put32At(f.b, f.entry(f.find("Item_00001025")) + 116, bigStart);
  });
  add("directory entry its own sibling", [&](RawFile& f) { put32At(f.b, f.entry(items) + 68, items); });
  add("directory loop through a child", [&](RawFile& f) {
    put32At(f.b, f.entry(f.find("Item_00001025")) + 72, items);
  });
  add("sibling beyond the directory", [&](RawFile& f) { put32At(f.b, f.entry(tiny) + 68, 100000); });
  add("mini chain looping", [&](RawFile& f) {
    const std::uint32_t m = le32At(f.b, f.entry(f.find("Directory")) + 116);
    put32At(f.b, f.miniFatSlot(m + 1), m);
  });
  add("stream claiming 4 GB", [&](RawFile& f) { put32At(f.b, f.entry(big) + 120, 0xFFFFFFF0); });
  add("mini stream claiming 4 GB", [&](RawFile& f) { put32At(f.b, f.entry(0) + 120, 0xFFFFFFF0); });
  add("four billion FAT sectors", [&](RawFile& f) { put32At(f.b, 44, 0xFFFFFFFF); });
  add("DIFAT chain looping", [&](RawFile& f) {
    put32At(f.b, 44, 200);  // more FAT sectors than the header holds
    put32At(f.b, 68, bigStart);
    put32At(f.b, 72, 1);
    put32At(f.b, RawFile::sectorAt(bigStart) + 508, bigStart);
  });
  add("name length beyond the entry", [&](RawFile& f) { f.b[f.entry(tiny) + 64] = 0xFF; });
  add("unnamed entry", [&](RawFile& f) { f.b[f.entry(tiny)] = 0; });
  add("two entries of the same name", [&](RawFile& f) {
    const std::size_t e = f.entry(tiny);
    for (int i = 0; i < 4; ++i) f.b[e + 2 * std::size_t(i)] = std::uint8_t("Bigx"[i]);
    f.b[e + 6] = 0;
    f.b[e + 64] = 8;
  });
  add("entry of an unknown type", [&](RawFile& f) { f.b[f.entry(tiny) + 66] = 7; });
  add("root entry not a root", [&](RawFile& f) { f.b[f.entry(0) + 66] = 1; });
  add("sector size of neither version", [&](RawFile& f) { f.b[30] = 10; });
  add("wrong byte order mark", [&](RawFile& f) { f.b[28] = 0xFF; });
  add("mini stream cut-off not 4096", [&](RawFile& f) { put32At(f.b, 56, 512); });
  for (const auto& [what, file] : cases) EXPECT_EQ(openAndRead(file.b), STG_E_DOCFILECORRUPT) << what;
}

TEST_F(StorageDamage, StoragesNestOnlyAsDeepAsTheReaderAccepts) {
  ComPtr<IStorage> root;
  std::vector<std::uint8_t>* contents = nullptr;
  ASSERT_EQ(createMemoryStorage(kCreate, root.put(), &contents), S_OK);
  std::vector<ComPtr<IStorage>> chain{root};
  HRESULT hr = S_OK;
  while (hr == S_OK && chain.size() < 400) {
    ComPtr<IStorage> sub;
    hr = chain.back()->CreateStorage("S", kSub, 0, 0, sub.put());
    if (hr == S_OK) chain.push_back(sub);
  }
  EXPECT_EQ(hr, STG_E_INVALIDFUNCTION);
  EXPECT_EQ(chain.size(), 256u);  // the root and 255 storages below it
  while (chain.size() > 1) chain.pop_back();
  ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
  EXPECT_EQ(openAndRead(*contents), S_OK);
}

TEST_F(StorageDamage, RandomDamageNeverBreaksTheReader) {
  const Bytes image = makeImage(kTree);
  std::mt19937 random(12345);
  int opened = 0;
  for (int round = 0; round < 400; ++round) {
    Bytes spoiled = image;
    const int flips = 1 + int(random() % 8);
    for (int i = 0; i < flips; ++i) {
      // Mostly the header, FAT and directory, where damage matters most.
      const std::size_t at = random() % 2 ? random() % 512 : random() % spoiled.size();
      spoiled[at] = std::uint8_t(random());
    }
    Tree read;
    const HRESULT hr = openAndRead(spoiled, &read, true);
    EXPECT_TRUE(hr == S_OK || hr == STG_E_DOCFILECORRUPT || hr == STG_E_FILEALREADYEXISTS) << std::hex << hr;
    opened += hr == S_OK;
  }
  // Damage to unused bytes is harmless; much of the rest is caught.
  EXPECT_GT(opened, 20);
  EXPECT_LT(opened, 380);
}

}  // namespace
