// Record chains as the old-data library hands them to the importers, built
// by hand from link-header images; and the bytes the fuzz target reads them
// from.
#pragma once

#include "olddata/QXL16Data.h"
#include "tests/support/OldHeaderVectors.h"

#include <algorithm>
#include <cstring>
#include <deque>

namespace tallix::test {

class RecordChain {
 public:
  RecordChain() = default;
  RecordChain(const RecordChain&) = delete;
  RecordChain& operator=(const RecordChain&) = delete;

  // A record with the header image (40 or 50 bytes; byte 0 becomes ':', an
  // empty image gives a record without header) and the data.
  RecordChain& add(const Bytes& header, const Bytes& data = {}) {
    qxl16_Record record{};
    record.headerLength = uint32_t(std::min<size_t>(header.size(), sizeof record.header));
    if (record.headerLength) {
      std::memcpy(record.header, header.data(), record.headerLength);
      record.header[0] = ':';
    }
    m_data.push_back(data);
    record.dataLength = uint32_t(data.size());
    record.data = data.empty() ? nullptr : m_data.back().data();
    m_records.push_back(record);
    if (m_records.size() > 1) m_records[m_records.size() - 2].next = &m_records.back();
    return *this;
  }
  // Names the last record.
  RecordChain& named(const std::string& name) {
    std::strncpy(m_records.back().name, name.c_str(), sizeof m_records.back().name - 1);
    return *this;
  }
  qxl16_Record* first() { return m_records.empty() ? nullptr : &m_records.front(); }
  qxl16_Record* at(size_t i) { return &m_records.at(i); }
  size_t size() const { return m_records.size(); }
  // The position of `record` in the chain; size() for null.
  size_t indexOf(const qxl16_Record* record) const {
    for (size_t i = 0; i < m_records.size(); ++i)
      if (&m_records[i] == record) return i;
    return m_records.size();
  }

  // Fuzz input: per record a header-length byte (40 or 50, anything else no
  // header), the header bytes, a 16-bit little-endian data length and the
  // data.
  static void parse(const BYTE* bytes, size_t size, RecordChain* chain) {
    size_t at = 0;
    while (at < size) {
      const size_t headerLength = bytes[at] == 40 || bytes[at] == 50 ? bytes[at] : 0;
      ++at;
      Bytes header(bytes + at, bytes + std::min(size, at + headerLength));
      at += header.size();
      if (header.size() < headerLength) header.clear();
      size_t length = 0;
      if (at + 2 <= size) length = size_t(bytes[at]) | size_t(bytes[at + 1]) << 8;
      at = std::min(size, at + 2);
      const Bytes data(bytes + at, bytes + std::min(size, at + length));
      at += data.size();
      chain->add(header, data);
    }
  }

 private:
  std::deque<qxl16_Record> m_records;
  std::deque<Bytes> m_data;
};

}  // namespace tallix::test
