// The numeric items of the newer family, each a CQXNumericArray with a name
// and its type id: matrix 5004, list 5005, V-Window 5006, zoom factor 5007,
// table range 5008, alpha memory 5010, equation result 5020, recursion
// range 5021 (inside a recursion only), equation coefficients 5025 / 5026.
//
// Fields before the array: matrix and V-Window dword 10 and a 10-byte name;
// the list adds a dword whose low byte is its list-file character; results
// and coefficients dword 64 and a 64-byte kind name; the others none.
#pragma once

#include "datamodel/QXNumericArray.h"

#include <memory>
#include <string>

// A numeric item with a zero-terminated name in a field of fixed length.
class CQXNamedNumericArray : public CQXNumericArray {
 public:
  const std::string& GetName() const { return m_name; }

 protected:
  CQXNamedNumericArray(Shape shape, DWORD rows, DWORD columns, DWORD nameField)
      : CQXNumericArray(shape, rows, columns), m_nameField(nameField) {}
  // Keeps at most the field's length - 1 characters.
  void SetStoredName(const std::string& name) { m_name = name.substr(0, m_nameField - 1); }
  BOOL NameFits(const std::string& name) const { return name.size() < m_nameField; }

  void LoadFields(COrvoArchive& ar) override;
  void StoreFields(COrvoArchive& ar) override;
  DWORD GetFieldsSize() override { return 4 + m_nameField; }

 private:
  DWORD m_nameField;
  std::string m_name;
};

// "MAT_<letter>", the variable name the calculator uses.
class CQXMatrixV5Item : public CQXNamedNumericArray {
 public:
  static constexpr int kTypeId = 5004;
  CQXMatrixV5Item() : CQXNamedNumericArray(kMatrix, 0, 0, 10) {}
  int GetTypeId() const override { return kTypeId; }
  // String 10304, a blank and the letter.
  void GetDisplayName(char* buffer, UINT size) override;
  BOOL GetDetailText(CQXDetailTextRecord* record) override;
  // The last character of the path, 'A'-'Z', gives "MAT_<letter>".
  BOOL TakeNameFromPath(const char* path) override;

  // Keeps the received variable name.
  BOOL SetName(const char* name);
  // Copies the name; its length + 1, or 0 when it does not fit.
  int GetHeaderName(char* buffer, UINT size) const;
  // "Mat_<letter>"; FALSE without a letter 'A'-'Z' at name byte 4.
  BOOL GetDocName(char* buffer, UINT size) const;
  char GetLetter() const;
};

// "List<n>" (1 or 2 digits) and the list-file character '1'-'9' (0 for a
// plain list).
class CQXListV5Item : public CQXNamedNumericArray {
 public:
  static constexpr int kTypeId = 5005;
  CQXListV5Item() : CQXNamedNumericArray(kList, 0, 0, 10) {}
  int GetTypeId() const override { return kTypeId; }
  // String 10306, a blank and the number.
  void GetDisplayName(char* buffer, UINT size) override;
  // "<rows> (Lignes)".
  BOOL GetDetailText(CQXDetailTextRecord* record) override;
  // The number from the path's leaf name; the folder "File<c>" gives the
  // list file, the folder "List" (or any other) a plain list.
  BOOL TakeNameFromPath(const char* path) override;

  // The number is the variable name's last digit, or its last two when the
  // one before the last is '1' or '2'; the list-file character is the last
  // character of the group (none for an empty group). FALSE, nothing
  // changed, for a name without that number or a group not ending in '1'-'9'.
  BOOL SetNameFromHeader(const char* variable, const char* group);
  // Variable "<c>LIST<n>" ('1' for a plain list) and group "FILE0<c>"
  // (empty for a plain list). FALSE for a name without a number.
  BOOL GetHeaderNames(std::string* variable, std::string* group) const;
  // "File\File<c>\<name>" or "List\<name>"; FALSE when it does not fit or
  // the name or list-file character is out of range.
  BOOL GetDocPath(char* buffer, UINT size) const;
  // The number text after "List"; FALSE when there is none.
  BOOL GetListNumber(char* buffer, UINT size) const;
  int GetFileNumber() const { return m_fileChar ? m_fileChar - '0' : 0; }
  char GetFileChar() const { return char(m_fileChar); }

 protected:
  void LoadFields(COrvoArchive& ar) override;
  void StoreFields(COrvoArchive& ar) override;
  DWORD GetFieldsSize() override { return CQXNamedNumericArray::GetFieldsSize() + 4; }

 private:
  std::string number() const;
  BYTE m_fileChar = 0;
};

// "VWin" (the V-Window), "VWinRight" (right-hand V-Window) or "VMem<n>" (a
// V-Window memory); 11 values.
class CQXVWindowV5Item : public CQXNamedNumericArray {
 public:
  static constexpr int kTypeId = 5006;
  CQXVWindowV5Item() : CQXNamedNumericArray(kValues, 11, 1, 10) {}
  int GetTypeId() const override { return kTypeId; }
  void GetDisplayName(char* buffer, UINT size) override;
  BOOL InitNew() override { return InitValues(); }
  // Folder "VWin": "VMem" + the leaf from its fifth character; folder
  // "Y=Data": the leaf "VWin" or "VWinRight".
  BOOL TakeNameFromPath(const char* path) override;

  // Group "Y=Data": "VWIN" or "VWINR"; any other group: "VMEM<n>". FALSE,
  // nothing changed, for any other name.
  BOOL SetNameFromHeader(const char* variable, const char* group);
  BOOL GetHeaderNames(std::string* variable, std::string* group) const;
  // "Y=Data\VWin", "Y=Data\VWinRight" or "VWin\VMem<n>".
  BOOL GetDocPath(char* buffer, UINT size) const;
  // Sets the name when it is one of the three forms.
  BOOL SetName(const char* name);

 private:
  std::string memoryNumber() const;  // the <n> of "VMem<n>", else empty
};

class CQXZoomFactorV5Item : public CQXNumericArray {
 public:
  static constexpr int kTypeId = 5007;
  CQXZoomFactorV5Item() : CQXNumericArray(kValues, 2, 1) {}
  int GetTypeId() const override { return kTypeId; }
  void GetDisplayName(char* buffer, UINT size) override { DisplayString(10314, {}, buffer, size); }
  BOOL InitNew() override { return InitValues(); }
};

class CQXTableRangeV5Item : public CQXNumericArray {
 public:
  static constexpr int kTypeId = 5008;
  CQXTableRangeV5Item() : CQXNumericArray(kValues, 3, 1) {}
  int GetTypeId() const override { return kTypeId; }
  void GetDisplayName(char* buffer, UINT size) override { DisplayString(10316, {}, buffer, size); }
  BOOL InitNew() override { return InitValues(); }
};

// The 28 alpha variables A-Z, r and theta.
class CQXAlphaMemItem : public CQXNumericArray {
 public:
  static constexpr int kTypeId = 5010;
  CQXAlphaMemItem() : CQXNumericArray(kValues, 28, 1) {}
  int GetTypeId() const override { return kTypeId; }
  void GetDisplayName(char* buffer, UINT size) override { DisplayString(10319, {}, buffer, size); }
  BOOL InitNew() override { return InitValues(); }
  // 'A'-'Z' for 0-25, byte 0xCD (r) for 26, 0xCE (theta) for 27; FALSE
  // from the row count on.
  BOOL GetVariableName(int n, char* buffer, UINT size) const;
  // The n of the variable named `name`; -1 for any other name.
  int FindVariable(const char* name) const;
};

// The 14 values of a recursion's table range; lives inside a 5009 only.
class CQXRecursionRangeItem : public CQXNumericArray {
 public:
  static constexpr int kTypeId = 5021;
  CQXRecursionRangeItem() : CQXNumericArray(kValues, 14, 1) {}
  int GetTypeId() const override { return kTypeId; }
  void GetDisplayName(char* buffer, UINT size) override { DisplayString(10318, {}, buffer, size); }
  BOOL InitNew() override { return InitValues(); }
};

// "SimlEquationResult" (kind 10) or "PolyEquationResult" (kind 20).
class CQXEquationResultItem : public CQXNamedNumericArray {
 public:
  static constexpr int kTypeId = 5020;
  CQXEquationResultItem() : CQXNamedNumericArray(kMatrix, 0, 0, 64) {}
  int GetTypeId() const override { return kTypeId; }
  void GetDisplayName(char* buffer, UINT size) override;
  BOOL GetDetailText(CQXDetailTextRecord* record) override;

  // "SIMLRSLT" and "POLYRSLT" give the kind names; any other is kept.
  void SetKindFromHeaderName(const char* variable);
  // The reverse; FALSE for any other name.
  BOOL GetHeaderName(char* buffer, UINT size) const;
  // The kind name as it stands.
  BOOL GetDocName(char* buffer, UINT size) const { return CopyTextOutName(buffer, size); }
  int GetResultKind() const;

 private:
  BOOL CopyTextOutName(char* buffer, UINT size) const;
};

// Coefficients of a simultaneous ("SimlEquation", 2 x 3) or polynomial
// ("PolyEquation", 1 x 3) equation.
class CQXEquationCoefItem : public CQXNamedNumericArray {
 public:
  void GetDisplayName(char* buffer, UINT size) override;
  // String 10660 with the row count.
  BOOL GetDetailText(CQXDetailTextRecord* record) override;
  // The kind's name and size.
  BOOL InitNew() override;

  // "SIMLCOEF" and "POLYCOEF" give the kind names; any other is kept.
  void SetNameFromHeader(const char* variable);
  // The reverse; FALSE for any other name.
  BOOL GetHeaderName(char* buffer, UINT size) const;
  // 1 simultaneous, 2 polynomial, 0 otherwise.
  int GetEquationKind() const;

 protected:
  CQXEquationCoefItem(DWORD rows, const char* name)
      : CQXNamedNumericArray(kMatrix, rows, 3, 64), m_defaultName(name) {}

 private:
  const char* m_defaultName;
};

class CQXSimlCoefItem : public CQXEquationCoefItem {
 public:
  static constexpr int kTypeId = 5025;
  CQXSimlCoefItem() : CQXEquationCoefItem(2, "SimlEquation") {}
  int GetTypeId() const override { return kTypeId; }
};

class CQXPolyCoefItem : public CQXEquationCoefItem {
 public:
  static constexpr int kTypeId = 5026;
  CQXPolyCoefItem() : CQXEquationCoefItem(1, "PolyEquation") {}
  int GetTypeId() const override { return kTypeId; }
};

// The coefficients of header kind `simultaneous` (else polynomial), made new
// and named from the header's variable; null without memory.
std::unique_ptr<CQXEquationCoefItem> NewEquationCoefItem(bool simultaneous, const char* variable);
