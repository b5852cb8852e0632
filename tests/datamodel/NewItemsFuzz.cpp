// Feeds arbitrary bytes to every item class of the newer family: with the
// high bit of the first byte set, the rest is read as a stored item stream;
// otherwise byte 0 picks the class, bytes 1-40 are a header image (names and
// groups for the naming operations), byte 41 a field or index number, and
// the rest a numeric block or data block. Pictures go through the
// conversion to a bitmap and back. What an item builds must read back
// the same, and what it stores must reload byte for byte.
#include "datamodel/QXDataLoggerItem.h"
#include "datamodel/QXDiffEqItem.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXGraphFuncSets.h"
#include "datamodel/QXImageV5Items.h"
#include "datamodel/QXItemFactory.h"
#include "datamodel/QXMemberFileItems.h"
#include "datamodel/QXNumericV5Items.h"
#include "tests/datamodel/ItemFuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tallix::test;

const int kTypes[] = {5002, 5004, 5005, 5006, 5007, 5008, 5009, 5010, 5014, 5015,
                      5016, 5018, 5019, 5020, 5023, 5024, 5025, 5026, 5027, 5028, 5990};

std::string text(const BYTE* p, size_t n) {
  std::string s;
  for (size_t i = 0; i < n && p[i] && p[i] != 0xFF; ++i) s += char(p[i]);
  return s;
}

void numeric(CQXNumericArray* array, const std::vector<BYTE>& block) {
  if (!ReadNumericBlock(*array, block.data(), DWORD(block.size()))) return;
  const std::vector<BYTE> built = BuildNumericBlock(*array);
  fuzzCheck(built.size() == array->GetDataSize());
  if (built.empty()) return;
  fuzzCheck(ReadNumericBlock(*array, built.data(), DWORD(built.size())));
  fuzzCheck(BuildNumericBlock(*array) == built);
}

void exercise(CQXCalcItem* item, const BYTE* header, int index, const std::vector<BYTE>& data) {
  const std::string name = text(header + 11, 8), group = text(header + 19, 19);
  char buffer[64];
  std::string v, g;
  if (auto* list = dynamic_cast<CQXListV5Item*>(item)) {
    if (list->SetNameFromHeader(name.c_str(), group.c_str())) {
      fuzzCheck(list->GetHeaderNames(&v, &g));
      const std::string before = list->GetName();
      fuzzCheck(list->SetNameFromHeader(v.c_str(), g.c_str()) && list->GetName() == before);
      list->GetDocPath(buffer, sizeof buffer);
    }
  } else if (auto* window = dynamic_cast<CQXVWindowV5Item*>(item)) {
    if (window->SetNameFromHeader(name.c_str(), group.c_str())) {
      fuzzCheck(window->GetHeaderNames(&v, &g));
      fuzzCheck(window->SetNameFromHeader(v.c_str(), g.c_str()));
      fuzzCheck(window->GetDocPath(buffer, sizeof buffer));
    }
  } else if (auto* matrix = dynamic_cast<CQXMatrixV5Item*>(item)) {
    matrix->SetName(name.c_str());
    matrix->GetDocName(buffer, sizeof buffer);
  } else if (auto* coef = dynamic_cast<CQXEquationCoefItem*>(item)) {
    coef->SetNameFromHeader(name.c_str());
    coef->GetHeaderName(buffer, sizeof buffer);
  } else if (auto* result = dynamic_cast<CQXEquationResultItem*>(item)) {
    result->SetKindFromHeaderName(name.c_str());
    result->GetHeaderName(buffer, sizeof buffer);
  } else if (auto* image = dynamic_cast<CQXNamedBytesItem*>(item)) {
    if (image->SetNameFromHeader(name.c_str())) fuzzCheck(image->GetHeaderName(buffer, sizeof buffer));
    image->SetBytes(data.data(), DWORD(data.size()));
    ScreenFormat format;
    auto* picture = dynamic_cast<CQXPictureV5Item*>(item);
    if (picture && picture->GetImageFormat(format)) {
      fuzzConvert(format, index & 1);
      if (picture->SetImage(format)) fuzzCheck(picture->GetLength() == 2 * picture->GetPlaneSize());
    }
  } else if (auto* recursion = dynamic_cast<CQXRecursionV5Item*>(item)) {
    if (recursion->ParseSetupHeader(header, 40)) {
      BYTE built[13];
      fuzzCheck(recursion->BuildSetupHeader(built, 13) && recursion->ParseSetupHeader(built, 13));
    }
    if (CQXGraphFuncEntry* formula = recursion->GetFormula(index % 6)) formula->SetFromRecord(data.data(), DWORD(data.size()));
    numeric(&recursion->GetRange(), data);
  } else if (auto* functions = dynamic_cast<CQXGraphFuncV5Item*>(item)) {
    if (CQXGraphFuncEntry* entry = functions->GetEntry(index % 31)) entry->SetFromRecord(data.data(), DWORD(data.size()));
  } else if (auto* memory = dynamic_cast<CQXMemoryItem*>(item)) {
    memory->GetBlock().SetHeader(header);
    memory->GetBlock().SetData(data.data(), DWORD(data.size()));
  } else if (auto* members = dynamic_cast<CQXMemberFileItem*>(item)) {
    CQXRawBlock* block = members->GetBlockList().AddBlock(header, 40, data.data(), DWORD(data.size()));
    fuzzCheck(block != nullptr);
    if (!block->Name().empty()) fuzzCheck(members->FindBlock(block->Name().c_str()) != nullptr);
    if (auto* logger = dynamic_cast<CQXDataLoggerItem*>(item)) {
      const int field = index < 128 ? index : 2000 + (index - 128);
      DWORD value = 0;
      BYTE bytes[160];
      CQXDataLoggerItem::GetIntField(block, field, &value);
      CQXDataLoggerItem::SetIntField(block, field, value + 1);
      CQXDataLoggerItem::GetBytesField(block, field, bytes, sizeof bytes);
      CQXDataLoggerItem::SetBytesField(block, field, data.data(), UINT(data.size()));
      logger->AddSetupRecord(index & 1, index >> 1);
    } else if (auto* diff = dynamic_cast<CQXDiffEqItem*>(item)) {
      diff->GetEquationKind();
      diff->GetParamCount(index % 8);
      diff->SetParamCount(index % 8, index / 8);
      diff->SetEquationKind(index % 8);
      diff->EnsureResult();
      MapDiffEqField(index % 9 - 1, index);
    } else if (auto* addIn = dynamic_cast<CQXAddInItem*>(item)) {
      addIn->GetName(buffer, sizeof buffer);
    }
  }
  if (auto* array = dynamic_cast<CQXNumericArray*>(item)) numeric(array, data);
  item->GetDisplayName(buffer, sizeof buffer);
  CQXDetailTextRecord record{1, buffer, sizeof buffer};
  item->GetDetailText(&record);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  if (data[0] & 0x80) {
    fuzzStoredEntry(data + 1, size - 1);
    return 0;
  }
  if (size < 42) return 0;
  std::unique_ptr<CQXCalcItem> item(CreateItemByTypeId(kTypes[data[0] % std::size(kTypes)]));
  fuzzCheck(item != nullptr);
  if (data[0] & 0x40) item->InitNew();
  exercise(item.get(), data + 1, data[41], std::vector<BYTE>(data + 42, data + size));
  fuzzRoundTrip(item.get());
  return 0;
}
