#include "link/LinkSessionMCS.h"

#include "services/DocServices.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXGraphFuncSets.h"
#include "link/SerialLink.h"
#include "platform/LanguageLibrary.h"

#include <cstring>
#include <new>

CQXLinkSessionMCS::CQXLinkSessionMCS(CQXDocServices* doc, int direction, CQXCalcLink* link,
                                     LinkProgressCallback progress)
    : doc_(doc), link_(link), channel_(link, direction), direction_(direction), progress_(std::move(progress)) {
  if (doc_) {
    doc_->GetCalculatorName(&modelName_);
    doc_->GetCalculatorType(&calcType_);
  }
}

CQXLinkSessionMCS::~CQXLinkSessionMCS() = default;

BOOL CQXLinkSessionMCS::Start() {
  if (!link_) return FALSE;
  return GrowBuffer(kStartBufferSize) == SESSION_OK;
}

int CQXLinkSessionMCS::GrowBuffer(DWORD size) {
  if (size > kMaxBlockSize) return SESSION_BAD_DATA;
  if (buffer_ && size <= bufferSize_) return SESSION_OK;
  buffer_.reset();
  bufferSize_ = 0;
  buffer_.reset(new (std::nothrow) BYTE[size ? size : 1]());
  if (!buffer_) return SESSION_NO_MEMORY;
  bufferSize_ = size;
  return SESSION_OK;
}

void CQXLinkSessionMCS::Report(const std::string& text, int kind) {
  if (progress_) progress_(link_ ? link_->GetByteCount() : 0, text.c_str(), kind);
}

std::string CQXLinkSessionMCS::DisplayNameOf(CQXCalcItem& item) {
  char name[256] = "";
  item.GetDisplayName(name, sizeof name);
  return name;
}

// "Programme" and the program's name between straight double quotes.
std::string CQXLinkSessionMCS::ProgramText(const char* name) {
  return CLanguageLibrary::LoadStringA(10302) + " \"" + name + "\"";
}

int CQXLinkSessionMCS::SendPendingAnswer() {
  if (!link_) return SESSION_NO_MEMORY;
  return channel_.SendPendingAnswer(&pending_, link_->GetTimings().pendingAnswerPauseMCS);
}

BOOL CQXLinkSessionMCS::OwesAnswer() const {
  if (hasPendingHeader_ && CQXPacketChannel::IsEndPacket(pendingHeader_)) return FALSE;
  return pending_ != 0;
}

int CQXLinkSessionMCS::ReceiveItem(std::unique_ptr<CQXDocEntry>* out) {
  out->reset();
  if (!link_ || !buffer_) return SESSION_NO_MEMORY;
  if (!connected_) {
    Report("", 0);
    int code = channel_.WaitForRequest();
    if (code != PACKET_OK) return PacketCodeToSessionCode(code);
    pending_ = LINK_READY;
    const int result = SendPendingAnswer();
    if (result != SESSION_OK) return result;
    code = channel_.ExchangeModelPacket();
    if (code != PACKET_OK) return PacketCodeToSessionCode(code);
    pending_ = LINK_ACK;
    connected_ = TRUE;
  }
  if (end_) return SESSION_END;
  for (;;) {
    BYTE header[kHeaderLength];
    if (hasPendingHeader_) {
      std::memcpy(header, pendingHeader_, kHeaderLength);
      hasPendingHeader_ = FALSE;
    } else {
      const int result = SendPendingAnswer();
      if (result != SESSION_OK) return result;
      link_->Sleep(link_->GetTimings().headerPause);
      const int code = channel_.ReadHeaderPacket(header);
      if (code != PACKET_OK) {
        pending_ = AnswerForPacketFailure(code);
        SendPendingAnswer();
        return PacketCodeToSessionCode(code);
      }
    }
    if (CQXPacketChannel::IsEndPacket(header)) return SESSION_END;
    pending_ = LINK_ACK;
    const int result = DispatchHeader(header, out);
    if (result == SESSION_OK) return SESSION_ITEM;
    if (result == SESSION_NEXT_HEADER) continue;
    pending_ = AnswerForSessionFailure(result);
    SendPendingAnswer();
    return result;
  }
}

int CQXLinkSessionMCS::Connect() {
  if (!link_) return SESSION_NO_MEMORY;
  link_->Sleep(link_->GetTimings().connectPause);
  int code = channel_.SendByte(LINK_REQUEST);
  if (code == PACKET_OK) code = channel_.WaitForReady();
  if (code == PACKET_OK) code = channel_.ExchangeModelPacket();
  if (code != PACKET_OK) return PacketCodeToSessionCode(code);
  connected_ = TRUE;
  return SESSION_OK;
}

int CQXLinkSessionMCS::SendEnd() {
  if (link_) channel_.SendEndPacket();
  return SESSION_OK;
}

int CQXLinkSessionMCS::ReadAnswer() {
  return channel_.ReadSendAnswer(doc_, currentText_.c_str(), currentKind_);
}

int CQXLinkSessionMCS::SendItem(const CQXDocEntryArray& entries) {
  if (!link_) return SESSION_NO_MEMORY;
  bool any = false;
  for (const std::unique_ptr<CQXDocEntry>& entry : entries) {
    if (!entry || !entry->GetItem()) continue;
    any = true;
    int result;
    try {
      result = SendOne(*entry->GetItem());
    } catch (const std::bad_alloc&) {
      result = SESSION_NO_MEMORY;
    }
    // A declined item counts as sent: the transfer goes on.
    if (result != SESSION_OK && result != SESSION_SKIPPED) return result;
  }
  return any ? SESSION_OK : SESSION_SEND_ERROR;
}

void CQXLinkSessionMCS::BuildHeader(BYTE header[40], BYTE typeByte, DWORD dataSize, const char* name,
                                    const char* group) {
  BuildMCSHeader(header, typeByte, dataSize, name, group);
}

void CQXLinkSessionMCS::CopyPacketName(const BYTE* source, char* destination) {
  int n = 0;
  while (n < 8 && source[n] != 0xFF) {
    destination[n] = char(source[n]);
    ++n;
  }
  destination[n] = '\0';
}
