// The older family's picture (4014) and screen copy (4017): both keep their
// pixels in an image record and hand them to the picture conversion through
// a ScreenFormat.
//
// A picture travels as one "IMG" "PC" header (name "Picture" and a digit
// '1'..'6' at 11-18) and outer x inner data blocks; block (a, b), both
// counted from 0, is plane b of group a of the image. A block's payload is
// big-endian 16-bit a, big-endian 16-bit b and the plane's W x H / 8 bytes;
// on the wire ':' and a checksum frame it (GetDataBlockSize counts them).
//
// A screen copy travels as one 40-byte "DD" (one plane) or "DC" (three
// planes) header and one block per plane, planes counted from 1. A colour
// block leads with its plane byte, which the receiver strips before handing
// the plane's W x H / 8 bytes to SetImageData.
#pragma once

#include "datamodel/QXCalcItem.h"
#include "datamodel/QXHeaderFields.h"
#include "datamodel/QXImageRecord.h"

class CQXPictureItem : public CQXCalcItem {
 public:
  static constexpr int kTypeId = 4014;

  int GetTypeId() const override { return kTypeId; }
  // String 10333, a blank and the picture's digit.
  void GetDisplayName(char* buffer, UINT size) override;
  // The digit '1'..'6' is the last character of the path.
  BOOL TakeNameFromPath(const char* path) override;
  // A new picture takes the model's screen format and its zeroed planes (at
  // most CQXImageRecord::kMaxWrittenBits bytes).
  BOOL TakeNewScreen(const ScreenFormat& format, const BYTE* planes, DWORD size) override;

  // Stored: record header (tag 4014), the name field (dword 8, 8 bytes),
  // the image record (1006), end mark 0xFEEF0FAE.
  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override;

  // The 50-byte header: 0xFF, the name, then the image's "IMG" "PC" bytes.
  BOOL BuildHeader(BYTE* header, int size);
  // Takes a header named "Picture1".."Picture6" whose image the record
  // accepts and whose blocks fit CQXImageRecord::kMaxWrittenBits; FALSE and
  // nothing changed otherwise.
  BOOL ParseHeader(const BYTE* header, int size);

  // Header bytes 34-35 and 32-33: the groups and the planes of each group.
  int GetOuterBlockCount() const { return int(m_image.GetPlanesC()); }
  int GetInnerBlockCount() const { return int(m_image.GetPlanesD()); }
  // W x H / 8 + 6: the two 16-bit block numbers, the plane, ':' and the
  // checksum.
  DWORD GetDataBlockSize() const { return DWORD(m_image.GetPlaneSize()) + 6; }
  // Block (a, b) into `block` (at least GetDataBlockSize() - 2 bytes).
  BOOL GetImageBlock(int a, int b, BYTE* block, int size) const;
  // A received block: refused unless a and b are below the counts and the
  // payload is exactly GetDataBlockSize() - 2 bytes.
  BOOL SetImageBlock(const BYTE* block, int size);

  // The picture's description with flags bit 0 (a picture); its data
  // points into the item's planes (dataSize bytes) until the item changes.
  BOOL GetImageFormat(ScreenFormat& format);
  // "Picture" and the digit; FALSE when the name holds no digit '1'..'6'.
  BOOL GetDocName(char* buffer, UINT size) const;

  // "Picture" and a digit '1'..'6'.
  BOOL SetPictureNumber(char digit);
  char GetPictureNumber() const;
  CQXStoredNameField& GetNameField() { return m_name; }
  CQXImageRecord& GetImage() { return m_image; }

 private:
  CQXStoredNameField m_name;
  CQXImageRecord m_image;
};

class CQXScreenItem : public CQXCalcItem {
 public:
  static constexpr int kTypeId = 4017;

  int GetTypeId() const override { return kTypeId; }
  // The stored text: the name the document gave the screen copy.
  void GetDisplayName(char* buffer, UINT size) override;

  // Stored: record header (tag 4017), the text (1101), the image record
  // (1006), end mark 0xFEEF0FB1.
  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override;

  // A 40-byte "DD" or "DC" header whose image the record accepts.
  BOOL ParseHeader(const BYTE* header, int size);
  // W x H / 8 + 2 (':' and checksum), + 1 for the plane byte of a colour
  // copy's blocks.
  DWORD GetDataBlockSize() const;
  // Plane `plane` (1..planes) of the image: exactly W x H / 8 bytes.
  BOOL SetImageData(int plane, const BYTE* data, int length);

  // The description with flags exactly 2 (a screen copy: coloured as one,
  // never converted back); FALSE for an image without a size.
  BOOL GetImageFormat(ScreenFormat& format);

  CQXText& GetText() { return m_text; }
  void SetText(const char* text) { m_text.SetText(text); }
  CQXImageRecord& GetImage() { return m_image; }

 private:
  CQXText m_text;
  CQXImageRecord m_image;
};
