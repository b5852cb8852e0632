// What the benchmarks share: the sizes a run is given on its command line,
// the verdict printed beside a target, and the memory figures (the
// process's resident set and its high-water mark, from /proc/self/status).
#pragma once

#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace tallix::test {

// The value of a "Vm...:" line of /proc/self/status, in bytes.
inline double statusBytes(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const size_t n = std::strlen(field);
  while (std::getline(in, line))
    if (line.compare(0, n, field) == 0) return std::atof(line.c_str() + n) * 1024.0;
  return 0;
}

// Starts a memory measurement: free heap goes back to the system and the
// high-water mark is set to the current level, which is returned.
inline double startPeak() {
  malloc_trim(0);
  std::ofstream("/proc/self/clear_refs") << "5";
  return statusBytes("VmRSS:");
}

inline double peakSince(double start) { return statusBytes("VmHWM:") - start; }

inline const char* verdict(bool met) { return met ? "met" : "MISSED"; }

// The positive numbers among the arguments, or `defaults` when there are none.
inline std::vector<int> sizesFrom(int argc, char** argv, std::vector<int> defaults) {
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i)
    if (const int n = std::atoi(argv[i]); n > 0) sizes.push_back(n);
  return sizes.empty() ? defaults : sizes;
}

}  // namespace tallix::test
