// A stand-in for the download library, built as libFetchwell.so for tests:
// addresses ending in ".zip" are files to download, other http addresses and
// mailto addresses are opened as they are. A download writes "from <url>"
// into the file, or fails for addresses that contain "fail".
// With FAKE_LACKS_DOWNLOAD the download function is missing.
#include <cstdio>
#include <cstring>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

FAKE_EXPORT int InetGetServiceType(const char* url, int* type) {
  const size_t n = std::strlen(url);
  if (n > 4 && std::strcmp(url + n - 4, ".zip") == 0) *type = 1;
  else if (std::strncmp(url, "http", 4) == 0 || std::strncmp(url, "mailto:", 7) == 0) *type = 2;
  else return 0;
  return 1;
}

#ifndef FAKE_LACKS_DOWNLOAD
FAKE_EXPORT int InetDownloadHTTPFile(const char* url, const char* path, int, int, void*) {
  if (std::strstr(url, "fail")) return 5;
  FILE* f = std::fopen(path, "wb");
  if (!f) return 4;
  std::fprintf(f, "from %s", url);
  std::fclose(f);
  return 0;
}
#endif
