// The summary-information property set that documents, backup files and
// token list files keep in their root storage ("\005SummaryInformation"),
// so that other programs can show title, author, comments and times; and the
// user-defined "QXL Read-Only" mark of a document.
//
// The set stream: a 28-byte header {byte order 0xFFFE, format 0, OS version,
// class id, section count}, a table of {format id, offset} pairs, then the
// sections. Ours has one section, FMTID_SummaryInformation, which is also the
// set's class id.
#pragma once

#include "services/QXProperty.h"

#include <memory>
#include <string>
#include <vector>

// {F29F85E0-4FF9-1068-AB91-08002B27B3D9}
inline constexpr GUID FMTID_SummaryInformation{
    0xF29F85E0, 0x4FF9, 0x1068, {0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9}};
// {D5CDD505-2E9C-101B-9397-08002B2CF9AE}
inline constexpr GUID FMTID_UserDefinedProperties{
    0xD5CDD505, 0x2E9C, 0x101B, {0x93, 0x97, 0x08, 0x00, 0x2B, 0x2C, 0xF9, 0xAE}};

inline constexpr char kSummaryInformationStream[] = "\005SummaryInformation";
inline constexpr char kDocSummaryInformationStream[] = "\005DocumentSummaryInformation";

// Summary property ids.
enum : DWORD {
  PIDSI_CODEPAGE = 1,
  PIDSI_TITLE = 2,
  PIDSI_SUBJECT = 3,
  PIDSI_AUTHOR = 4,
  PIDSI_KEYWORDS = 5,
  PIDSI_COMMENTS = 6,
  PIDSI_TEMPLATE = 7,
  PIDSI_LASTAUTHOR = 8,
  PIDSI_REVNUMBER = 9,
  PIDSI_EDITTIME = 10,
  PIDSI_LASTPRINTED = 11,
  PIDSI_CREATE_DTM = 12,
  PIDSI_LASTSAVE_DTM = 13,
  PIDSI_PAGECOUNT = 14,
  PIDSI_WORDCOUNT = 15,
  PIDSI_CHARCOUNT = 16,
  PIDSI_APPNAME = 18,
  PIDSI_EXTRA_VALUE = 0x80000002,
};

class CQXSummaryInfo {
 public:
  // One summary section holding, in this order: code page 1252; title,
  // subject, author, keywords, comments, template and last author empty;
  // revision "0"; edit time, last printed, last save and creation time 0;
  // page, word and character counts 0; application name empty; 0x80000002 0.
  CQXSummaryInfo();

  // Texts are 8-bit (Windows-1252) strings.
  BOOL SetTitle(const char* text) { return SetText(PIDSI_TITLE, text); }
  BOOL SetSubject(const char* text) { return SetText(PIDSI_SUBJECT, text); }
  BOOL SetAuthor(const char* text) { return SetText(PIDSI_AUTHOR, text); }
  BOOL SetKeywords(const char* text) { return SetText(PIDSI_KEYWORDS, text); }
  BOOL SetComments(const char* text) { return SetText(PIDSI_COMMENTS, text); }
  BOOL SetTemplate(const char* text) { return SetText(PIDSI_TEMPLATE, text); }
  BOOL SetLastAuthor(const char* text) { return SetText(PIDSI_LASTAUTHOR, text); }
  BOOL SetAppName(const char* text) { return SetText(PIDSI_APPNAME, text); }
  // Empty (and FALSE) when the property is missing or not an 8-bit string.
  BOOL GetTitle(std::string* out) const { return GetText(PIDSI_TITLE, out); }
  BOOL GetSubject(std::string* out) const { return GetText(PIDSI_SUBJECT, out); }
  BOOL GetAuthor(std::string* out) const { return GetText(PIDSI_AUTHOR, out); }
  BOOL GetKeywords(std::string* out) const { return GetText(PIDSI_KEYWORDS, out); }
  BOOL GetComments(std::string* out) const { return GetText(PIDSI_COMMENTS, out); }

  BOOL SetPageCount(LONG count) { return SetLong(PIDSI_PAGECOUNT, count); }
  BOOL SetWordCount(LONG count) { return SetLong(PIDSI_WORDCOUNT, count); }
  BOOL SetCharCount(LONG count) { return SetLong(PIDSI_CHARCOUNT, count); }
  // The 32-bit value of property 0x80000002.
  BOOL SetExtraValue(LONG value) { return SetLong(PIDSI_EXTRA_VALUE, value); }

  // The revision number is a decimal text: + 1, or back to "0".
  BOOL IncrementRevision();
  BOOL ResetRevision();

  // File times: 100-nanosecond intervals since 1601 (UTC).
  void StartEditTimer();
  // Adds the time since the timer started to the total edit time.
  BOOL AddEditTime();
  BOOL SetCreateTime();
  BOOL SetLastSaveTime();

  // Replaces the storage's summary-information stream by this set. FALSE for
  // a null storage or any failure.
  BOOL WriteToStorage(IStorage* storage);
  // Reads the set from the storage's summary-information stream. FALSE for a
  // null storage, a missing, damaged or truncated stream, or a set without a
  // summary section; the object is then left as it was.
  BOOL ReadFromStorage(IStorage* storage);

  // The set at the stream's position / from the start of the stream.
  BOOL WriteToStream(IStream* stream);
  BOOL ReadFromStream(IStream* stream);

  CQXPropertySection* GetSummarySection() const { return m_summary; }
  const std::vector<std::unique_ptr<CQXPropertySection>>& GetSections() const { return m_sections; }
  const CLSID& GetClassId() const { return m_classId; }
  DWORD GetOsVersion() const { return m_osVersion; }

 private:
  BOOL SetText(DWORD id, const char* text);
  BOOL GetText(DWORD id, std::string* out) const;
  BOOL SetLong(DWORD id, LONG value);
  BOOL SetFileTime(DWORD id, std::uint64_t value);
  std::uint64_t GetFileTime(DWORD id) const;

  WORD m_byteOrder = 0xFFFE;
  WORD m_format = 0;
  DWORD m_osVersion;
  CLSID m_classId;
  std::vector<std::unique_ptr<CQXPropertySection>> m_sections;
  CQXPropertySection* m_summary = nullptr;  // one of m_sections
  std::uint64_t m_editTimerStart = 0;
};

// Whether the storage's user-defined property "QXL Read-Only" (in
// "\005DocumentSummaryInformation", names compared without regard to case)
// is a VT_BOOL: then TRUE, and `showMessage` = (the value is FALSE). Without
// a readable user-defined set, the line "No DocSummaryInformation Defined
// Properties." goes to standard output and the result is FALSE; any other
// failure, a missing name or another type also gives FALSE. `showMessage` is
// only written when the result is TRUE.
BOOL IsMarkedReadOnly(IStorage* storage, BOOL* showMessage);
