// Fuzz target of the property set readers: whatever the bytes, as a summary
// set or as a user-defined set, reading either fails or gives a set that
// writes, reads again and writes the same bytes a second time.
#include "services/QXSummaryInfo.h"
#include "platform/storage/MemoryStorage.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr DWORD kCreate = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

std::vector<std::uint8_t> streamBytes(IStorage* storage) {
  ComPtr<IStream> s;
  STATSTG st;
  if (FAILED(storage->OpenStream(kSummaryInformationStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, s.put())) ||
      FAILED(s->Stat(&st, STATFLAG_NONAME)))
    __builtin_trap();
  std::vector<std::uint8_t> b(st.cbSize);
  ULONG got = 0;
  s->Read(b.data(), ULONG(b.size()), &got);
  return b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The read-only probe reports a missing set on standard output.
  static const bool quiet = std::freopen("/dev/null", "w", stdout) != nullptr;
  (void)quiet;

  ComPtr<IStorage> storage;
  if (FAILED(tallix::cfb::createMemoryStorage(kCreate, storage.put()))) return 0;
  for (const char* name : {kSummaryInformationStream, kDocSummaryInformationStream}) {
    ComPtr<IStream> s;
    ULONG put = 0;
    if (FAILED(storage->CreateStream(name, kCreate, 0, 0, s.put())) || FAILED(s->Write(data, ULONG(size), &put)))
      return 0;
  }
  BOOL show = TRUE;
  IsMarkedReadOnly(storage.get(), &show);

  CQXSummaryInfo info;
  if (!info.ReadFromStorage(storage.get())) return 0;
  std::string text;
  info.GetTitle(&text);
  info.IncrementRevision();
  info.AddEditTime();
  ComPtr<IStorage> copy, again;
  if (FAILED(tallix::cfb::createMemoryStorage(kCreate, copy.put())) ||
      FAILED(tallix::cfb::createMemoryStorage(kCreate, again.put())))
    return 0;
  CQXSummaryInfo reread;
  if (!info.WriteToStorage(copy.get()) || !reread.ReadFromStorage(copy.get()) || !reread.WriteToStorage(again.get()))
    __builtin_trap();  // what we wrote must read and write again
  if (streamBytes(copy.get()) != streamBytes(again.get())) __builtin_trap();
  return 0;
}
