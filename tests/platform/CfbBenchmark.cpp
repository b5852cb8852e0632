// Compound-file storage figures: 10,000 small streams and one 50 MB stream,
// written (and committed) and read back, next to the same work done by
// libgsf's "gsf" tool where it is installed. Figures: docs/ARCHITECTURE.md.
#include "platform/storage/Storage.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kSmallCount = 10000;
constexpr std::size_t kLargeSize = 50u * 1024 * 1024;
constexpr DWORD kSub = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

const fs::path& workDir() {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / ("cfb-bench-" + std::to_string(::getpid()));
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

std::vector<std::uint8_t> bytes(std::size_t size, unsigned salt) {
  std::vector<std::uint8_t> b(size);
  for (std::size_t i = 0; i < size; ++i) b[i] = std::uint8_t(salt * 31 + i * 7);
  return b;
}

std::string itemName(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "Item_%08d", 1024 + i);
  return name;
}

std::size_t smallSize(int i) { return 64 + std::size_t(i % 400); }

void writeSmall(const std::string& path) {
  IStorage* root = nullptr;
  StgCreateDocfile(path.c_str(), STGM_CREATE | kSub | STGM_TRANSACTED, 0, &root);
  IStorage* items = nullptr;
  root->CreateStorage("Data_Items", kSub, 0, 0, &items);
  for (int i = 0; i < kSmallCount; ++i) {
    IStream* s = nullptr;
    items->CreateStream(itemName(i).c_str(), STGM_CREATE | kSub, 0, 0, &s);
    const auto b = bytes(smallSize(i), unsigned(i));
    s->Write(b.data(), ULONG(b.size()), nullptr);
    s->Release();
  }
  items->Release();
  if (root->Commit(STGC_DEFAULT) != S_OK) std::abort();
  root->Release();
}

std::size_t readAll(const std::string& path) {
  IStorage* root = nullptr;
  if (StgOpenStorage(path.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &root) != S_OK) std::abort();
  std::size_t total = 0;
  std::vector<std::uint8_t> buf(1 << 20);
  auto readStorage = [&](auto& self, IStorage* stg) -> void {
    std::vector<STATSTG> elements;
    stg->EnumElements(&elements);
    for (const auto& e : elements) {
      if (e.type == STGTY_STORAGE) {
        IStorage* sub = nullptr;
        stg->OpenStorage(e.pwcsName.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &sub);
        self(self, sub);
        sub->Release();
        continue;
      }
      IStream* s = nullptr;
      stg->OpenStream(e.pwcsName.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &s);
      ULONG got = 0;
      while (s->Read(buf.data(), ULONG(buf.size()), &got) == S_OK && got > 0) total += got;
      s->Release();
    }
  };
  readStorage(readStorage, root);
  root->Release();
  return total;
}

void writeLarge(const std::string& path) {
  static const auto data = bytes(kLargeSize, 7);
  IStorage* root = nullptr;
  StgCreateDocfile(path.c_str(), STGM_CREATE | kSub | STGM_TRANSACTED, 0, &root);
  IStream* s = nullptr;
  root->CreateStream("Large", STGM_CREATE | kSub, 0, 0, &s);
  for (std::size_t at = 0; at < data.size(); at += 1 << 20) s->Write(data.data() + at, 1 << 20, nullptr);
  s->Release();
  if (root->Commit(STGC_DEFAULT) != S_OK) std::abort();
  root->Release();
}

void BM_WriteSmallStreams(benchmark::State& state) {
  const std::string path = (workDir() / "small.cfb").string();
  for (auto _ : state) writeSmall(path);
}
BENCHMARK(BM_WriteSmallStreams)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ReadSmallStreams(benchmark::State& state) {
  const std::string path = (workDir() / "small.cfb").string();
  writeSmall(path);
  std::size_t expected = 0;
  for (int i = 0; i < kSmallCount; ++i) expected += smallSize(i);
  for (auto _ : state)
    if (readAll(path) != expected) std::abort();
}
BENCHMARK(BM_ReadSmallStreams)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_WriteLargeStream(benchmark::State& state) {
  const std::string path = (workDir() / "large.cfb").string();
  for (auto _ : state) writeLarge(path);
  state.SetBytesProcessed(std::int64_t(state.iterations() * kLargeSize));
}
BENCHMARK(BM_WriteLargeStream)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ReadLargeStream(benchmark::State& state) {
  const std::string path = (workDir() / "large.cfb").string();
  writeLarge(path);
  for (auto _ : state)
    if (readAll(path) != kLargeSize) std::abort();
  state.SetBytesProcessed(std::int64_t(state.iterations() * kLargeSize));
}
BENCHMARK(BM_ReadLargeStream)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same work through gsf: files on disk packed with "gsf createole", read
// back with "gsf cat" (one process each, output thrown away).
bool haveGsf() { return std::system("gsf help >/dev/null 2>&1") == 0; }

fs::path gsfSmallInput() {
  const fs::path dir = workDir() / "gsf-small" / "Data_Items";
  if (!fs::exists(dir)) {
    fs::create_directories(dir);
    for (int i = 0; i < kSmallCount; ++i) {
      const auto b = bytes(smallSize(i), unsigned(i));
      std::ofstream(dir / itemName(i), std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
    }
  }
  return dir.parent_path();
}

void runOrFail(benchmark::State& state, const std::string& command) {
  if (std::system(command.c_str()) != 0) state.SkipWithError("the gsf command failed");
}

void BM_GsfWriteSmallStreams(benchmark::State& state) {
  if (!haveGsf()) return state.SkipWithError("gsf is not installed");
  const fs::path input = gsfSmallInput();
  const std::string cmd = "cd '" + input.string() + "' && gsf createole '" + (workDir() / "gsf-small.ole").string() +
                          "' Data_Items >/dev/null 2>&1";
  for (auto _ : state) runOrFail(state, cmd);
}
BENCHMARK(BM_GsfWriteSmallStreams)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_GsfReadSmallStreams(benchmark::State& state) {
  if (!haveGsf()) return state.SkipWithError("gsf is not installed");
  const fs::path file = workDir() / "gsf-small.ole";
  if (!fs::exists(file))
    runOrFail(state, "cd '" + gsfSmallInput().string() + "' && gsf createole '" + file.string() + "' Data_Items >/dev/null 2>&1");
  // The names go through xargs: one command line cannot hold them all.
  const fs::path names = workDir() / "names.txt";
  {
    std::ofstream out(names);
    for (int i = 0; i < kSmallCount; ++i) out << "Data_Items/" << itemName(i) << '\n';
  }
  const std::string cmd = "xargs gsf cat '" + file.string() + "' <'" + names.string() + "' >/dev/null";
  for (auto _ : state) runOrFail(state, cmd);
}
BENCHMARK(BM_GsfReadSmallStreams)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_GsfWriteLargeStream(benchmark::State& state) {
  if (!haveGsf()) return state.SkipWithError("gsf is not installed");
  const fs::path input = workDir() / "Large";
  if (!fs::exists(input)) {
    const auto data = bytes(kLargeSize, 7);
    std::ofstream(input, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
  }
  const std::string cmd = "cd '" + workDir().string() + "' && gsf createole gsf-large.ole Large >/dev/null 2>&1";
  for (auto _ : state) runOrFail(state, cmd);
  state.SetBytesProcessed(std::int64_t(state.iterations() * kLargeSize));
}
BENCHMARK(BM_GsfWriteLargeStream)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_GsfReadLargeStream(benchmark::State& state) {
  if (!haveGsf()) return state.SkipWithError("gsf is not installed");
  const std::string cmd = "cd '" + workDir().string() + "' && gsf cat gsf-large.ole Large >/dev/null";
  for (auto _ : state) runOrFail(state, cmd);
  state.SetBytesProcessed(std::int64_t(state.iterations() * kLargeSize));
}
BENCHMARK(BM_GsfReadLargeStream)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  fs::remove_all(workDir(), ignored);
  return 0;
}
