// The frame that every Link command of both calculator families runs in:
//   1. the link opened for the document's model (mode 0 send, 1 receive,
//      2 screen copy); a failure shows ShowLinkOpenError and ends;
//   2. the progress dialog created on the main window and shown, and named
//      as the family's running progress (its progress callback reaches it);
//   3. the family's session constructed and started (failure: 61706);
//   4. the document told which link runs, so that its own questions can
//      cancel it;
//   5. the command's transfer run: the user's abort (CUserException) ends it
//      quietly, memory exhaustion or any other exception with 61706 (when
//      receiving, the calculator is told with 0x18);
//   6. on every path the progress destroyed and the running progress and the
//      document's link cleared;
//   7. one message: the one the transfer chose, else ShowLinkError of the
//      final code unless it is the command's success (1 sending, 2
//      receiving).
// A family provides its session class (constructed with the document, the
// direction, the link and the progress callback; Start() -> BOOL) and a
// CQXLinkFamily; its commands call RunLinkCommand with their transfer.
#pragma once

#include "datamodel/QXDocEntry.h"
#include "link/LinkCodes.h"
#include "link/LinkSessionTypes.h"
#include "link/SerialLink.h"
#include "platform/WinTypes.h"

#include <functional>
#include <memory>

class CQXDocServices;
class CQXTransferProgress;

// What one protocol family gives the frame.
struct CQXLinkFamily {
  // The family's running progress, null between transfers.
  CQXTransferProgress** currentProgress;
  // The sessions' progress callback, which forwards to *currentProgress.
  void (*progressCallback)(DWORD byteCount, const char* text, int kind);
  // The pause before any answer the PC owes the calculator.
  DWORD LinkTimings::*answerPause;
};

// Update of the family's running progress, if any.
void ForwardLinkProgress(const CQXLinkFamily& family, DWORD byteCount, const char* text, int kind);

class CQXLinkCommand {
 public:
  // `mode` is a CQXCalcLink mode; it also gives the direction (0 for
  // sending, 1 otherwise) and the success code.
  CQXLinkCommand(CQXDocServices* doc, const CQXLinkFamily& family, int mode);
  // Whatever is still open is released without a message.
  ~CQXLinkCommand();
  CQXLinkCommand(const CQXLinkCommand&) = delete;
  CQXLinkCommand& operator=(const CQXLinkCommand&) = delete;

  // Steps 1 and 2; FALSE after the message.
  BOOL Open();
  // Step 3 with the session's Start result, then step 4; FALSE after the
  // message (the progress is gone).
  BOOL Started(BOOL started);
  // Step 5: `transfer` gives the final session code.
  void Run(const std::function<int()>& transfer);
  // Steps 6 and 7.
  void End();

  CQXCalcLink* GetLink() { return &link_; }
  int GetDirection() const { return direction_; }
  // The message the command ends with instead of the final code's.
  void SetMessage(UINT id) { message_ = id; }
  UINT GetMessage() const { return message_; }
  int GetCode() const { return code_; }
  // The command ended a receive itself: the calculator, still owed the
  // answer to its last packet, is told with 0x18 to stop waiting, after the
  // family's pause before an answer.
  void StopCalculator();
  // The command ends a receive itself with `message` and returns `code`;
  // when the calculator still waits for an answer it is told with 0x18.
  int StopReceiving(UINT message, int code, BOOL calculatorWaits);

 private:
  void Release();

  CQXDocServices* doc_;
  const CQXLinkFamily& family_;
  int mode_;
  int direction_;
  CQXCalcLink link_;
  std::unique_ptr<CQXTransferProgress> progress_;
  int code_ = SESSION_OK;
  UINT message_ = 0;
};

// An array of one entry that stays its caller's: the array only lends it.
struct CQXLentEntry {
  explicit CQXLentEntry(CQXDocEntry* entry) { entries.emplace_back(entry); }
  ~CQXLentEntry() { entries.front().release(); }
  CQXLentEntry(const CQXLentEntry&) = delete;
  CQXLentEntry& operator=(const CQXLentEntry&) = delete;
  CQXDocEntryArray entries;
};

// The messages a receive ends with when the document cannot take an item.
constexpr UINT kLinkMsgCannotInsert = 10513;
constexpr UINT kLinkMsgBadData = 10554;
constexpr UINT kLinkMsgNotSupported = 10555;

// The receive loop of Link > Receive: every item `receive` brings is filed in
// the document; a backup (`backupKind`) ends the transfer and is handed back
// in `backup`; with `backupOnly` anything else ends it with 10554. With
// `emptyRemoves`, an item without data stands for an empty one on the
// calculator, whose copy in the document goes if the user agrees. `received`
// turns TRUE once something arrived. Returns the final session code.
template <class Session, class Doc>
int FileReceivedItems(Doc* doc, Session& session, CQXLinkCommand& command,
                      int (Session::*receive)(std::unique_ptr<CQXDocEntry>*), DWORD backupKind, BOOL backupOnly,
                      BOOL emptyRemoves, BOOL* received, std::unique_ptr<CQXDocEntry>* backup) {
  std::unique_ptr<CQXDocEntry> entry;
  int code;
  auto stop = [&](UINT message) { return command.StopReceiving(message, code, session.OwesAnswer()); };
  while ((code = (session.*receive)(&entry)) == SESSION_ITEM) {
    *received = TRUE;
    if (!doc->StoreReceivedItem(entry.get(), TRUE)) return stop(kLinkMsgNotSupported);
    if (entry->GetKind() == backupKind) {
      *backup = std::move(entry);
      return int(SESSION_END);
    }
    if (backupOnly) return stop(kLinkMsgBadData);
    if (entry->GetItem()) {
      if (!doc->SaveItem(entry.get(), nullptr)) return stop(kLinkMsgCannotInsert);
    } else if (emptyRemoves) {
      DWORD length = 0, removed = 0;
      if (doc->GetItemDataLength(entry->Path().c_str(), &length) && doc->CheckOverwrite(entry.get()))
        doc->RemoveItem(entry->Path().c_str(), &removed, FALSE);
    }
    entry.reset();
  }
  return code;
}

// Runs one command on the frame with a session of the family: `transfer`
// gets the session and the command and returns the final session code.
// TRUE when the transfer ran; FALSE when the link, the progress or the
// session could not be set up (the message was shown).
template <class Session>
BOOL RunLinkCommand(CQXDocServices* doc, const CQXLinkFamily& family, int mode,
                    const std::function<int(Session&, CQXLinkCommand&)>& transfer) {
  CQXLinkCommand command(doc, family, mode);
  if (!command.Open()) return FALSE;
  Session session(doc, command.GetDirection(), command.GetLink(), family.progressCallback);
  if (!command.Started(session.Start())) return FALSE;
  command.Run([&] { return transfer(session, command); });
  command.End();
  return TRUE;
}
