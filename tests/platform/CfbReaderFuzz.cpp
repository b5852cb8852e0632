// Fuzz target of the compound-file reader: whatever the bytes, opening them
// either fails with a result code or gives a tree whose every stream reads;
// a file that opened can also be changed and written, and read again.
#include "platform/storage/MemoryStorage.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

void readEverything(IStorage* storage) {
  std::vector<STATSTG> elements;
  if (FAILED(storage->EnumElements(&elements))) return;
  for (const STATSTG& e : elements) {
    if (e.type == STGTY_STREAM) {
      IStream* stream = nullptr;
      if (FAILED(storage->OpenStream(e.pwcsName.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream)))
        continue;
      std::uint8_t buf[8192];
      ULONG got = 0;
      while (SUCCEEDED(stream->Read(buf, sizeof buf, &got)) && got > 0) {
      }
      stream->Release();
    } else {
      IStorage* sub = nullptr;
      if (FAILED(storage->OpenStorage(e.pwcsName.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0,
                                      &sub)))
        continue;
      readEverything(sub);
      sub->Release();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  IStorage* root = nullptr;
  std::vector<std::uint8_t>* written = nullptr;
  const DWORD mode = STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_TRANSACTED;
  if (FAILED(tallix::cfb::openMemoryStorage(std::vector<std::uint8_t>(data, data + size), mode, &root, &written)))
    return 0;
  readEverything(root);
  IStream* stream = nullptr;
  if (SUCCEEDED(root->CreateStream("Added", STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream))) {
    ULONG put = 0;
    stream->Write(data, ULONG(size < 5000 ? size : 5000), &put);
    stream->Release();
  }
  if (SUCCEEDED(root->Commit(STGC_DEFAULT))) {
    IStorage* again = nullptr;
    if (SUCCEEDED(tallix::cfb::openMemoryStorage(*written, STGM_READ | STGM_SHARE_EXCLUSIVE, &again))) {
      readEverything(again);
      again->Release();
    } else {
      __builtin_trap();  // what we wrote must open again
    }
  }
  root->Release();
  return 0;
}
