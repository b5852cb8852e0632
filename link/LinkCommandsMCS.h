// The Link commands of the newer calculator family (40-byte packets), which
// the document's Link menu calls for models of protocol family 5. Each runs
// a whole transfer on the common command frame (link/LinkCommand.h) behind
// the progress dialog and ends with at most one message.
#pragma once

#include "link/LinkSessionMCS.h"
#include "platform/WinTypes.h"

class CQXDocEntry;
class CQXDocServices;
class CQXTransferProgress;

// Link > Receive (and Link > Backup > Receive with `backupOnly`, where any
// item but a backup ends with message 10554): every item is filed in the
// document; a backup is offered for saving as a backup file. When the
// command ends the receive itself, the calculator is told with 0x18. TRUE
// when something arrived.
BOOL LinkReceiveMCS(CQXDocServices* doc, BOOL backupOnly);
// Link > Send: the items the user chooses, then "END1". TRUE when the
// transfer ran.
BOOL LinkSendMCS(CQXDocServices* doc);
// Link > Backup > Send: the backup held by `entry`, which stays the
// caller's, then "END1". `text` is not used (the progress shows the
// backup's own name). TRUE when the transfer ran.
BOOL LinkSendBackupMCS(CQXDocServices* doc, const char* text, CQXDocEntry* entry);

// The sessions' progress callback of this family: Update of the running
// transfer's progress, nothing between transfers.
void LinkProgressCallbackMCS(DWORD byteCount, const char* text, int kind);
CQXTransferProgress* GetTransferProgressMCS();
