#include "tokens/QXTokenTextMap.h"

#include "tokens/QXCommandTable.h"
#include "tokens/TokenPlainText.h"

#include <cstring>
#include <new>

CQXTokenTextMap::CQXTokenTextMap() = default;
CQXTokenTextMap::~CQXTokenTextMap() = default;

BOOL CQXTokenTextMap::SetTokenText(UINT lead, UINT token, const char* text) {
  if (lead > 255 || token > 255) return FALSE;
  try {
    auto entry = std::make_unique<CQXTokenTextEntry>();
    entry->tokenByte = token;
    entry->leadByte = lead;
    entry->text = text ? text : "";
    entry->textLength = DWORD(entry->text.size());
    const WORD word = WORD(token << 8 | lead);
    std::unique_ptr<CQXTokenTextEntry>& slot = m_entries[word];
    if (lead != 0) ++m_leadCounts[lead];
    if (slot && slot->leadByte != 0) --m_leadCounts[slot->leadByte];
    slot = std::move(entry);
    m_plainTextIndex.reset();
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
  return TRUE;
}

const CQXTokenTextEntry* CQXTokenTextMap::Lookup(WORD word) const {
  const auto it = m_entries.find(word);
  return it == m_entries.end() ? nullptr : it->second.get();
}

void CQXTokenTextMap::RemoveAll() {
  m_entries.clear();
  m_leadCounts.fill(0);
  m_plainTextIndex.reset();
}

void CQXTokenTextMap::ForEachEntry(const std::function<void(WORD, const CQXTokenTextEntry&)>& f) const {
  for (const auto& [word, entry] : m_entries) f(word, *entry);
}

const CQXTokenPlainTextIndex& CQXTokenTextMap::PlainTextIndex() const {
  if (!m_plainTextIndex) m_plainTextIndex = std::make_unique<CQXTokenPlainTextIndex>(*this);
  return *m_plainTextIndex;
}

void FillTokenTextMap(const CQXCommandTable& table, CQXTokenTextMap* map) {
  DWORD pos = 0;
  char chars[kCommandCharsMax + 1];
  for (BOOL more = table.GetFirstCommand(&pos); more; more = table.GetNextCommand(&pos)) {
    int lead = 0, number = 0;
    if (table.GetCommand(pos, &lead, &number, chars, nullptr, nullptr, 0, nullptr, 0))
      map->SetTokenText(UINT(lead), UINT(number), chars);
  }
}
