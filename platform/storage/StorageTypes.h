// Types, flags and result codes of structured storage, with the numeric
// values the program's files and callers know them by.
#pragma once

#include "platform/WinTypes.h"

#include <cstdint>
#include <cstring>
#include <string>

// ---- results ---------------------------------------------------------------

constexpr HRESULT hresultOf(std::uint32_t code) { return static_cast<HRESULT>(code); }

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT STG_S_CONVERTED = hresultOf(0x00030200);

constexpr HRESULT STG_E_INVALIDFUNCTION = hresultOf(0x80030001);
constexpr HRESULT STG_E_FILENOTFOUND = hresultOf(0x80030002);
constexpr HRESULT STG_E_PATHNOTFOUND = hresultOf(0x80030003);
constexpr HRESULT STG_E_TOOMANYOPENFILES = hresultOf(0x80030004);
constexpr HRESULT STG_E_ACCESSDENIED = hresultOf(0x80030005);
constexpr HRESULT STG_E_INVALIDHANDLE = hresultOf(0x80030006);
constexpr HRESULT STG_E_INSUFFICIENTMEMORY = hresultOf(0x80030008);
constexpr HRESULT STG_E_INVALIDPOINTER = hresultOf(0x80030009);
constexpr HRESULT STG_E_NOMOREFILES = hresultOf(0x80030012);
constexpr HRESULT STG_E_DISKISWRITEPROTECTED = hresultOf(0x80030013);
constexpr HRESULT STG_E_SEEKERROR = hresultOf(0x80030019);
constexpr HRESULT STG_E_WRITEFAULT = hresultOf(0x8003001D);
constexpr HRESULT STG_E_READFAULT = hresultOf(0x8003001E);
constexpr HRESULT STG_E_SHAREVIOLATION = hresultOf(0x80030020);
constexpr HRESULT STG_E_LOCKVIOLATION = hresultOf(0x80030021);
constexpr HRESULT STG_E_FILEALREADYEXISTS = hresultOf(0x80030050);
constexpr HRESULT STG_E_INVALIDPARAMETER = hresultOf(0x80030057);
constexpr HRESULT STG_E_MEDIUMFULL = hresultOf(0x80030070);
constexpr HRESULT STG_E_INVALIDHEADER = hresultOf(0x800300FB);
constexpr HRESULT STG_E_INVALIDNAME = hresultOf(0x800300FC);
constexpr HRESULT STG_E_UNKNOWN = hresultOf(0x800300FD);
constexpr HRESULT STG_E_UNIMPLEMENTEDFUNCTION = hresultOf(0x800300FE);
constexpr HRESULT STG_E_INVALIDFLAG = hresultOf(0x800300FF);
constexpr HRESULT STG_E_INUSE = hresultOf(0x80030100);
constexpr HRESULT STG_E_NOTCURRENT = hresultOf(0x80030101);
constexpr HRESULT STG_E_REVERTED = hresultOf(0x80030102);
constexpr HRESULT STG_E_CANTSAVE = hresultOf(0x80030103);
constexpr HRESULT STG_E_DOCFILECORRUPT = hresultOf(0x80030109);
constexpr HRESULT STG_E_DOCFILETOOLARGE = hresultOf(0x80030111);

// ---- open modes (STGM) -----------------------------------------------------

constexpr DWORD STGM_DIRECT = 0x00000000;
constexpr DWORD STGM_TRANSACTED = 0x00010000;
constexpr DWORD STGM_SIMPLE = 0x08000000;
constexpr DWORD STGM_READ = 0x00000000;
constexpr DWORD STGM_WRITE = 0x00000001;
constexpr DWORD STGM_READWRITE = 0x00000002;
constexpr DWORD STGM_SHARE_DENY_NONE = 0x00000040;
constexpr DWORD STGM_SHARE_DENY_READ = 0x00000030;
constexpr DWORD STGM_SHARE_DENY_WRITE = 0x00000020;
constexpr DWORD STGM_SHARE_EXCLUSIVE = 0x00000010;
constexpr DWORD STGM_PRIORITY = 0x00040000;
constexpr DWORD STGM_DELETEONRELEASE = 0x04000000;
constexpr DWORD STGM_NOSCRATCH = 0x00100000;
constexpr DWORD STGM_CREATE = 0x00001000;
constexpr DWORD STGM_CONVERT = 0x00020000;
constexpr DWORD STGM_FAILIFTHERE = 0x00000000;
constexpr DWORD STGM_NOSNAPSHOT = 0x00200000;
constexpr DWORD STGM_DIRECT_SWMR = 0x00400000;

// Commit flags (STGC).
constexpr DWORD STGC_DEFAULT = 0;
constexpr DWORD STGC_OVERWRITE = 1;
constexpr DWORD STGC_ONLYIFCURRENT = 2;
constexpr DWORD STGC_DANGEROUSLYCOMMITMERELYTODISKCACHE = 4;
constexpr DWORD STGC_CONSOLIDATE = 8;

// Element types (STGTY).
constexpr DWORD STGTY_STORAGE = 1;
constexpr DWORD STGTY_STREAM = 2;
constexpr DWORD STGTY_LOCKBYTES = 3;
constexpr DWORD STGTY_PROPERTY = 4;

// Seek origins.
constexpr DWORD STREAM_SEEK_SET = 0;
constexpr DWORD STREAM_SEEK_CUR = 1;
constexpr DWORD STREAM_SEEK_END = 2;

// Stat flags.
constexpr DWORD STATFLAG_DEFAULT = 0;
constexpr DWORD STATFLAG_NONAME = 1;

// ---- records ---------------------------------------------------------------

struct GUID {
  DWORD Data1 = 0;
  WORD Data2 = 0;
  WORD Data3 = 0;
  BYTE Data4[8] = {};
  friend bool operator==(const GUID& a, const GUID& b) {
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
           std::memcmp(a.Data4, b.Data4, sizeof a.Data4) == 0;
  }
};
using CLSID = GUID;
using IID = GUID;
using REFCLSID = const CLSID&;
inline constexpr CLSID CLSID_NULL{};

// 100-nanosecond intervals since 1 January 1601 (UTC).
struct FILETIME {
  DWORD dwLowDateTime = 0;
  DWORD dwHighDateTime = 0;
  friend bool operator==(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
  }
};

// What Stat and EnumElements report about an element. The name is the
// element's name in Windows-1252 (characters outside it read as '?'); for a
// root storage it is the file's path.
struct STATSTG {
  std::string pwcsName;
  DWORD type = 0;
  std::uint64_t cbSize = 0;
  FILETIME mtime;
  FILETIME ctime;
  FILETIME atime;
  DWORD grfMode = 0;
  DWORD grfLocksSupported = 0;
  CLSID clsid;
  DWORD grfStateBits = 0;
  DWORD reserved = 0;
};
