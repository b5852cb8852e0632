// Numeric tables of the older family: matrices (4004), lists (4005) and the
// simultaneous and polynomial equations (4019, 4020). Each travels as one
// "VAL" header with its rows at 7-8 and columns at 9-10 (big-endian), 'R'
// and 0x0A at 27-28, followed by one value record per element.
#pragma once

#include "datamodel/QXCalcItem.h"
#include "datamodel/QXHeaderFields.h"
#include "datamodel/QXValueGrid.h"

#include <string>

// The "VAL" header fields that a numeric table keeps besides its values.
// Stored: dword 1304; the name field (dword 8, 8 bytes); the group field
// (dword 8, 8 bytes); dword 0xFEEF0518. A matrix keeps its name here; a list
// keeps its name in a field of its own and leaves this name unset.
class CQXValueHeaderRecord : public CQXStoredPart {
 public:
  static constexpr DWORD kTag = 1304;
  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override { return 4 + 12 + 12 + 4; }

  CQXStoredNameField name;
  CQXGroupField group;
};

// Writes a table header: "VAL", the code, the counts, 'R' and 0x0A.
void BuildTableHeader(BYTE* header, const char* code, int rows, int columns);
// Checks "VAL", the code, 'R' and 0x0A; gives the counts.
BOOL CheckTableHeader(const BYTE* header, int length, const char* code, int* rows, int* columns);

class CQXMatrixItem : public CQXCalcItem {
 public:
  static constexpr int kTypeId = 4004;

  int GetTypeId() const override { return kTypeId; }
  // String 10304, a blank and the matrix letter.
  void GetDisplayName(char* buffer, UINT size) override;
  // "<rows> * <columns> (Lignes, Colonnes)".
  BOOL GetDetailText(CQXDetailTextRecord* record) override;
  // The letter comes from the last character of the path.
  BOOL TakeNameFromPath(const char* path) override;

  // Stored: record header (tag 4004), the header record (1304), the value
  // grid (1302), end mark 0xFEEF0FA4.
  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override;

  // "VAL" "MT" with the name "Mat <letter>".
  BOOL BuildHeader(BYTE* header, int size);
  // Needs "VAL" "MT", 'R' and 0x0A, rows and columns below 256 and both 0 or
  // both not; takes the name and sizes the grid rows x columns.
  BOOL ParseHeader(const BYTE* header, int size);

  // "Mat <letter>" for a letter 'A'..'Z'.
  BOOL SetLetter(char letter);
  char GetLetter() const;
  // "Mat" and the letter; FALSE without a letter 'A'..'Z'.
  BOOL GetDocName(char* buffer, UINT size) const;

  // The numbers, rows x columns; value records go in and out through it.
  CQXValueGrid& GetValues() { return m_values; }
  CQXValueGrid& GetMatrix() { return m_values; }
  const CQXValueGrid& GetValues() const { return m_values; }

 private:
  CQXValueHeaderRecord m_header;
  CQXValueGrid m_values;
};

class CQXListItem : public CQXCalcItem {
 public:
  static constexpr int kTypeId = 4005;

  int GetTypeId() const override { return kTypeId; }
  // String 10306 (10342 for a list of a list file), a blank and the number.
  void GetDisplayName(char* buffer, UINT size) override;
  // "<rows> (Lignes)".
  BOOL GetDetailText(CQXDetailTextRecord* record) override;
  // The list number from the last character of the path; a parent folder
  // "File1".."File6" puts the list in that list file.
  BOOL TakeNameFromPath(const char* path) override;

  // Stored: record header (tag 4005), the list name field (dword 8, 8
  // bytes), the header record (1304, holding the group), the value grid
  // (rows x 1), end mark 0xFEEF0FA5.
  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override;

  // "VAL" "LT", the name "List <n>", the group of a list file.
  BOOL BuildHeader(BYTE* header, int size);
  // Needs "VAL" "LT", a known group, 'R' and 0x0A, rows below 256 and
  // columns below 2; takes the name and group and sizes the list rows x 1
  // (a list of 0 rows stays empty).
  BOOL ParseHeader(const BYTE* header, int size);

  // "List <c>".
  BOOL SetListNumber(char number);
  char GetListNumber() const;
  // The digit of a "File n" group, 0 for a list outside a list file.
  char GetFileNumber() const;
  // "List" and the number '1'..'6'; FALSE otherwise.
  BOOL GetDocName(char* buffer, UINT size) const;
  // "File\File<n>" for a list of a list file, else "List".
  BOOL GetDocFolder(char* buffer, UINT size) const;
  // String 10342, a blank and the file number for a list file; else empty.
  std::string GetTransferTitle() const;

  CQXValueGrid& GetValues() { return m_values; }
  const CQXValueGrid& GetValues() const { return m_values; }
  CQXGroupField& GetGroupField() { return m_header.group; }

 private:
  CQXStoredNameFieldB m_name;
  CQXValueHeaderRecord m_header;
  CQXValueGrid m_values;
};

// The coefficient matrix of a simultaneous (kind 1, "SE", "Mat Siml") or a
// polynomial (kind 2, "PE", "Mat Poly") equation.
//
// Stored: record header (tag = type id); dword 1306 (kind 1) or 1307 (kind
// 2); the 50-byte header image, which must parse and agree with the kind;
// the value grid; end mark.
class CQXEquationItem : public CQXCalcItem {
 public:
  void GetDisplayName(char* buffer, UINT size) override;
  BOOL InitNew() override { return SetEquationKind(m_defaultKind); }

  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override { return 16 + m_values.GetStoredSize() + 58; }

  // Kind 1 or 2 sets the code and name and empties the matrix.
  BOOL SetEquationKind(int kind);
  int GetEquationKind() const { return m_kind; }

  BOOL BuildHeader(BYTE* header, int size);
  // Needs "VAL", the name "Mat Siml" with "SE" or "Mat Poly" with "PE", and
  // counts up to 255 (both 0 or both not); takes the kind and sizes the
  // matrix (left empty for 0 columns).
  BOOL ParseHeader(const BYTE* header, int size);
  // One received element: row and column (big-endian 16-bit), the number.
  BOOL SetElement(const BYTE* record, UINT size) { return m_values.SetCellFromRecord(record, size); }

  CQXValueGrid& GetValues() { return m_values; }
  CQXValueGrid& GetMatrix() { return m_values; }
  const CQXValueGrid& GetValues() const { return m_values; }

 protected:
  explicit CQXEquationItem(int kind);

 private:
  int m_defaultKind;
  int m_kind = 0;
  CQXNameField m_name;
  CQXValueGrid m_values;
};

class CQXSimlEquationItem : public CQXEquationItem {
 public:
  static constexpr int kTypeId = 4019;
  CQXSimlEquationItem() : CQXEquationItem(1) {}
  int GetTypeId() const override { return kTypeId; }
};

class CQXPolyEquationItem : public CQXEquationItem {
 public:
  static constexpr int kTypeId = 4020;
  CQXPolyEquationItem() : CQXEquationItem(2) {}
  int GetTypeId() const override { return kTypeId; }
};
