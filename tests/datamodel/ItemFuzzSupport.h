// What the item fuzz targets share: the check that stops the run, the
// conversion of an item's image, the store and reload of an item through a
// document entry, and the reading of an input as a stored item stream.
#pragma once

#include "datamodel/PictureConversion.h"
#include "datamodel/QXDocEntry.h"
#include "tests/support/MemoryArchive.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tallix::test {

inline void fuzzCheck(bool condition) {
  if (!condition) __builtin_trap();
}

// An image that describes itself goes to a bitmap and, for a picture, back.
inline void fuzzConvert(ScreenFormat format, bool monochrome) {
  CBitmap bitmap;
  int error = -1;
  if (CalcPlanesToBitmap(format, bitmap, monochrome, error)) {
    fuzzCheck(error == 0 && bitmap.GetWidth() == format.width && bitmap.GetHeight() == format.height);
    BitmapToCalcPlanes(format, bitmap, error);
  } else {
    fuzzCheck(error == kUnsupportedPictureFormat);
  }
}

// What an item stores loads back through a document entry and stores the
// same bytes again.
inline void fuzzRoundTrip(CQXCalcItem* item) {
  CQXDocEntry entry(FALSE);
  entry.SetItem(item);
  MemoryArchive first;
  entry.Store(first);
  fuzzCheck(first.bytes_.size() == entry.GetStoredSize());
  CQXDocEntry loaded;
  MemoryArchive in(first.bytes_);
  loaded.Load(in);
  fuzzCheck(loaded.GetItem() != nullptr);
  MemoryArchive again;
  loaded.Store(again);
  fuzzCheck(again.bytes_ == first.bytes_);
}

// Loads the bytes as an item stream; an item that loads must round-trip.
inline void fuzzStoredEntry(const std::uint8_t* data, std::size_t size) {
  CQXDocEntry entry;
  MemoryArchive ar(std::vector<BYTE>(data, data + size));
  try {
    entry.Load(ar);
  } catch (const COrvoArchiveException&) {
    return;
  }
  if (entry.GetItem()) fuzzRoundTrip(entry.GetItem());
}

}  // namespace tallix::test
