// Feeds arbitrary 50-byte headers and data packets to every item class of
// the older family (and the newer function memory), created through the
// factory, then stores each item and loads it back; or, with the high bit of
// the first byte set, reads the rest as a stored item stream.
//
// Input: byte 0 the item (index into the list below), byte 1 the function or
// entry index, bytes 2-51 a header (its first 40 bytes for a screen copy),
// then packets of one length byte and the bytes that follow. Pictures and
// screen copies that take their header also go through the picture
// conversion both ways.
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXFuncMemV5Item.h"
#include "datamodel/QXFunctionItems.h"
#include "datamodel/QXImageItems.h"
#include "datamodel/PictureConversion.h"
#include "datamodel/QXItemFactory.h"
#include "datamodel/QXMatrixItems.h"
#include "datamodel/QXMemImageItems.h"
#include "datamodel/QXProgramItem.h"
#include "datamodel/QXRecursionItem.h"
#include "datamodel/QXValueSetItems.h"
#include "tests/datamodel/ItemFuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>
#include <vector>

namespace {

using namespace tallix::test;

const int kTypes[] = {4001, 4002, 4003, 4004, 4005, 4006, 4007, 4008, 4009, 4010,
                      4011, 4012, 4019, 4020, 5012, 4014, 4015, 4016, 4017, 4018};

// A header the item built must be one it accepts again.
template <class F>
void rebuilt(F build, const std::function<BOOL(const BYTE*)>& parse) {
  BYTE header[50];
  if (build(header)) fuzzCheck(parse(header));
}

void exercise(CQXCalcItem* item, int n, const BYTE* h, const std::vector<std::vector<BYTE>>& packets) {
  BYTE out[64];
  if (auto* p = dynamic_cast<CQXProgramItem*>(item)) {
    p->ParseHeader(h, 50);
    for (const auto& d : packets) p->SetDataBlock(d.data(), int(d.size()));
    rebuilt([&](BYTE* b) { return p->BuildHeader(b, 50); }, [&](const BYTE* b) { return p->ParseHeader(b, 50); });
    char detail[16];
    CQXDetailTextRecord record{1, detail, sizeof detail};
    p->GetDetailText(&record);
  } else if (auto* g = dynamic_cast<CQXGraphFuncItem*>(item)) {
    g->ParseHeader(n, h, 50);
    for (const auto& d : packets) g->SetFunctionBytes(n, d.data(), DWORD(d.size()));
    g->GetFunctionBytes(n, out, sizeof out);
    std::string a, b;
    g->GetFunctionLabels(n, &a, &b);
    rebuilt([&](BYTE* x) { return g->BuildHeader(n, x, 50); }, [&](const BYTE* x) { return g->ParseHeader(n, x, 50); });
  } else if (auto* m = dynamic_cast<CQXMatrixItem*>(item)) {
    m->ParseHeader(h, 50);
    for (const auto& d : packets) m->GetValues().SetCellFromRecord(d.data(), UINT(d.size()));
    m->GetValues().GetCellRecord(n % 16, 1, out, sizeof out);
    rebuilt([&](BYTE* x) { return m->BuildHeader(x, 50); }, [&](const BYTE* x) { return m->ParseHeader(x, 50); });
  } else if (auto* l = dynamic_cast<CQXListItem*>(item)) {
    l->ParseHeader(h, 50);
    for (const auto& d : packets) l->GetValues().SetCellFromRecord(d.data(), UINT(d.size()));
    l->GetTransferTitle();
    rebuilt([&](BYTE* x) { return l->BuildHeader(x, 50); }, [&](const BYTE* x) { return l->ParseHeader(x, 50); });
  } else if (auto* v = dynamic_cast<CQXValueSetItem*>(item)) {
    if (v->ParseHeader(h, 50))
      for (const auto& d : packets) v->SetFromHeader(h, d.data(), UINT(d.size()));
    CQXValueSetItem::GetDataSize(h, 50);
    v->GetValueRecord(n, out, sizeof out);
    for (int i = 0; i < v->GetCount(); ++i)
      rebuilt([&](BYTE* x) { return v->BuildHeader(i, x, 50); }, [&](const BYTE* x) { return v->ParseHeader(x, 50); });
  } else if (auto* r = dynamic_cast<CQXRecursionItem*>(item)) {
    r->ParseFormulaHeader(n % 2, h, 50);
    r->ParseRangeHeader(h, 50);
    for (const auto& d : packets) {
      r->SetFormulaBytes(n % 2, d.data(), DWORD(d.size()));
      r->SetRangeFromHeader(h, d.data(), UINT(d.size()));
    }
    for (int f = 0; f < 2; ++f)
      rebuilt([&](BYTE* x) { return r->BuildFormulaHeader(f, x, 50); },
              [&](const BYTE* x) { return r->ParseFormulaHeader(f, x, 50); });
    for (int i = 0; i < r->GetRangeCount(); ++i)
      rebuilt([&](BYTE* x) { return r->BuildRangeHeader(i, x, 50); },
              [&](const BYTE* x) { return r->ParseRangeHeader(x, 50); });
  } else if (auto* f = dynamic_cast<CQXFuncMemItem*>(item)) {
    f->ParseHeader(n, h, 50);
    for (const auto& d : packets) f->SetFunctionBytes(n, d.data(), DWORD(d.size()));
    f->GetFunctionBytes(n, out, sizeof out);
    rebuilt([&](BYTE* x) { return f->BuildHeader(n, x, 50); }, [&](const BYTE* x) { return f->ParseHeader(n, x, 50); });
  } else if (auto* e = dynamic_cast<CQXEquationItem*>(item)) {
    e->ParseHeader(h, 50);
    for (const auto& d : packets) e->SetElement(d.data(), UINT(d.size()));
    rebuilt([&](BYTE* x) { return e->BuildHeader(x, 50); }, [&](const BYTE* x) { return e->ParseHeader(x, 50); });
  } else if (auto* picture = dynamic_cast<CQXPictureItem*>(item)) {
    if (picture->ParseHeader(h, 50)) {
      for (const auto& d : packets) picture->SetImageBlock(d.data(), int(d.size()));
      std::vector<BYTE> block(picture->GetDataBlockSize());
      for (int a = 0; a < picture->GetOuterBlockCount(); ++a)
        for (int b = 0; b < picture->GetInnerBlockCount(); ++b)
          fuzzCheck(picture->GetImageBlock(a, b, block.data(), int(block.size())));
      ScreenFormat format;
      if (picture->GetImageFormat(format)) fuzzConvert(format, n & 1);
    }
    rebuilt([&](BYTE* x) { return picture->BuildHeader(x, 50); },
            [&](const BYTE* x) { return picture->ParseHeader(x, 50) || picture->GetPictureNumber() == 0; });
  } else if (auto* screen = dynamic_cast<CQXScreenItem*>(item)) {
    if (screen->ParseHeader(h, 40)) {
      int plane = 1;
      for (const auto& d : packets) screen->SetImageData(plane++, d.data(), int(d.size()));
      ScreenFormat format;
      if (screen->GetImageFormat(format)) fuzzConvert(format, n & 1);
    }
  } else if (auto* memory = dynamic_cast<CQXMemImageItem*>(item)) {
    memory->ParseHeader(h, 50);
    for (const auto& d : packets) memory->SetBytes(d.data(), int(d.size()));
    rebuilt([&](BYTE* x) { return memory->BuildHeader(x, 50); }, [&](const BYTE* x) { return memory->ParseHeader(x, 50); });
  } else if (auto* v5 = dynamic_cast<CQXFuncMemV5Item*>(item)) {
    for (const auto& d : packets)
      if (CQXFuncMemEntry* entry = v5->GetEntry(n)) entry->SetBytes(d.data(), DWORD(d.size()));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  if (data[0] & 0x80) {
    fuzzStoredEntry(data + 1, size - 1);
    return 0;
  }
  if (size < 52) return 0;
  std::unique_ptr<CQXCalcItem> item(CreateItemByTypeId(kTypes[data[0] % std::size(kTypes)]));
  fuzzCheck(item != nullptr);
  std::vector<std::vector<BYTE>> packets;
  for (std::size_t at = 52; at < size;) {
    const std::size_t n = std::min<std::size_t>(data[at], size - at - 1);
    packets.emplace_back(data + at + 1, data + at + 1 + n);
    at += 1 + n;
  }
  exercise(item.get(), data[1] % 24, data + 2, packets);
  fuzzRoundTrip(item.get());
  return 0;
}
