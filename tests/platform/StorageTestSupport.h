// Helpers of the storage tests: deterministic stream contents, trees of
// storages and streams written and checked in one go, raw file access.
#pragma once

#include "platform/storage/Storage.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace storagetest {

using Bytes = std::vector<std::uint8_t>;

constexpr DWORD kCreate = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kCreateTransacted = kCreate | STGM_TRANSACTED;
constexpr DWORD kOpenRW = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kOpenRead = STGM_READ | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kSub = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

// The same formula as the peer script's, so both sides know every byte.
inline Bytes pattern(std::uint32_t salt, std::size_t size) {
  Bytes b(size);
  for (std::size_t i = 0; i < size; ++i) b[i] = std::uint8_t((salt * 31 + i * 7 + (i >> 8)) & 0xFF);
  return b;
}

inline Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::uint32_t le32At(const Bytes& b, std::size_t at) {
  return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
         std::uint32_t(b[at + 3]) << 24;
}
inline void put32At(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = std::uint8_t(v >> (8 * i));
}

inline HRESULT writeStream(IStorage* stg, const char* name, const Bytes& bytes, DWORD mode = kCreate) {
  ComPtr<IStream> s;
  HRESULT hr = stg->CreateStream(name, mode, 0, 0, s.put());
  if (FAILED(hr)) return hr;
  ULONG written = 0;
  hr = s->Write(bytes.data(), ULONG(bytes.size()), &written);
  if (SUCCEEDED(hr) && written != bytes.size()) hr = STG_E_WRITEFAULT;
  return hr;
}

inline std::optional<Bytes> readStream(IStorage* stg, const char* name) {
  ComPtr<IStream> s;
  if (FAILED(stg->OpenStream(name, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, s.put()))) return std::nullopt;
  STATSTG st;
  if (FAILED(s->Stat(&st, STATFLAG_NONAME))) return std::nullopt;
  Bytes b(std::size_t(st.cbSize));
  ULONG got = 0;
  if (FAILED(s->Read(b.data(), ULONG(b.size()), &got)) || got != b.size()) return std::nullopt;
  return b;
}

// A tree of storages and streams: "a/b/name" paths to contents. Storages are
// made on the way.
using Tree = std::map<std::string, Bytes>;

inline HRESULT writeTree(IStorage* root, const Tree& tree) {
  for (const auto& [path, bytes] : tree) {
    std::vector<ComPtr<IStorage>> chain;
    IStorage* at = root;
    std::size_t start = 0;
    for (std::size_t slash; (slash = path.find('/', start)) != std::string::npos; start = slash + 1) {
      const std::string part = path.substr(start, slash - start);
      ComPtr<IStorage> sub;
      HRESULT hr = at->OpenStorage(part.c_str(), nullptr, kSub, nullptr, 0, sub.put());
      if (hr == STG_E_FILENOTFOUND) hr = at->CreateStorage(part.c_str(), kSub, 0, 0, sub.put());
      if (FAILED(hr)) return hr;
      chain.push_back(sub);
      at = sub.get();
    }
    if (const HRESULT hr = writeStream(at, path.substr(start).c_str(), bytes); FAILED(hr)) return hr;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) (*it)->Commit(STGC_DEFAULT);
  }
  return S_OK;
}

// Every stream below `stg`, by path. A damaged name may hold characters
// that 8-bit names cannot give (shown as '?'); with `skipUnnameable` such
// elements are passed over.
inline Tree readTree(IStorage* stg, const std::string& prefix = {}, bool skipUnnameable = false) {
  Tree out;
  std::vector<STATSTG> elements;
  EXPECT_EQ(stg->EnumElements(&elements), S_OK);
  for (const STATSTG& e : elements) {
    if (skipUnnameable && e.pwcsName.find('?') != std::string::npos) continue;
    if (e.type == STGTY_STREAM) {
      auto bytes = readStream(stg, e.pwcsName.c_str());
      EXPECT_TRUE(bytes.has_value()) << prefix << e.pwcsName;
      out[prefix + e.pwcsName] = bytes.value_or(Bytes{});
    } else {
      ComPtr<IStorage> sub;
      EXPECT_EQ(stg->OpenStorage(e.pwcsName.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, sub.put()),
                S_OK);
      if (sub) out.merge(readTree(sub.get(), prefix + e.pwcsName + "/", skipUnnameable));
    }
  }
  return out;
}

inline HRESULT openFile(const std::string& path, DWORD mode, ComPtr<IStorage>* out) {
  return StgOpenStorage(path.c_str(), nullptr, mode, nullptr, 0, out->put());
}

inline HRESULT createFile(const std::string& path, DWORD mode, ComPtr<IStorage>* out) {
  return StgCreateDocfile(path.c_str(), mode, 0, out->put());
}

// A fresh folder per test.
class StorageTest : public ::testing::Test {
 protected:
  std::string path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)).toStdString(); }
  // Creates `name` holding `tree`, committed and closed.
  std::string makeFile(const char* name, const Tree& tree) {
    const std::string p = path(name);
    ComPtr<IStorage> root;
    EXPECT_EQ(createFile(p, kCreateTransacted, &root), S_OK);
    EXPECT_EQ(writeTree(root.get(), tree), S_OK);
    EXPECT_EQ(root->Commit(STGC_DEFAULT), S_OK);
    return p;
  }
  Tree treeOf(const std::string& p) {
    ComPtr<IStorage> root;
    EXPECT_EQ(openFile(p, kOpenRead, &root), S_OK);
    return root ? readTree(root.get()) : Tree{};
  }

  QTemporaryDir dir_;
};

}  // namespace storagetest
