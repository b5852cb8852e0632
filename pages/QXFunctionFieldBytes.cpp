#include "pages/QXFunctionFieldBytes.h"

#include "datamodel/QXCalcItem.h"
#include "tokens/CalcTokenBytes.h"

#include <cstring>

namespace {

constexpr int kStyleGroupSize = 6;
constexpr int kStyleColour = 2;
constexpr int kStyleDrawn = 4;

BYTE* styleAt(CQXGraphFunctionInfo* info, int group, int offset) {
  return info->style + kStyleGroupSize * group + offset;
}

bool validGroup(int group) { return group >= 0 && group < 3; }

}  // namespace

std::string WithoutEndByte(const BYTE* data, DWORD length) {
  if (!data || length == 0) return {};
  if (data[length - 1] == kFunctionEndByte) --length;
  return std::string(reinterpret_cast<const char*>(data), length);
}

BOOL SplitParametric(const std::string& bytes, const CQXTokenTextMap* map, std::string* first, std::string* second) {
  const int at =
      FindOneByteToken(reinterpret_cast<const BYTE*>(bytes.data()), int(bytes.size()), map, kParametricSeparator);
  if (at < 0) {
    if (first) *first = bytes;
    if (second) second->clear();
    return FALSE;
  }
  if (first) *first = bytes.substr(0, std::size_t(at));
  if (second) *second = bytes.substr(std::size_t(at) + 1);
  return TRUE;
}

std::string JoinParametric(const std::string& first, const std::string& second) {
  return first + char(kParametricSeparator) + second;
}

std::string OlderGraphFunctionLabel(const CQXGraphFunctionInfo& info) {
  std::string label;
  AppendGraphTypePrefix(&label, char(info.typeLetter), info.further != 2);
  label += std::to_string(info.index + 1);
  AppendRelationText(&label, info.relation);
  return label;
}

std::string NewerGraphFunctionLabel(const CQXGraphFuncV5Record& record) {
  std::string first, second;
  FormatGraphFuncLabel(record.number, record.type, &first, &second);
  return record.part == 2 && !second.empty() ? second : first;
}

BOOL StyleHasColour(const CQXGraphFunctionInfo& info, int group, const char* colour) {
  if (!validGroup(group) || !colour) return FALSE;
  return std::memcmp(info.style + kStyleGroupSize * group + kStyleColour, colour, 2) == 0;
}

void SetStyleColour(CQXGraphFunctionInfo* info, int group, const char* colour) {
  if (!info || !validGroup(group) || !colour) return;
  std::memcpy(styleAt(info, group, kStyleColour), colour, 2);
}

BOOL StyleIsDrawn(const CQXGraphFunctionInfo& info, int group) {
  return validGroup(group) && std::memcmp(info.style + kStyleGroupSize * group + kStyleDrawn, "SL", 2) == 0;
}

void ToggleStyleDrawn(CQXGraphFunctionInfo* info, int group) {
  if (!info || !validGroup(group)) return;
  std::memcpy(styleAt(info, group, kStyleDrawn), StyleIsDrawn(*info, group) ? "NS" : "SL", 2);
}
