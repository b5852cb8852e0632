#include "link/LinkSessionNP.h"

#include "services/DocServices.h"
#include "datamodel/HeaderKinds.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXRecursionItem.h"
#include "link/SerialLink.h"
#include "platform/LanguageLibrary.h"

#include <cstring>
#include <new>

namespace {

bool endsTransfer(int storedKind) {
  return storedKind == kKindScreenCopyMono || storedKind == kKindScreenCopyColour || storedKind == kKindBackup;
}

}  // namespace

CQXLinkSessionNP::CQXLinkSessionNP(CQXDocServices* doc, int direction, CQXCalcLink* link,
                                   LinkProgressCallback progress)
    : doc_(doc), link_(link), channel_(link, direction), direction_(direction), progress_(std::move(progress)) {
  if (doc_) {
    doc_->GetCalculatorName(&modelName_);
    doc_->GetCalculatorType(&calcType_);
  }
}

CQXLinkSessionNP::~CQXLinkSessionNP() = default;

BOOL CQXLinkSessionNP::Start() {
  if (!link_) return FALSE;
  return AllocBuffer(kStartBufferSize);
}

BOOL CQXLinkSessionNP::AllocBuffer(DWORD size) {
  buffer_.reset();
  bufferSize_ = 0;
  buffer_.reset(new (std::nothrow) BYTE[size ? size : 1]());
  if (!buffer_) return FALSE;
  bufferSize_ = size;
  return TRUE;
}

void CQXLinkSessionNP::Report(const std::string& text, int kind) {
  if (progress_) progress_(link_ ? link_->GetByteCount() : 0, text.c_str(), kind);
}

std::string CQXLinkSessionNP::DisplayNameOf(CQXCalcItem& item) {
  char name[256] = "";
  item.GetDisplayName(name, sizeof name);
  return name;
}

// "Programme" and the program's name between quotation marks.
std::string CQXLinkSessionNP::ProgramText(CQXCalcItem& item) {
  return CLanguageLibrary::LoadStringA(10302) + " \"" + DisplayNameOf(item) + "\"";
}

int CQXLinkSessionNP::ReceiveItems(std::unique_ptr<CQXDocEntry>* out) {
  out->reset();
  if (!link_ || !buffer_) return SESSION_NO_MEMORY;
  if (!connected_) {
    Report("", 0);
    const int code = channel_.WaitForRequestNP();
    if (code != PACKET_OK) return PacketCodeToSessionCode(code);
    connected_ = TRUE;
    pending_ = LINK_READY;
  }
  // A screen copy or a backup is the whole transfer.
  if (endsTransfer(lastStoredKind_)) return SESSION_END;
  for (;;) {
    int result = channel_.SendPendingAnswer(&pending_, link_->GetTimings().pendingAnswerPauseNP);
    if (result != SESSION_OK) return result;
    link_->Sleep(link_->GetTimings().headerPause);
    BYTE header[kMaxHeaderLengthNP];
    DWORD length = 0;
    const int code = channel_.ReadHeaderNP(header, &length);
    if (code != PACKET_OK) {
      pending_ = AnswerForPacketFailure(code);
      channel_.SendPendingAnswer(&pending_, link_->GetTimings().pendingAnswerPauseNP);
      return PacketCodeToSessionCode(code);
    }
    if (CQXPacketChannel::IsEndPacketNP(header)) return SESSION_END;
    pending_ = LINK_ACK;
    result = DispatchHeader(header, length, out);
    if (result == SESSION_OK) return SESSION_ITEM;
    if (result == SESSION_NEXT_HEADER) continue;
    pending_ = AnswerForSessionFailure(result);
    channel_.SendPendingAnswer(&pending_, link_->GetTimings().pendingAnswerPauseNP);
    return result;
  }
}

int CQXLinkSessionNP::Connect() {
  if (!link_) return SESSION_NO_MEMORY;
  link_->Sleep(link_->GetTimings().connectPause);
  int code = channel_.SendByte(LINK_REQUEST);
  if (code == PACKET_OK) code = channel_.WaitForReadyNP();
  if (code != PACKET_OK) return PacketCodeToSessionCode(code);
  connected_ = TRUE;
  return SESSION_OK;
}

int CQXLinkSessionNP::SendEnd() {
  if (link_) channel_.SendEndNP();
  return SESSION_OK;
}

int CQXLinkSessionNP::SendItem(const CQXDocEntryArray& entries) {
  if (!link_) return SESSION_NO_MEMORY;
  for (const std::unique_ptr<CQXDocEntry>& entry : entries) {
    if (!entry || !entry->GetItem()) continue;
    int result;
    try {
      result = SendOne(*entry->GetItem());
    } catch (const std::bad_alloc&) {
      result = SESSION_NO_MEMORY;
    }
    // A declined item counts as sent: the transfer goes on.
    if (result != SESSION_OK && result != SESSION_SKIPPED) return result;
  }
  return SESSION_OK;
}
