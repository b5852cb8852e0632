// Storages over a byte buffer in memory instead of a file: for the fuzz
// target and for tests that look at the bytes written.
#pragma once

#include "platform/storage/Storage.h"

#include <cstdint>
#include <vector>

namespace tallix::cfb {

// Opens `bytes` as a compound file. `contents` (optional) receives a pointer to
// the buffer as the storage writes it; it lives as long as the storage does.
HRESULT openMemoryStorage(std::vector<std::uint8_t> bytes, DWORD grfMode, IStorage** out,
                          std::vector<std::uint8_t>** contents = nullptr);
// A new, empty compound file in memory (version 3).
HRESULT createMemoryStorage(DWORD grfMode, IStorage** out, std::vector<std::uint8_t>** contents = nullptr);

}  // namespace tallix::cfb
