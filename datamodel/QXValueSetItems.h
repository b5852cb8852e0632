// Items of the older family that hold a fixed set of named numbers, each
// sent with its own "VAL" header: V-Window (4006), zoom factor (4007), table
// range (4008) and the variables (4010 with 28 names, 4011 with 26).
#pragma once

#include "datamodel/QXCalcItem.h"
#include "datamodel/QXVariableSet.h"

#include <string>
#include <vector>

// Stored: record header (tag = type id); dword N; the N entry names (each
// dword 8 and 8 bytes); the variable set (tag 1303); end mark
// 0xFEEF0000 | type id. Loading requires N to be the item's own count.
class CQXValueSetItem : public CQXCalcItem {
 public:
  CQXValueSetItem(const CQXValueSetItem&) = delete;
  CQXValueSetItem& operator=(const CQXValueSetItem&) = delete;

  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override;

  // The number of entries.
  virtual int GetCount() const { return m_set.GetCount(); }

  // Link exchange, one header per entry:
  // the header of entry i (0-based); FALSE for an unknown entry.
  BOOL BuildHeader(int entry, BYTE* header, int size) { return m_set.BuildHeader(entry, header, size); }
  // Accepts a header for the entry that bytes 11-18 name (an unset group
  // takes the header's); FALSE for an unknown name or a malformed header.
  BOOL ParseHeader(const BYTE* header, int size);
  // The size of the value record that follows a header (0: none).
  static UINT GetDataSize(const BYTE* header, int size) { return CQXVariableSet::GetDataSize(header, size); }
  // The value record of entry i (indexes 1, 1); 0 when it has no value.
  UINT GetValueRecord(int entry, BYTE* out, UINT size) const { return m_set.GetValueRecord(entry, out, size); }
  BOOL SetValueRecord(int entry, const BYTE* record, UINT size) { return m_set.SetValueRecord(entry, record, size); }
  // Takes the value record that followed `header` into the entry it names.
  BOOL SetFromHeader(const BYTE* header, const BYTE* record, UINT size) {
    return m_set.SetFromHeader(header, record, size);
  }

  int FindEntry(const char* name) const { return m_set.FindEntry(name); }
  std::string GetEntryName(int entry) const;
  std::string GetGroup() const { return m_set.GetGroupField().GetText(); }
  CQXVariableSet& GetValueSet() { return m_set; }
  const CQXVariableSet& GetValueSet() const { return m_set; }

 protected:
  // `group` may be null: the group stays unset until a header gives it.
  CQXValueSetItem(const char* code, const char* group, const std::vector<std::string>& names);
  void SetGroup(const char* group) { m_set.GetGroupField().SetName(group); }
  // Names the entries and empties their values.
  BOOL SetNames(const std::vector<std::string>& names);

 private:
  std::vector<CQXStoredNameField> m_names;
  CQXVariableSet m_set;
};

class CQXVWindowItem : public CQXValueSetItem {
 public:
  static constexpr int kTypeId = 4006;
  CQXVWindowItem();
  int GetTypeId() const override { return kTypeId; }
  // String 10312, and for a V-Window memory a space and its digit.
  void GetDisplayName(char* buffer, UINT size) override;
  // The group comes from the last name of the path.
  BOOL TakeNameFromPath(const char* path) override;
  // "Y=Data" for group "Y=Data", else "VWin"; FALSE while the group is unset.
  BOOL GetDocFolder(char* buffer, UINT size) const;
  // "VWin" for group "Y=Data", "VWin" and the digit 1-6 of a memory.
  BOOL GetDocName(char* buffer, UINT size) const;
  // A name ending in '1'-'6' gives that V-Window memory, any other "Y=Data".
  void SetGroupFromName(const char* name);
};

class CQXZoomFactorItem : public CQXValueSetItem {
 public:
  static constexpr int kTypeId = 4007;
  CQXZoomFactorItem();
  int GetTypeId() const override { return kTypeId; }
  void GetDisplayName(char* buffer, UINT size) override { DisplayString(10314, {}, buffer, size); }
  // "Y=Data" when the group is "Y=Data", else FALSE.
  BOOL GetDocFolder(char* buffer, UINT size) const;
};

class CQXTableRangeItem : public CQXValueSetItem {
 public:
  static constexpr int kTypeId = 4008;
  CQXTableRangeItem();
  int GetTypeId() const override { return kTypeId; }
  void GetDisplayName(char* buffer, UINT size) override { DisplayString(10316, {}, buffer, size); }
  BOOL GetDocFolder(char* buffer, UINT size) const;
};

// The calculator's variables "A".."Z" (and r, theta in the 28 form), code
// "VM", group "Variable".
class CQXVariableItem : public CQXValueSetItem {
 public:
  void GetDisplayName(char* buffer, UINT size) override { DisplayString(10323, {}, buffer, size); }
  // Names the entries "A".."Z", then 0xCD and 0xCE in the 28 form.
  virtual BOOL InitNames();

 protected:
  explicit CQXVariableItem(int count);
  static std::vector<std::string> Names(int count);
};

class CQXVariable28Item : public CQXVariableItem {
 public:
  static constexpr int kTypeId = 4010;
  CQXVariable28Item() : CQXVariableItem(28) {}
  int GetTypeId() const override { return kTypeId; }
};

class CQXVariable26Item : public CQXVariableItem {
 public:
  static constexpr int kTypeId = 4011;
  CQXVariable26Item() : CQXVariableItem(26) {}
  int GetTypeId() const override { return kTypeId; }
};
