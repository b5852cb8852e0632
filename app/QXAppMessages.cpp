#include "app/QXAppMessages.h"

#include "platform/Wnd.h"

UINT msgQXSwitchToPane = 0;
UINT msgQXSwitchToView = 0;
UINT msgQXGetViewData = 0;

void RegisterQXMessages() {
  msgQXSwitchToPane = RegisterWindowMessage("MSG_QXSwitchToPane");
  msgQXSwitchToView = RegisterWindowMessage("MSG_QXSwitchToView");
  msgQXGetViewData = RegisterWindowMessage("MSG_QXGetViewData");
}
