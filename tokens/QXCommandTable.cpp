#include "tokens/QXCommandTable.h"

#include "platform/StringCompare.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

void copyCut(char* out, size_t capacity, const char* text) {
  const size_t n = text ? std::min(std::strlen(text), capacity - 1) : 0;
  if (n) std::memcpy(out, text, n);
  out[n] = '\0';
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

}  // namespace

bool EqualTextIgnoringAsciiCase(const char* a, const char* b, int n) {
  for (int i = 0; i < n; ++i) {
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    if (a[i] == '\0') return true;
  }
  return true;
}

void QXCOMMANDINFO::Clear() {
  const DWORD keep = size;
  std::memset(static_cast<void*>(this), 0, sizeof(*this));
  size = keep;
}

void QXCOMMANDINFO::Set(int tableByte, int numberByte, const char* chars, const char* list, const char* desc) {
  Clear();
  table = tableByte;
  number = numberByte;
  copyCut(characters, sizeof characters, chars);
  copyCut(listText, sizeof listText, list);
  copyCut(description, sizeof description - 1, desc);
}

CQXCommandTable::CQXCommandTable(const CQXCommandTable& other) { CopyFrom(other); }

CQXCommandTable& CQXCommandTable::operator=(const CQXCommandTable& other) {
  if (this != &other) CopyFrom(other);
  return *this;
}

CQXCommandTable::~CQXCommandTable() = default;

void CQXCommandTable::RemoveAll() {
  m_blocks.clear();
  m_blocks.shrink_to_fit();
  m_textIndex.clear();
}

CQXCommandTable::Block* CQXCommandTable::FindBlock(int table) {
  if (table < 0 || table > 255) return nullptr;
  for (auto& block : m_blocks)
    if (block->table == table) return block.get();
  return nullptr;
}

BOOL CQXCommandTable::FindBlock(int table, const Block** out) const {
  const Block* found = const_cast<CQXCommandTable*>(this)->FindBlock(table);
  if (out) *out = found;
  return found != nullptr;
}

CQXCommandTable::Block* CQXCommandTable::AddBlock(int table) {
  auto block = std::make_unique<Block>();
  block->table = table;
  m_blocks.push_back(std::move(block));
  return m_blocks.back().get();
}

std::unique_ptr<CQXCommandTable::Entry> CQXCommandTable::CreateEntry(const char* characters, const char* listText,
                                                                     const char* description) {
  const size_t length = characters ? std::strlen(characters) : 0;
  if (length > size_t(kCommandCharsMax)) return nullptr;
  auto entry = std::make_unique<Entry>();
  entry->characters.assign(characters ? characters : "", length);
  if (listText) entry->listText.assign(listText, std::min(std::strlen(listText), size_t(kCommandListTextMax)));
  if (description)
    entry->description.assign(description, std::min(std::strlen(description), size_t(kCommandDescriptionMax)));
  return entry;
}

BOOL CQXCommandTable::SetCommand(int table, int number, const char* characters, const char* listText,
                                 const char* description) {
  // Byte 255 ends a calculator program, so it is neither a lead byte nor a
  // command's number byte.
  if (table < 0 || table > 254 || number < 0 || number > 254) return FALSE;
  try {
    std::unique_ptr<Entry> entry = CreateEntry(characters, listText, description);
    if (!entry) return FALSE;
    Block* block = FindBlock(table);
    if (!block) block = AddBlock(table);
    std::unique_ptr<Entry>& slot = block->entries[size_t(number)];
    if (!slot) ++block->used;
    slot = std::move(entry);
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
  return TRUE;
}

BOOL CQXCommandTable::SetCommandInfo(const QXCOMMANDINFO* info) {
  if (!info) return FALSE;
  return SetCommand(info->table, info->number, info->characters, info->listText, info->description);
}

BOOL CQXCommandTable::RemoveCommand(int table, int number) {
  if (number < 0 || number > 255) return FALSE;
  Block* block = FindBlock(table);
  if (!block || !block->entries[size_t(number)]) return FALSE;
  block->entries[size_t(number)].reset();
  --block->used;
  return TRUE;
}

BOOL CQXCommandTable::FindFrom(size_t block, int slot, DWORD* position) const {
  for (; block < m_blocks.size(); ++block, slot = 0) {
    const Block& b = *m_blocks[block];
    if (b.used == 0) continue;
    for (; slot < 255; ++slot) {
      if (b.entries[size_t(slot)]) {
        *position = DWORD(slot) << 16 | DWORD(block);
        return TRUE;
      }
    }
  }
  return FALSE;
}

BOOL CQXCommandTable::GetFirstCommand(DWORD* position) const { return position && FindFrom(0, 0, position); }

BOOL CQXCommandTable::GetNextCommand(DWORD* position) const {
  if (!position || *position >= 0x1000000) return FALSE;
  const size_t block = *position & 0xFFFF;
  const int slot = int(*position >> 16 & 0xFF);
  if (block > m_blocks.size()) return FALSE;
  if (slot >= 254) return FindFrom(block + 1, 0, position);
  return FindFrom(block, slot + 1, position);
}

const CQXCommandTable::Entry* CQXCommandTable::EntryAt(DWORD position) const {
  const size_t block = position & 0xFFFF;
  const size_t slot = position >> 16 & 0xFF;
  if (position >= 0x1000000 || block >= m_blocks.size()) return nullptr;
  return m_blocks[block]->entries[slot].get();
}

BOOL CQXCommandTable::GetCommand(DWORD position, int* table, int* number, char* characters, int* length,
                                 char* listText, int listTextSize, char* description, int descriptionSize) const {
  const Entry* entry = EntryAt(position);
  if (!entry) return FALSE;
  if (table) *table = m_blocks[position & 0xFFFF]->table;
  if (number) *number = int(position >> 16 & 0xFF);
  if (characters) copyCut(characters, kCommandCharsMax + 1, entry->characters.c_str());
  if (length) *length = int(entry->characters.size());
  if (listText && listTextSize > 0) copyCut(listText, size_t(listTextSize), entry->listText.c_str());
  if (description && descriptionSize > 0) copyCut(description, size_t(descriptionSize), entry->description.c_str());
  return TRUE;
}

BOOL CQXCommandTable::GetCommandInfo(DWORD position, QXCOMMANDINFO* info) const {
  if (!info) return FALSE;
  info->Clear();
  const Entry* entry = EntryAt(position);
  if (!entry) return FALSE;
  info->Set(m_blocks[position & 0xFFFF]->table, int(position >> 16 & 0xFF), entry->characters.c_str(),
            entry->listText.c_str(), entry->description.c_str());
  return TRUE;
}

const CQXCommandTable::Entry* CQXCommandTable::FindCommand(int table, int number) const {
  if (number < 0 || number > 255) return nullptr;
  const Block* block = nullptr;
  if (!FindBlock(table, &block)) return nullptr;
  return block->entries[size_t(number)].get();
}

BOOL CQXCommandTable::LookupCommand(int table, int number, QXCOMMANDINFO* info) const {
  const Entry* entry = FindCommand(table, number);
  if (!entry || !info) return FALSE;
  info->Set(table, number, entry->characters.c_str(), entry->listText.c_str(), entry->description.c_str());
  return TRUE;
}

int CQXCommandTable::GetCommandCount() const {
  int n = 0;
  for (const auto& block : m_blocks) n += block->used;
  return n;
}

BOOL CQXCommandTable::CopyFrom(const CQXCommandTable& other) {
  QXCOMMANDINFO info;
  DWORD position = 0;
  for (BOOL more = other.GetFirstCommand(&position); more; more = other.GetNextCommand(&position)) {
    other.GetCommandInfo(position, &info);
    if (!SetCommandInfo(&info)) return FALSE;
  }
  return TRUE;
}

int CQXCommandTable::TrimText(char* text, char** start) {
  char* s = text;
  while (*s && isBlank(*s)) ++s;
  if (start) *start = s;
  size_t n = std::strlen(s);
  while (n > 0 && isBlank(s[n - 1])) s[--n] = '\0';
  return int(n);
}

BOOL CQXCommandTable::BuildTextIndex() {
  m_textIndex.clear();
  // The comparison keys of the indexed commands' untrimmed characters, in
  // step with the index, so that each text is weighed once.
  std::vector<tallix::TextCompareKey> keys;
  char chars[kCommandCharsMax + 1];
  DWORD position = 0;
  for (BOOL more = GetFirstCommand(&position); more; more = GetNextCommand(&position)) {
    int table = 0, number = 0;
    GetCommand(position, &table, &number, chars, nullptr, nullptr, 0, nullptr, 0);
    tallix::TextCompareKey untrimmed = tallix::MakeTextCompareKey(chars);
    char* start = nullptr;
    const int length = TrimText(chars, &start);
    if (length == 0) continue;
    // The new command compares with its leading blanks, the others untrimmed.
    const tallix::TextCompareKey key = tallix::MakeTextCompareKey(chars);
    size_t at = 0;
    for (; at < m_textIndex.size(); ++at) {
      const int other = TextIndexLength(m_textIndex[at]);
      if (other < length) break;
      if (other == length && tallix::CompareTextKeys(key, keys[at]) < 0) break;
    }
    m_textIndex.insert(m_textIndex.begin() + std::ptrdiff_t(at), DWORD(length) << 16 | DWORD(number) << 8 | DWORD(table));
    keys.insert(keys.begin() + std::ptrdiff_t(at), std::move(untrimmed));
  }
  return !m_textIndex.empty() || GetCommandCount() > 0;
}

BOOL CQXCommandTable::MatchCommands(const char* text, std::vector<DWORD>* out, BOOL both) const {
  if (!text || !out) return FALSE;
  std::string typed(text);
  char* start = nullptr;
  const int length = TrimText(typed.data(), &start);
  if (length == 0) return FALSE;
  auto it = m_textIndex.begin();
  if (!both) {
    while (it != m_textIndex.end() && TextIndexLength(*it) > length) ++it;
    if (it == m_textIndex.end()) return FALSE;
  }
  int limit = length;
  for (; it != m_textIndex.end(); ++it) {
    limit = std::min(limit, TextIndexLength(*it));
    const Entry* entry = FindCommand(TextIndexTable(*it), TextIndexNumber(*it));
    if (!entry) continue;
    std::string chars = entry->characters;
    char* commandStart = nullptr;
    const int commandLength = TrimText(chars.data(), &commandStart);
    if (EqualTextIgnoringAsciiCase(start, commandStart, std::min(commandLength, limit))) out->push_back(*it);
  }
  return TRUE;
}
