// The receivers of the 50-byte family: one per header kind, each building its
// item from the header and the data packets that follow it.
#include "datamodel/HeaderKinds.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXFunctionItems.h"
#include "datamodel/QXImageItems.h"
#include "datamodel/QXMatrixItems.h"
#include "datamodel/QXMemImageItems.h"
#include "datamodel/QXProgramItem.h"
#include "datamodel/QXRecursionItem.h"
#include "datamodel/QXTextRecords.h"
#include "datamodel/QXValueSetItems.h"
#include "link/LinkSessionNP.h"
#include "link/SerialLink.h"
#include "platform/LanguageLibrary.h"

#include <new>

namespace {

constexpr const char* kTypeFX7400 = "FX7400";
constexpr const char* kTypeFX9850 = "FX9850";

}  // namespace

int CQXLinkSessionNP::DispatchHeader(const BYTE* header, DWORD length, std::unique_ptr<CQXDocEntry>* out) {
  out->reset();
  lastStoredKind_ = 0;
  if (!buffer_) return SESSION_NO_MEMORY;
  const int kind = KindFromOldHeader(header, int(length));
  if (kind == kKindUnknown) return SESSION_PROTOCOL;
  try {
    ItemPtr item;
    int storedKind = 0;
    const int result = Receive(kind, header, length, &item, &storedKind);
    if (result != SESSION_OK) return result;
    auto entry = std::make_unique<CQXDocEntry>();
    entry->SetItem(item.release());
    entry->SetKind(DWORD(storedKind));
    *out = std::move(entry);
    lastStoredKind_ = storedKind;
    return SESSION_OK;
  } catch (const std::bad_alloc&) {
    return SESSION_NO_MEMORY;
  }
}

int CQXLinkSessionNP::Receive(int kind, const BYTE* header, DWORD length, ItemPtr* item, int* storedKind) {
  switch (kind) {
    case kKindProgram: {
      auto program = std::make_unique<CQXProgramItem>();
      CQXProgramItem* p = program.get();
      const int result = ReceiveTextRun(
          header, length, kind, 1, [p](int, const BYTE* h, int n) { return p->ParseHeader(h, n); },
          [p](int, const BYTE* data, DWORD size) { return p->SetDataBlock(data, int(size)); },
          [this, p] { Report(ProgramText(*p), kKindProgram); });
      if (result != SESSION_OK) return result;
      *item = std::move(program);
      *storedKind = kKindProgram;
      return SESSION_OK;
    }
    case kKindMatrix:
    case kKindList: {
      ItemPtr made;
      CQXValueGrid* grid = nullptr;
      std::string text;
      if (kind == kKindMatrix) {
        auto matrix = std::make_unique<CQXMatrixItem>();
        if (!matrix->ParseHeader(header, int(length))) return SESSION_BAD_DATA;
        grid = &matrix->GetValues();
        text = DisplayNameOf(*matrix);
        made = std::move(matrix);
      } else {
        auto list = std::make_unique<CQXListItem>();
        if (!list->ParseHeader(header, int(length))) return SESSION_BAD_DATA;
        grid = &list->GetValues();
        // The title of a list of a list file; a plain list shows its name.
        text = list->GetTransferTitle();
        if (text.empty()) text = DisplayNameOf(*list);
        made = std::move(list);
      }
      Report(text, kind);
      const int result = ReceiveGrid(*grid);
      if (result != SESSION_OK) return result;
      *item = std::move(made);
      *storedKind = kind;
      return SESSION_OK;
    }
    case kKindSimultaneousEquation:
    case kKindPolynomialEquation: {
      ItemPtr made;
      CQXEquationItem* equation;
      if (kind == kKindSimultaneousEquation) {
        made = std::make_unique<CQXSimlEquationItem>();
      } else {
        made = std::make_unique<CQXPolyEquationItem>();
      }
      equation = static_cast<CQXEquationItem*>(made.get());
      if (!equation->ParseHeader(header, int(length))) return SESSION_BAD_DATA;
      Report(DisplayNameOf(*equation), kProgressEquation);
      const int result = ReceiveGrid(equation->GetMatrix());
      if (result != SESSION_OK) return result;
      *item = std::move(made);
      *storedKind = kind;
      return SESSION_OK;
    }
    case kKindGraphFunctions:
      return ReceiveGraphFunctions(header, length, item, storedKind);
    case kKindVWindow:
    case kKindZoomFactor:
    case kKindTableRange: {
      ItemPtr made;
      if (kind == kKindVWindow) {
        made = std::make_unique<CQXVWindowItem>();
      } else if (kind == kKindZoomFactor) {
        made = std::make_unique<CQXZoomFactorItem>();
      } else {
        made = std::make_unique<CQXTableRangeItem>();
      }
      auto* set = static_cast<CQXValueSetItem*>(made.get());
      const int result = ReceiveEntryRun(
          header, length, kind, set->GetCount(), [set](const BYTE* h, int n) { return set->ParseHeader(h, n); },
          &CQXValueSetItem::GetDataSize,
          [set](const BYTE* h, const BYTE* r, UINT n) { return set->SetFromHeader(h, r, n); },
          [this, set, kind] { Report(DisplayNameOf(*set), kind); });
      if (result != SESSION_OK) return result;
      *item = std::move(made);
      *storedKind = kind;
      return SESSION_OK;
    }
    case kKindVariables:
      return ReceiveVariables(header, length, item, storedKind);
    case kKindRecursionFormulas:
      return ReceiveRecursionFormulas(header, length);
    case kKindRecursionRange: {
      const int result = ReceiveRecursionRange(header, length, item);
      if (result == SESSION_OK) *storedKind = kStoredRecursion;
      return result;
    }
    case kKindFunctionMemory: {
      auto memory = std::make_unique<CQXFuncMemItem>();
      CQXFuncMemItem* m = memory.get();
      const int result = ReceiveTextRun(
          header, length, kind, m->GetCount(), [m](int n, const BYTE* h, int size) { return m->ParseHeader(n, h, size); },
          [m](int n, const BYTE* data, DWORD size) { return m->SetFunctionBytes(n, data, size); },
          [this] { Report(CLanguageLibrary::LoadStringA(10324), kKindFunctionMemory); });
      if (result != SESSION_OK) return result;
      *item = std::move(memory);
      *storedKind = kKindFunctionMemory;
      return SESSION_OK;
    }
    case kKindPicture: {
      auto picture = std::make_unique<CQXPictureItem>();
      const int result = ReceivePicture(*picture, header, length);
      if (result != SESSION_OK) return result;
      *item = std::move(picture);
      *storedKind = kind;
      return SESSION_OK;
    }
    case kKindGraphMemory:
    case kKindDynamicGraphMemory:
    case kKindBackup: {
      std::unique_ptr<CQXMemImageItem> memory;
      std::string text;
      if (kind == kKindGraphMemory) {
        memory = std::make_unique<CQXGraphMemItem>();
        text = CLanguageLibrary::LoadStringA(10335);
      } else if (kind == kKindDynamicGraphMemory) {
        memory = std::make_unique<CQXDynaGraphMemV4Item>();
      } else {
        memory = std::make_unique<CQXBackupV4Item>();
        text = CLanguageLibrary::LoadStringA(10340);
      }
      const int result = ReceiveMemoryImage(*memory, header, length, text, kind);
      if (result != SESSION_OK) return result;
      *item = std::move(memory);
      *storedKind = kind;
      return SESSION_OK;
    }
    case kKindScreenCopyMono:
    case kKindScreenCopyColour: {
      auto screen = std::make_unique<CQXScreenItem>();
      const int result = ReceiveScreenCopy(*screen, header, length, kind);
      if (result != SESSION_OK) return result;
      *item = std::move(screen);
      *storedKind = kind;
      return SESSION_OK;
    }
    default:
      return SESSION_NOT_SUPPORTED;
  }
}

// Block (a, b) for a below the outer and b below the inner count, b fastest;
// each block names its place itself.
int CQXLinkSessionNP::ReceivePicture(CQXPictureItem& picture, const BYTE* header, DWORD length) {
  if (!picture.ParseHeader(header, int(length))) return SESSION_BAD_DATA;
  Report(DisplayNameOf(picture), kKindPicture);
  const DWORD total = picture.GetDataBlockSize();
  const int blocks = picture.GetOuterBlockCount() * picture.GetInnerBlockCount();
  for (int i = 0; i < blocks; ++i) {
    const int result = ReadDataPacket(total);
    if (result != SESSION_OK) return result;
    if (!picture.SetImageBlock(buffer_.get() + 1, int(total - 2))) return SESSION_BAD_DATA;
    pending_ = LINK_ACK;
  }
  return SESSION_OK;
}

// One packet of the size the header gives. A backup is the whole transfer:
// nothing more is read, so its 0x06 goes out at once.
int CQXLinkSessionNP::ReceiveMemoryImage(CQXMemImageItem& memory, const BYTE* header, DWORD length,
                                         std::string text, int kind) {
  if (!memory.ParseHeader(header, int(length))) return SESSION_BAD_DATA;
  if (text.empty()) text = DisplayNameOf(memory);
  Report(text, kind);
  const DWORD total = GetHeaderDataLength(header, int(length));
  const int result = ReadDataPacket(total);
  if (result != SESSION_OK) return result;
  if (!memory.SetBytes(buffer_.get() + 1, int(total - 2))) return SESSION_BAD_DATA;
  pending_ = LINK_ACK;
  return kind == kKindBackup ? SendOwedAnswerNow() : SESSION_OK;
}

// One block per plane of the image, planes from 1; a colour block leads with
// its plane byte. A screen copy is the whole transfer: the 0x06 for its last
// block goes out at once.
int CQXLinkSessionNP::ReceiveScreenCopy(CQXScreenItem& screen, const BYTE* header, DWORD length, int kind) {
  if (!screen.ParseHeader(header, int(length))) return SESSION_BAD_DATA;
  Report(CLanguageLibrary::LoadStringA(10338), kind);
  const DWORD total = screen.GetDataBlockSize();
  const int planes = int(screen.GetImage().GetPlanesD());
  const DWORD skip = planes > 1 ? 1 : 0;
  if (total < 2 + skip) return SESSION_BAD_DATA;
  for (int plane = 1; plane <= planes; ++plane) {
    const int result = ReadDataPacket(total);
    if (result != SESSION_OK) return result;
    if (!screen.SetImageData(plane, buffer_.get() + 1 + skip, int(total - 2 - skip))) return SESSION_BAD_DATA;
    pending_ = LINK_ACK;
  }
  return SendOwedAnswerNow();
}

int CQXLinkSessionNP::SendOwedAnswerNow() {
  return channel_.SendPendingAnswer(&pending_, link_->GetTimings().pendingAnswerPauseNP);
}

int CQXLinkSessionNP::ReadDataPacket(DWORD total) {
  // Sizes come from the calculator: a length below the frame's two bytes or
  // beyond any calculator's memory is a damaged header.
  if (total < 2 || total > kMaxPacketSize) return SESSION_BAD_DATA;
  if (total > bufferSize_ && !AllocBuffer(total)) return SESSION_NO_MEMORY;
  const int result = channel_.SendPendingAnswer(&pending_, link_->GetTimings().pendingAnswerPauseNP);
  if (result != SESSION_OK) return result;
  return PacketCodeToSessionCode(channel_.ReadPacket(buffer_.get(), total, 1));
}

int CQXLinkSessionNP::ReadNextHeader(int kind) {
  int result = channel_.SendPendingAnswer(&pending_, link_->GetTimings().pendingAnswerPauseNP);
  if (result != SESSION_OK) return result;
  link_->Sleep(link_->GetTimings().headerPause);
  const int code = channel_.ReadHeaderNP(header_, &headerLength_);
  if (code != PACKET_OK) return PacketCodeToSessionCode(code);
  if (KindFromOldHeader(header_, int(headerLength_)) != kind) return SESSION_PROTOCOL;
  pending_ = LINK_ACK;
  return SESSION_OK;
}

int CQXLinkSessionNP::ReceiveTextRun(const BYTE* header, DWORD length, int kind, int count, const NumberedParse& parse,
                                     const NumberedData& take, const std::function<void()>& report) {
  for (int n = 0; n < count; ++n) {
    if (n > 0) {
      const int result = ReadNextHeader(kind);
      if (result != SESSION_OK) return result;
      header = header_;
      length = headerLength_;
    }
    if (!parse(n, header, int(length))) return SESSION_BAD_DATA;
    if (n == 0) report();
    const DWORD total = GetHeaderDataLength(header, int(length));
    const int result = ReadDataPacket(total);
    if (result != SESSION_OK) return result;
    if (!take(n, buffer_.get() + 1, total - 2)) return SESSION_BAD_DATA;
    pending_ = LINK_ACK;
  }
  return SESSION_OK;
}

int CQXLinkSessionNP::ReceiveEntryRun(const BYTE* header, DWORD length, int kind, int count, const HeaderParse& parse,
                                      const HeaderDataSize& dataSize, const HeaderData& take,
                                      const std::function<void()>& report) {
  for (int i = 0; i < count; ++i) {
    if (i > 0) {
      const int result = ReadNextHeader(kind);
      if (result != SESSION_OK) return result;
      header = header_;
      length = headerLength_;
    }
    if (!parse(header, int(length))) return SESSION_BAD_DATA;
    if (i == 0) report();
    const UINT size = dataSize(header, int(length));
    if (size == 0) continue;
    const int result = ReadDataPacket(size + 2);
    if (result != SESSION_OK) return result;
    if (!take(header, buffer_.get() + 1, size)) return SESSION_BAD_DATA;
    pending_ = LINK_ACK;
  }
  return SESSION_OK;
}

int CQXLinkSessionNP::ReceiveGrid(CQXValueGrid& grid) {
  const int cells = grid.GetFirstCount() * grid.GetSecondCount();
  for (int i = 0; i < cells; ++i) {
    const int result = ReadDataPacket(CQXNumberCell::kRealRecordSize + 2);
    if (result != SESSION_OK) return result;
    if (!grid.SetCellFromRecord(buffer_.get() + 1, CQXNumberCell::kRealRecordSize)) return SESSION_BAD_DATA;
    pending_ = LINK_ACK;
  }
  return SESSION_OK;
}

int CQXLinkSessionNP::ReceiveGraphFunctions(const BYTE* header, DWORD length, ItemPtr* item, int* storedKind) {
  std::unique_ptr<CQXGraphFuncItem> functions;
  if (calcType_ == kTypeFX7400) {
    functions = std::make_unique<CQXGraphFunc10Item>();
    *storedKind = kStoredGraphFunctions10;
  } else if (calcType_ == kTypeFX9850) {
    functions = std::make_unique<CQXGraphFunc20Item>();
    *storedKind = kStoredGraphFunctions20;
  } else {
    return SESSION_NOT_SUPPORTED;
  }
  CQXGraphFuncItem* f = functions.get();
  const int result = ReceiveTextRun(
      header, length, kKindGraphFunctions, f->GetCount(),
      [f](int n, const BYTE* h, int size) { return f->ParseHeader(n, h, size); },
      [f](int n, const BYTE* data, DWORD size) { return f->SetFunctionBytes(n, data, size); },
      [this] { Report(CLanguageLibrary::LoadStringA(10310), kKindGraphFunctions); });
  if (result != SESSION_OK) return result;
  *item = std::move(functions);
  return SESSION_OK;
}

int CQXLinkSessionNP::ReceiveVariables(const BYTE* header, DWORD length, ItemPtr* item, int* storedKind) {
  std::unique_ptr<CQXVariableItem> variables;
  if (calcType_ == kTypeFX9850) {
    variables = std::make_unique<CQXVariable28Item>();
    *storedKind = kStoredVariables28;
  } else if (calcType_ == kTypeFX7400) {
    variables = std::make_unique<CQXVariable26Item>();
    *storedKind = kStoredVariables26;
  } else {
    return SESSION_NOT_SUPPORTED;
  }
  CQXVariableItem* v = variables.get();
  const int result = ReceiveEntryRun(
      header, length, kKindVariables, v->GetCount(), [v](const BYTE* h, int n) { return v->ParseHeader(h, n); },
      &CQXValueSetItem::GetDataSize, [v](const BYTE* h, const BYTE* r, UINT n) { return v->SetFromHeader(h, r, n); },
      [this, v] { Report(DisplayNameOf(*v), kKindVariables); });
  if (result != SESSION_OK) return result;
  *item = std::move(variables);
  return SESSION_OK;
}

// The two formulas arrive first; the item waits in the session for its
// range values, and a later "RF" replaces it.
int CQXLinkSessionNP::ReceiveRecursionFormulas(const BYTE* header, DWORD length) {
  auto recursion = std::make_unique<CQXRecursionItem>();
  CQXRecursionItem* r = recursion.get();
  const int result = ReceiveTextRun(
      header, length, kKindRecursionFormulas, 2,
      [r](int n, const BYTE* h, int size) { return r->ParseFormulaHeader(n, h, size); },
      [r](int n, const BYTE* data, DWORD size) { return r->SetFormulaBytes(n, data, size); },
      [this] { Report(CLanguageLibrary::LoadStringA(10318), kKindGraphFunctions); });
  if (result != SESSION_OK) return result;
  recursion_ = std::move(recursion);
  return SESSION_NEXT_HEADER;
}

int CQXLinkSessionNP::ReceiveRecursionRange(const BYTE* header, DWORD length, ItemPtr* item) {
  if (!recursion_) return SESSION_PROTOCOL;
  std::unique_ptr<CQXRecursionItem> recursion = std::move(recursion_);
  CQXRecursionItem* r = recursion.get();
  const int result = ReceiveEntryRun(
      header, length, kKindRecursionRange, r->GetRangeCount(),
      [r](const BYTE* h, int n) { return r->ParseRangeHeader(h, n); }, &CQXRecursionItem::GetRangeDataSize,
      [r](const BYTE* h, const BYTE* rec, UINT n) { return r->SetRangeFromHeader(h, rec, n); },
      [this, r] { Report(DisplayNameOf(*r), kKindRecursionRange); });
  if (result != SESSION_OK) return result;
  *item = std::move(recursion);
  return SESSION_OK;
}
