// A second process for the share-mode tests: opens a compound file with the
// given mode, says "ready <result>" and keeps the file open until its
// standard input closes.
#include "platform/storage/Storage.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  IStorage* root = nullptr;
  const HRESULT hr = StgOpenStorage(argv[1], nullptr, DWORD(std::strtoul(argv[2], nullptr, 16)), nullptr, 0, &root);
  std::printf("ready %08X\n", unsigned(hr));
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  if (root) root->Release();
  return 0;
}
