// Symbol visibility of the old-data provider library: only its exported C
// functions are visible outside it.
#pragma once

#if defined(_WIN32)
#  if defined(QXL16DATA_BUILDING)
#    define QXL16_API extern "C" __declspec(dllexport)
#  else
#    define QXL16_API extern "C" __declspec(dllimport)
#  endif
#else
#  define QXL16_API extern "C" __attribute__((visibility("default")))
#endif
