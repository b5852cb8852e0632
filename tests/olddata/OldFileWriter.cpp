#include "tests/olddata/OldFileWriter.h"

#include "platform/ByteOrder.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tallix::test {

using namespace qxl16;

Bytes Counting(std::size_t n, BYTE first) {
  Bytes bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = BYTE(first + i);
  return bytes;
}

Bytes GroupBlock(const std::vector<Bytes>& items) {
  Bytes group;
  for (const Bytes& item : items) {
    BYTE word[4];
    PutLittleEndian32(word, DWORD(item.size()));
    group.insert(group.end(), word, word + 4);
    group.insert(group.end(), item.begin(), item.end());
    group.resize((group.size() + 3) & ~std::size_t(3), 0);
  }
  Bytes block(12 + group.size());
  PutLittleEndian32(block.data(), DWORD(8 + group.size()));
  PutLittleEndian32(block.data() + 4, 1);
  PutLittleEndian32(block.data() + 8, DWORD(group.size()));
  std::copy(group.begin(), group.end(), block.begin() + 12);
  return block;
}

namespace {

Bytes ProgramBlock(std::size_t headerBytes, const std::string& name, const Bytes& data) {
  Bytes block(headerBytes, 0xFF);
  for (std::size_t i = 0; i < name.size() && i < 8; ++i) block[10 + i] = BYTE(name[i]);
  block.insert(block.end(), data.begin(), data.end());
  return block;
}

}  // namespace

Bytes OlderProgramBlock(const std::string& name, const Bytes& data) {
  Bytes block = ProgramBlock(48, name, data);
  block[0] = 'T', block[1] = 'X', block[2] = 'T', block[3] = 0;
  block[4] = 'P', block[5] = 'G';
  PutBigEndian32(block.data() + 6, DWORD(data.size() + 2));
  return block;
}

Bytes NewerProgramBlock(const std::string& name, const Bytes& data) {
  Bytes block = ProgramBlock(38, name, data);
  block[0] = 'M', block[1] = 'C', block[2] = 'S', block[3] = '1', block[4] = 0x00;
  PutBigEndian32(block.data() + 5, DWORD(data.size()));
  block[9] = 1;
  return block;
}

void OldDocument::SetModel(int model) {
  auto* info = Make<COrvoQXListItem>();
  info->m_nModel = model;
  calcInfo = {info};
}

template <class T>
T* OldDocument::Blocks(const std::string& name, const std::vector<Bytes>& blocks, bool inDataBlocks) {
  T* item = Make<T>();
  item->m_strName = name;
  for (const Bytes& block : blocks) {
    OrvoBlockRecord record;
    if (inDataBlocks) {
      record.data = std::make_unique<COrvoGDF2StaticData>();
      record.data->m_block = GroupBlock({block});
    } else {
      record.bytes = block;
    }
    item->m_records.push_back(std::move(record));
  }
  return item;
}
template COrvoQXListItemNP* OldDocument::Blocks(const std::string&, const std::vector<Bytes>&, bool);
template COrvoQXListItemMCS* OldDocument::Blocks(const std::string&, const std::vector<Bytes>&, bool);

Bytes OldDocument::Prefix() const {
  Bytes out;
  COldArchive ar(out);
  std::string text = signature;
  ar.String(text);
  ar.Write(Bytes(40, 0).data(), 40);
  ar.WriteWord(schema);
  ar.Write(Bytes(80, 0).data(), 80);
  return out;
}

Bytes OldDocument::Archive() {
  Bytes out = Prefix();
  COldArchive ar(out);
  for (auto* list : {&calcInfo, &programs, &second, &screenCopies, &transfers}) {
    ar.WriteCount(DWORD(list->size()));
    for (CObject* object : *list) ar.WriteObject(object);
  }
  return out;
}

void WriteOldFile(const std::string& path, char major, char minor, const Bytes& archive) {
  COrvoFile file;
  if (!file.Open(path.c_str(), CFile::modeCreate)) throw std::runtime_error("cannot create " + path);
  const char version[2] = {major, minor};
  file.Write(version, 2);
  file.SetMask(true);
  file.Write(archive.data(), archive.size());
}

void WriteDocument(const std::string& path, OldDocument& doc) { WriteOldFile(path, doc.major, doc.minor, doc.Archive()); }

Bytes BackupFile(const std::string& kind, const std::vector<Bytes>& blocks, bool newer) {
  Bytes out(2 + 136, 0);
  out[0] = 136;
  std::copy(kind.begin(), kind.end(), out.begin() + 2 + 4);
  COldArchive ar(out);
  COrvoGDF2StaticHeader header;
  header.m_block = Bytes(8 + 75, 0);
  PutLittleEndian32(header.m_block.data(), 0xFFFFFFFEu);
  PutLittleEndian32(header.m_block.data() + 4, 75);
  header.Serialize(ar);
  if (newer) ar.WriteDword(DWORD(blocks.size()));
  for (const Bytes& block : blocks) {
    COrvoGDF2StaticData data;
    data.m_block = GroupBlock({block});
    data.Serialize(ar);
  }
  return out;
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace tallix::test
