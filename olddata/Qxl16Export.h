// Symbol visibility of the old-data provider library: the library is built
// with hidden symbols, and only the functions marked QXL16_API are visible
// outside it.
#pragma once

#if defined(_WIN32)
#  if defined(QXL16DATA_BUILDING)
#    define QXL16_API __declspec(dllexport)
#  else
#    define QXL16_API __declspec(dllimport)
#  endif
#else
#  define QXL16_API __attribute__((visibility("default")))
#endif
