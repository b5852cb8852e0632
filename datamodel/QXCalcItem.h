// The calculator data item: one class per data type, identified by its item
// type id, storing itself as a composite record whose tag is that id.
#pragma once

#include "datamodel/QXStorable.h"
#include "datamodel/ScreenFormat.h"

#include <string>

class CQXDocEntry;
class CQXDocServices;

// What GetDetailText fills: bit 0 of `mask` asks for the detail text, which
// is written into `buffer` (`size` characters with the terminating zero).
struct CQXDetailTextRecord {
  DWORD mask = 0;
  char* buffer = nullptr;
  UINT size = 0;
};

class CQXCalcItem : public CQXStorable {
 public:
  virtual int GetTypeId() const = 0;
  // The item's display name (the item store node's description, 64 characters).
  virtual void GetDisplayName(char* buffer, UINT size) = 0;
  // Writes the detail text (sizes, options) and returns TRUE only when bit 0
  // of the mask is set and the item has one.
  virtual BOOL GetDetailText(CQXDetailTextRecord* record);

  // The set-up of a new, empty item made by the factory; FALSE deletes it.
  virtual BOOL InitNew() { return TRUE; }
  // Items named by a letter or number take it from the last name of `path`.
  virtual BOOL TakeNameFromPath(const char* path);
  // Pictures made by the factory receive the model's screen format and a
  // zeroed plane buffer; FALSE when the format is refused.
  virtual BOOL TakeNewScreen(const ScreenFormat& format, const BYTE* planes, DWORD size);

 protected:
  // The display string `id` of the language library, with " " and `suffix`
  // appended when the suffix is not empty.
  static void DisplayString(UINT id, const std::string& suffix, char* buffer, UINT size);
};

// Copies `text` into `buffer` cut to size-1 characters and a zero.
void CopyText(const std::string& text, char* buffer, UINT size);

// One function of a graph-function or recursion item (type 1500).
class CQXGraphFuncEntry : public CQXCalcItem {
 public:
  static constexpr int kTypeId = 1500;
  static constexpr DWORD kNewType = 264;
  static constexpr DWORD kNewStyle = 2;

  int GetTypeId() const override { return kTypeId; }
  void GetDisplayName(char* buffer, UINT size) override;
  // Stored form, without header and end mark: dword type code, dword option,
  // dword style, dword length n, n bytes.
  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override { return 16 + DWORD(m_expression.size()); }

  // Link record form: 16-bit type code (big-endian), byte option, byte style,
  // the expression bytes, one 0 byte.
  BOOL SetFromRecord(const BYTE* record, DWORD length);
  std::vector<BYTE> GetRecord() const;
  DWORD GetRecordSize() const { return DWORD(m_expression.size()) + 5; }

  DWORD GetType() const { return m_type ? m_type : kNewType; }
  void SetType(DWORD type) { m_type = type; }
  DWORD GetOption() const { return m_option; }
  void SetOption(DWORD option) { m_option = option & 0xFF; }
  DWORD GetStyle() const { return m_style ? m_style : kNewStyle; }
  void SetStyle(DWORD style) { m_style = style; }
  const std::vector<BYTE>& GetExpression() const { return m_expression; }
  void SetExpression(const BYTE* bytes, DWORD length);

 private:
  DWORD m_type = kNewType;
  DWORD m_option = 0;
  DWORD m_style = kNewStyle;
  std::vector<BYTE> m_expression;
};

// The labels of function n by type code ("Y3=", "Xt3=" with "Yt3=", ...).
void FormatGraphFuncLabel(int n, DWORD typeCode, std::string* label, std::string* secondLabel);
