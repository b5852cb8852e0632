// The texts of tokens, by token word, and which bytes are lead bytes of
// two-byte tokens. Pages and dialogs fill a map from the command table and
// hand it to their editors; the map must outlive every editor that uses it.
#pragma once

#include "platform/WinTypes.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

class CQXCommandTable;
class CQXTokenPlainTextIndex;

struct CQXTokenTextEntry {
  DWORD size = sizeof(CQXTokenTextEntry);
  DWORD tokenByte = 0;
  DWORD leadByte = 0;
  std::string text;
  DWORD textLength = 0;  // characters without the NUL

  const char* GetText() const { return text.c_str(); }
};

class CQXTokenTextMap {
 public:
  CQXTokenTextMap();
  virtual ~CQXTokenTextMap();
  CQXTokenTextMap(const CQXTokenTextMap&) = delete;
  CQXTokenTextMap& operator=(const CQXTokenTextMap&) = delete;

  // Files `text` under the word token * 256 + lead, replacing an entry filed
  // there. 0, the map unchanged, when lead or token is above 255 (the word
  // would name another token) or memory runs out.
  BOOL SetTokenText(UINT lead, UINT token, const char* text);
  // The entry of a token word, or null.
  const CQXTokenTextEntry* Lookup(WORD word) const;
  // True when `b` is 1 to 255 and at least one entry has it as lead byte.
  bool IsLeadByte(UINT b) const { return b >= 1 && b <= 255 && m_leadCounts[b] > 0; }
  // Frees every entry; no byte is a lead byte afterwards.
  void RemoveAll();
  int GetCount() const { return int(m_entries.size()); }
  // Calls `f` with every token word and its entry, in no set order.
  void ForEachEntry(const std::function<void(WORD, const CQXTokenTextEntry&)>& f) const;
  // The texts that pasted text is matched against (TokenPlainText.h), made
  // when first asked for after a change.
  const CQXTokenPlainTextIndex& PlainTextIndex() const;

 private:
  std::unordered_map<WORD, std::unique_ptr<CQXTokenTextEntry>> m_entries;
  std::array<LONG, 256> m_leadCounts{};
  mutable std::unique_ptr<CQXTokenPlainTextIndex> m_plainTextIndex;
};

// Gives every enumerated command of `table` its characters as the text of
// its token (lead byte = table byte, token byte = number byte). Entries of
// `map` that the table does not name stay. The one way to fill a map.
void FillTokenTextMap(const CQXCommandTable& table, CQXTokenTextMap* map);
