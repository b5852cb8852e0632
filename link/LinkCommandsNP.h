// The Link commands of the older calculator family (50-byte headers), which
// the document's Link menu calls, and the screen copy of every model. Each
// runs a whole transfer on the common command frame (link/LinkCommand.h)
// behind the progress dialog and ends with at most one message.
#pragma once

#include "link/LinkSessionNP.h"
#include "platform/WinTypes.h"

class CQXDocEntry;
class CQXDocServices;
class CQXTransferProgress;

// Link > Send: the items the user chooses, then "END". TRUE when the
// transfer ran.
BOOL LinkSendNP(CQXDocServices* doc);
// Link > Backup > Send: the backup held by `entry`, which stays the
// caller's; no "END" follows. The link opens with the document's model;
// `modelName` is not used. TRUE when the transfer ran.
BOOL LinkSendBackupNP(CQXDocServices* doc, const char* modelName, CQXDocEntry* entry);
// Link > Receive (and Link > Backup > Receive with `backupOnly`, where any
// item but a backup ends with message 10554): every item is filed in the
// document; a backup is offered for saving as a backup file. TRUE when
// something arrived.
BOOL LinkReceiveNP(CQXDocServices* doc, BOOL backupOnly);
// Link > Receive screen copy: one screen copy filed in the document; any
// other item ends with 10555. TRUE when the transfer ran.
BOOL LinkReceiveScreenCopy(CQXDocServices* doc);

// What must go out with the items loaded from `path`:
// - a list file ("\Calculator\File\File<n>") always goes out with its six
//   lists in order; an empty one stands in for each list the file lacks;
// - an equation ("\Calculator\Equation\...") goes out as the simultaneous
//   and the polynomial equation in that order; the one not loaded is taken
//   from the document when it has data there, else an empty one.
// Entries are reordered for that; other entries follow. Throws
// std::bad_alloc when memory runs out.
void AddCompanionItems(const char* path, CQXDocEntryArray* entries, CQXDocServices* doc);

// The sessions' progress callback of this family: Update of the running
// transfer's progress, nothing between transfers.
void LinkProgressCallbackNP(DWORD byteCount, const char* text, int kind);
CQXTransferProgress* GetTransferProgressNP();
