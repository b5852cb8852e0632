#include "platform/storage/ElementTree.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>

namespace tallix::cfb {

HRESULT FileExtent::read(std::uint64_t pos, void* out, std::size_t n) const {
  auto* dst = static_cast<std::uint8_t*>(out);
  const std::uint64_t sectorSize = std::uint64_t(1) << shift;
  while (n > 0) {
    std::size_t index = std::size_t(pos >> shift);
    const std::uint64_t within = pos & (sectorSize - 1);
    if (index >= sectors.size()) return STG_E_READFAULT;
    // Runs of neighbouring sectors are read at once.
    std::size_t last = index;
    std::uint64_t span = sectorSize - within;
    while (span < n && last + 1 < sectors.size() && sectors[last + 1] == sectors[last] + 1) {
      ++last;
      span += sectorSize;
    }
    const std::size_t take = std::size_t(std::min<std::uint64_t>(span, n));
    const std::uint64_t offset = headerSize + std::uint64_t(sectors[index]) * sectorSize + within;
    if (!io->readAt(offset, dst, take)) return STG_E_READFAULT;
    dst += take;
    pos += take;
    n -= take;
  }
  return S_OK;
}

HRESULT StreamData::read(std::uint64_t pos, void* out, std::size_t n) const {
  if (n == 0) return S_OK;
  if (view) {
    std::memcpy(out, view.get() + pos, n);
    return S_OK;
  }
  if (!extent) {
    std::memcpy(out, bytes.data() + pos, n);
    return S_OK;
  }
  return extent->read(extentOffset + pos, out, n);
}

HRESULT StreamData::load() {
  if (view) {
    try {
      bytes.assign(view.get(), view.get() + size);
    } catch (const std::bad_alloc&) {
      return STG_E_INSUFFICIENTMEMORY;
    }
    view.reset();
    return S_OK;
  }
  if (!extent) return S_OK;
  try {
    std::vector<std::uint8_t> loaded(static_cast<std::size_t>(size));
    if (const HRESULT hr = extent->read(extentOffset, loaded.data(), loaded.size()); FAILED(hr)) return hr;
    bytes = std::move(loaded);
  } catch (const std::bad_alloc&) {
    return STG_E_INSUFFICIENTMEMORY;
  }
  extent.reset();
  extentOffset = 0;
  return S_OK;
}

std::unique_ptr<Node> Node::clone() const {
  auto copy = std::make_unique<Node>();
  copy->name = name;
  copy->storage = storage;
  copy->clsid = clsid;
  copy->stateBits = stateBits;
  copy->ctime = ctime;
  copy->mtime = mtime;
  copy->data = data;
  for (const auto& [key, child] : children) copy->children.emplace(key, child->clone());
  return copy;
}

Node* Node::find(const NameKey& key) const {
  const auto it = children.find(key);
  return it == children.end() ? nullptr : it->second.get();
}

FILETIME fileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds) {
  constexpr std::int64_t kEpochDifference = 11644473600LL;  // 1601 to 1970, in seconds
  const std::uint64_t ticks =
      std::uint64_t((seconds + kEpochDifference) * 10000000LL + nanoseconds / 100);
  return FILETIME{DWORD(ticks), DWORD(ticks >> 32)};
}

FILETIME fileTimeNow() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
  return fileTimeFromUnix(ns / 1000000000LL, ns % 1000000000LL);
}

}  // namespace tallix::cfb
