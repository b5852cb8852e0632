#include "link/LinkCommand.h"

#include "services/DocServices.h"
#include "link/LinkMessages.h"
#include "link/TransferProgress.h"
#include "platform/MessageBox.h"
#include "platform/UserException.h"
#include "platform/WinApp.h"
#include "platform/Wnd.h"

#include <string>

namespace {

constexpr UINT kNoMemory = 61706;

}  // namespace

void ForwardLinkProgress(const CQXLinkFamily& family, DWORD byteCount, const char* text, int kind) {
  if (CQXTransferProgress* progress = *family.currentProgress) progress->Update(byteCount, text, kind);
}

CQXLinkCommand::CQXLinkCommand(CQXDocServices* doc, const CQXLinkFamily& family, int mode)
    : doc_(doc), family_(family), mode_(mode), direction_(mode == CQXCalcLink::SEND ? 0 : 1) {}

CQXLinkCommand::~CQXLinkCommand() { Release(); }

BOOL CQXLinkCommand::Open() {
  std::string model;
  if (doc_) doc_->GetCalculatorName(&model);
  if (!link_.Open(mode_, model.c_str(), TRUE)) {
    ShowLinkOpenError(link_.GetErrorClass(), link_.GetPortNumber());
    return FALSE;
  }
  progress_ = std::make_unique<CQXTransferProgress>(direction_, &link_);
  if (!progress_->Create(AfxGetMainWnd())) {
    progress_.reset();
    ShowLinkOpenError(LINK_ERROR_NO_MEMORY);
    return FALSE;
  }
  *family_.currentProgress = progress_.get();
  progress_->Show();
  return TRUE;
}

BOOL CQXLinkCommand::Started(BOOL started) {
  if (!started) {
    Release();
    ShowLinkOpenError(LINK_ERROR_NO_MEMORY);
    return FALSE;
  }
  if (doc_) doc_->SetCurrentLink(&link_);
  return TRUE;
}

void CQXLinkCommand::Run(const std::function<int()>& transfer) {
  try {
    code_ = transfer();
    return;
  } catch (const CUserException&) {
    code_ = SESSION_USER_CANCELLED;
  } catch (...) {
    // Memory exhaustion, or anything else that went wrong underneath: an
    // exception must not leave the command, whatever its direction.
    message_ = kNoMemory;
  }
  if (direction_ != 0) StopCalculator();
}

void CQXLinkCommand::End() {
  Release();
  if (message_ != 0) {
    AfxMessageBox(message_, MB_ICONEXCLAMATION);
    return;
  }
  if (code_ != (direction_ == 0 ? SESSION_OK : SESSION_END)) ShowLinkError(code_);
}

void CQXLinkCommand::StopCalculator() {
  link_.Sleep(link_.GetTimings().*family_.answerPause);
  link_.SendCancelByte();
}

int CQXLinkCommand::StopReceiving(UINT message, int code, BOOL calculatorWaits) {
  SetMessage(message);
  if (calculatorWaits) StopCalculator();
  return code;
}

void CQXLinkCommand::Release() {
  if (progress_) {
    progress_->Destroy();
    progress_.reset();
  }
  *family_.currentProgress = nullptr;
  if (doc_ && doc_->GetCurrentLink() == &link_) doc_->SetCurrentLink(nullptr);
}
