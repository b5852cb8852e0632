// Graph functions (4002 with 10 functions, 4003 with 20) and the function
// memory (4012, six functions) of the older family. Each function travels
// as its own 50-byte header followed by one data packet with its text.
#pragma once

#include "datamodel/QXCalcItem.h"
#include "datamodel/QXTextRecords.h"

#include <string>
#include <vector>

// What the graph-function pages show of one function (40 bytes).
struct CQXGraphFunctionInfo {
  DWORD index = 0;      // 0-based
  DWORD form = 1;       // 1 one expression, 2 parametric (two expressions)
  DWORD further = 1;
  BYTE relation = '=';  // '=', '<', '>', 0x10 (<=), 0x12 (>=)
  BYTE typeLetter = 'Y';  // 'Y', 'X', 'f' (parametric), 'r' (polar)
  BYTE style[18] = {};
  BYTE reserved[8] = {};
};
static_assert(sizeof(CQXGraphFunctionInfo) == 40);

// A new info record for a function: form 1, type 'Y', relation '='.
CQXGraphFunctionInfo NewGraphFunctionInfo(int index);
// 'X' -> "X", 'Y' -> "Y", 'f' -> "Xt" (first part) or "Yt", 'r' -> "r".
void AppendGraphTypePrefix(std::string* text, char typeLetter, BOOL firstPart);
// 0x10 -> "<=", 0x12 -> ">=", '<', '=', '>' as themselves; else nothing.
void AppendRelationText(std::string* text, BYTE relation);

// Stored: dword type id (no record header); dword N; the N function records
// (1301); end mark 0xFEEF0000 | type id. Loading requires the item's own type
// id and count.
class CQXGraphFuncItem : public CQXCalcItem {
 public:
  void GetDisplayName(char* buffer, UINT size) override { DisplayString(10310, {}, buffer, size); }

  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override;

  int GetCount() const { return m_count; }
  // N functions "Y1".."YN" with the "GF" defaults.
  BOOL InitFunctions();

  // The header of function n: "FNC" "GF", its name, relation and style,
  // and the group "Y=Data". FALSE for n outside 0..N-1.
  BOOL BuildHeader(int n, BYTE* header, int size);
  BOOL ParseHeader(int n, const BYTE* header, int size);

  // The function's text as the data packet carries it.
  BOOL GetFunctionBytes(int n, BYTE* buffer, DWORD size) const;
  BOOL SetFunctionBytes(int n, const BYTE* data, DWORD length);
  DWORD GetFunctionLength(int n) const;
  const BYTE* GetFunctionData(int n) const;

  BOOL GetFunctionInfo(int n, CQXGraphFunctionInfo* info) const;
  // Takes the relation and style of the info's function; FALSE when the
  // function does not exist or either is refused.
  BOOL SetFunctionInfo(const CQXGraphFunctionInfo& info);
  // 2 when the function's bytes hold the token 0xF6, else 1.
  int GetFunctionForm(int n) const;
  // "Y3=", or "Xt3=" and "Yt3=" for a parametric function.
  BOOL GetFunctionLabels(int n, std::string* label, std::string* second) const;

  CQXGraphFuncRecord* GetFunction(int n);

 protected:
  explicit CQXGraphFuncItem(int count);

 private:
  const CQXGraphFuncRecord* function(int n) const;
  int m_count;
  std::vector<CQXGraphFuncRecord> m_functions;
};

class CQXGraphFunc10Item : public CQXGraphFuncItem {
 public:
  static constexpr int kTypeId = 4002;
  CQXGraphFunc10Item() : CQXGraphFuncItem(10) {}
  int GetTypeId() const override { return kTypeId; }
};

class CQXGraphFunc20Item : public CQXGraphFuncItem {
 public:
  static constexpr int kTypeId = 4003;
  CQXGraphFunc20Item() : CQXGraphFuncItem(20) {}
  int GetTypeId() const override { return kTypeId; }
};

// Stored: record header (tag 4012); dword 6; the six function memory
// records (1305) "f1".."f6"; end mark 0xFEEF0FAC.
class CQXFuncMemItem : public CQXCalcItem {
 public:
  static constexpr int kTypeId = 4012;
  static constexpr int kCount = 6;
  CQXFuncMemItem();

  int GetTypeId() const override { return kTypeId; }
  void GetDisplayName(char* buffer, UINT size) override { DisplayString(10324, {}, buffer, size); }
  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override;

  int GetCount() const { return kCount; }
  // "TXT" "FM" with the memory's name; a received header must carry it.
  BOOL BuildHeader(int n, BYTE* header, int size);
  BOOL ParseHeader(int n, const BYTE* header, int size);

  DWORD GetFunctionLength(int n) const;
  const BYTE* GetFunctionData(int n) const;
  // The size of the data packet: the text, or the end byte alone for an
  // empty memory.
  DWORD GetFunctionDataSize(int n) const;
  // Copies the data packet's bytes (GetFunctionDataSize of them).
  BOOL GetFunctionBytes(int n, BYTE* buffer, DWORD size) const;
  BOOL SetFunctionBytes(int n, const BYTE* data, DWORD length);

 private:
  const CQXFuncMemRecord* function(int n) const;
  std::vector<CQXFuncMemRecord> m_functions;
};
