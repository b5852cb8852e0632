#include "link/LinkMessages.h"

#include "link/LinkCodes.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"

namespace {

constexpr UINT kNoMemory = 61706;
constexpr UINT kInternalError = 61704;
constexpr UINT kPortNotOpened = 10550;

}  // namespace

UINT LinkErrorMessageId(int sessionCode) {
  switch (sessionCode) {
    case SESSION_OK:
    case SESSION_END:
    case SESSION_ITEM:
    case SESSION_USER_CANCELLED: return 0;
    case SESSION_NO_MEMORY: return kNoMemory;
    case SESSION_CALC_MEMORY_FULL: return 10552;
    case SESSION_BAD_DATA: return 10554;
    case SESSION_PROTOCOL: return 10556;
    case SESSION_CALC_ERROR: return 10559;
    case SESSION_NOT_SUPPORTED: return 10555;
    case SESSION_SEND_ERROR: return 10560;
    case SESSION_RECEIVE_ERROR: return 10561;
    case SESSION_TIMEOUT: return 10553;
    case SESSION_CALC_CANCELLED: return 10558;
    default: return kInternalError;
  }
}

UINT LinkOpenErrorMessageId(int errorClass) {
  switch (errorClass) {
    case LINK_ERROR_NONE:
    case LINK_ERROR_CANCELLED: return 0;
    case LINK_ERROR_TIMEOUT: return 10553;
    case LINK_ERROR_LINE: return 10556;
    case LINK_ERROR_IN_USE:
    case LINK_ERROR_NO_PORT: return kPortNotOpened;
    case LINK_ERROR_NO_MEMORY: return kNoMemory;
    default: return kInternalError;
  }
}

void ShowLinkError(int sessionCode) {
  if (const UINT id = LinkErrorMessageId(sessionCode)) AfxMessageBox(id, MB_ICONEXCLAMATION);
}

void ShowLinkOpenError(int errorClass, UINT port) {
  const UINT id = LinkOpenErrorMessageId(errorClass);
  if (id == 0) return;
  if (id == kPortNotOpened) {
    AfxMessageBox(CLanguageLibrary::FormatMessage(id, QString::number(port)), MB_ICONEXCLAMATION);
    return;
  }
  AfxMessageBox(id, MB_ICONEXCLAMATION);
}
