/* The public interface of the old-data provider library QXL16Data, which reads
 * the documents (".qxi") and backup files (".qxb") of the program's older
 * 16-bit version.
 *
 * Every function returns one of the qxl16_Result codes, 0 for success.
 * Content crosses as qxl16_Record: one record or a chain linked by next,
 * allocated by the library and released only by qxl16_Free.
 *
 * A document:   qxl16_Open; qxl16_GetCalcName / qxl16_GetCalcType; for each
 *               list a loop of its Get function with its own position
 *               variable (null before the first call) until the result is
 *               not 0 (qxl16_EndOfList at the normal end), each record freed
 *               with qxl16_Free; qxl16_Close last.
 * A backup:     qxl16_ReadBackupFile, then qxl16_Free of the chain.
 */
#pragma once

#include "olddata/Qxl16Export.h"

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum qxl16_Result {
  qxl16_Ok = 0,
  qxl16_CannotOpen = 1,     /* the file cannot be opened */
  qxl16_ReadFailed = 2,     /* read failure, wrong signature, bad backup header length */
  qxl16_VersionTooNew = 3,  /* the document's major version is above 3 */
  qxl16_NotSupported = 4,   /* version below 2, schema not 6 or 7, or an unsupported model */
  qxl16_BadContent = 5,     /* empty or wrong entry, bad program block, malformed backup */
  qxl16_UnknownCalc = 6,    /* no or unknown calculator; unknown backup kind */
  qxl16_BufferTooSmall = 7, /* the caller's buffer is too small */
  qxl16_EndOfList = 8,      /* the position already stands at the last entry */
  qxl16_Empty = 9,          /* empty list, missing or short program block, transfer without blocks */
  qxl16_OutOfMemory = 10,
  qxl16_BadArgument = 11    /* null pointer, or a handle that is not an open document */
};

/* One piece of old data: a program, a screen copy, a transfer block or a
 * backup block. The numbers are in the machine's byte order. */
typedef struct qxl16_Record {
  char name[128];          /* program or screen-copy name, transfer title, "Backup V4" / "Backup V5" */
  char name2[64];          /* second title of a transfer item, else empty */
  uint32_t headerLength;   /* 50 older family, 40 newer family, 0 no header */
  unsigned char header[50];/* ':' and the link header bytes after it, the rest zero */
  unsigned char padding[2];
  uint32_t dataLength;     /* bytes at data */
  unsigned char* data;     /* owned by the record, or null */
  struct qxl16_Record* next;
} qxl16_Record;

/* An open document, as qxl16_Open handed it out. */
typedef struct qxl16_Document_* qxl16_Handle;
/* A position in one of a document's lists; null before the first entry. */
typedef struct qxl16_Position_* qxl16_Position;

QXL16_API int qxl16_Open(const char* path, qxl16_Handle* out);
QXL16_API int qxl16_Close(qxl16_Handle handle);
QXL16_API int qxl16_GetCalcName(qxl16_Handle handle, char* buffer, int size);
QXL16_API int qxl16_GetCalcType(qxl16_Handle handle, char* buffer, int size);
QXL16_API int qxl16_GetProgram(qxl16_Handle handle, qxl16_Position* position, qxl16_Record** out);
QXL16_API int qxl16_GetHardCopy(qxl16_Handle handle, qxl16_Position* position, qxl16_Record** out);
QXL16_API int qxl16_GetTransferData(qxl16_Handle handle, qxl16_Position* position, qxl16_Record** out);
QXL16_API int qxl16_ReadBackupFile(const char* path, qxl16_Record** out);
QXL16_API int qxl16_Free(qxl16_Record* record);

#ifdef __cplusplus
}

/* The record is a binary interface between two deliverables: its layout is
 * fixed; only the two pointers take the machine's width. */
static_assert(offsetof(qxl16_Record, name) == 0);
static_assert(offsetof(qxl16_Record, name2) == 128);
static_assert(offsetof(qxl16_Record, headerLength) == 192);
static_assert(offsetof(qxl16_Record, header) == 196);
static_assert(offsetof(qxl16_Record, dataLength) == 248);
static_assert(offsetof(qxl16_Record, data) == (sizeof(void*) == 4 ? 252 : 256));
static_assert(offsetof(qxl16_Record, next) == offsetof(qxl16_Record, data) + sizeof(void*));
static_assert(sizeof(qxl16_Record) == (sizeof(void*) == 4 ? 260 : 272));
#endif
