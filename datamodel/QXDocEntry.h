// The document entry: one calculator item with its document path, its
// description and the header kind code it arrived with. Its stored record is
// the whole content of an item stream:
//   header (tag 3), total = item size + description size + 16, item size,
//   description size, item type id, the item's record, the description's
//   record, end mark 0xFEEF0003.
// Path, flags and kind code are not stored: the path comes from the store.
#pragma once

#include "datamodel/QXCalcItem.h"

#include <string>

class CQXDocEntry : public CQXStorable {
 public:
  static constexpr DWORD kTag = 3;
  static constexpr DWORD kFlagNew = 2;

  CQXDocEntry() = default;
  explicit CQXDocEntry(BOOL ownsObjects) : m_ownsObjects(ownsObjects) {}
  ~CQXDocEntry() override;
  CQXDocEntry(const CQXDocEntry&) = delete;
  CQXDocEntry& operator=(const CQXDocEntry&) = delete;

  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override;

  // At most 255 characters are kept; returns the kept length + 1.
  int SetPath(const char* path);
  // The path's length, or 0 (nothing copied) when it does not fit with its zero.
  UINT GetPath(char* buffer, UINT size) const;
  const std::string& Path() const { return m_path; }
  UINT GetFolder(char* buffer, UINT size) const;
  UINT GetName(char* buffer, UINT size) const;

  CQXCalcItem* GetItem() const { return m_item; }
  // Takes the item (deleting an owned previous one).
  void SetItem(CQXCalcItem* item);
  // Gives the item up without deleting it.
  CQXCalcItem* DetachItem();
  CQXDescription* GetDescription() const { return m_description; }
  void SetDescription(CQXDescription* description);

  DWORD GetFlags() const { return m_flags; }
  void SetFlags(DWORD flags) { m_flags = flags; }
  DWORD GetKind() const { return m_kind; }
  void SetKind(DWORD kind) { m_kind = kind; }
  BOOL OwnsObjects() const { return m_ownsObjects; }

 private:
  BOOL m_ownsObjects = TRUE;
  std::string m_path;
  CQXCalcItem* m_item = nullptr;
  CQXDescription* m_description = nullptr;
  DWORD m_flags = 0;
  DWORD m_kind = 0;
};
