// The description and bits of a picture or a screen copy.
//
// Stored: dword 1006; dword 40; dwords family, size B, size A, planes C,
// planes D, corner, scan letter, order letter, direction letter; dword bits
// length; the bits; dword 0xFEEF03EE.
//
// The image is D planes of A x B pixels, repeated C times: one plane takes
// A x B / 8 bytes and group p (from 1) starts at (p - 1) x D x (A x B / 8).
// In the 48-byte description A is the height, B the width, D the planes,
// C the extra block count, the corner the origin and the direction letter
// the ink letter.
#pragma once

#include "datamodel/QXStorable.h"
#include "datamodel/ScreenFormat.h"

#include <cstdint>
#include <vector>

class CQXImageRecord : public CQXStoredPart {
 public:
  static constexpr DWORD kTag = 1006;
  enum Family : DWORD { kOlderFamily = 1, kNewerFamily = 2 };
  static constexpr DWORD kMaxSide = 256;
  // The most bytes of bits that WriteBits makes room for: far more than any
  // calculator sends (four planes of 256 x 256 pixels are 32 KiB), far less
  // than a damaged group count could ask for.
  static constexpr std::uint64_t kMaxWrittenBits = 1 << 20;

  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override { return 4 + 4 + 36 + 4 + DWORD(m_bits.size()) + 4; }

  // A 50-byte "IMG" "PC" header or a 40-byte "DD"/"DC" screen-copy header.
  // Refuses sides above 256, D outside 1-4 and unknown letters; bits that
  // no longer fit the new size are dropped.
  BOOL FromHeader(const BYTE* header, int length);
  // Writes the record's bytes of a 50- or 40-byte header (only D = 1 or 3,
  // and sides up to 255, fit a 40-byte header).
  BOOL ToHeader(BYTE* header, int length) const;

  // Fills the 48-byte description; its data points at the record's bits.
  BOOL GetDescription(ScreenFormat* out) const;
  // Takes a description and `bitsLength` bytes at its data pointer (0 for
  // none). Refused unless flags bit 0 (family 1) or bit 1 (family 2) is set,
  // D is 1-4, the letters are known, A and B are at most 256 and the bits
  // are empty or exactly A x B / 8 x C x D bytes.
  BOOL SetDescription(const ScreenFormat& format, DWORD bitsLength);

  // Copies plane group p (from 1): A x B / 8 bytes from (p - 1) x D x
  // (A x B / 8); returns the bytes copied, 0 when the group lies outside the
  // bits or the buffer is too small.
  DWORD CopyPlane(int p, BYTE* buffer, DWORD size) const;

  // A x B / 8 and A x B / 8 x C x D, computed in 64 bits.
  std::uint64_t GetPlaneSize() const { return std::uint64_t(m_sizeA) * m_sizeB / 8; }
  std::uint64_t GetImageSize() const { return GetPlaneSize() * m_planesC * m_planesD; }

  DWORD GetFamily() const { return m_family; }
  DWORD GetSizeA() const { return m_sizeA; }
  DWORD GetSizeB() const { return m_sizeB; }
  DWORD GetPlanesC() const { return m_planesC; }
  DWORD GetPlanesD() const { return m_planesD; }
  DWORD GetCorner() const { return m_corner; }
  DWORD GetScan() const { return m_scan; }
  DWORD GetOrder() const { return m_order; }
  DWORD GetDirection() const { return m_direction; }
  const std::vector<BYTE>& GetBits() const { return m_bits; }
  // Takes bits of exactly the image's size (or none).
  BOOL SetBits(const BYTE* bits, DWORD length);
  // Copies n bytes to `offset` of the bits, which start zeroed at the
  // image's size when there are none; FALSE when they do not fit or the
  // image is larger than kMaxWrittenBits.
  BOOL WriteBits(std::uint64_t offset, const BYTE* bytes, std::uint64_t n);

 private:
  struct Values {
    DWORD family, sizeA, sizeB, planesC, planesD, corner, scan, order, direction;
  };
  static BOOL IsValid(const Values& v, std::uint64_t bitsLength);
  static std::uint64_t ImageSize(const Values& v);
  void Take(const Values& v);

  DWORD m_family = kOlderFamily;
  DWORD m_sizeB = 0;
  DWORD m_sizeA = 0;
  DWORD m_planesC = 1;
  DWORD m_planesD = 1;
  DWORD m_corner = 1;
  DWORD m_scan = 'R';
  DWORD m_order = 'F';
  DWORD m_direction = 'W';
  std::vector<BYTE> m_bits;
};
