#include "platform/CmdTarget.h"

#include "platform/CmdUI.h"

const CMessageMap& CCmdTarget::messageMap() {
  static const CMessageMap map;
  return map;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  using Kind = CMessageMap::Kind;
  for (const CMessageMap* map = &GetMessageMap(); map; map = map->base) {
    for (const CMessageMap::Entry& e : map->entries) {
      if (nID < e.first || nID > e.last) continue;
      const bool match = nCode == CN_UPDATE_COMMAND_UI ? e.kind == Kind::UpdateUI
                         : e.kind == Kind::Notify      ? nCode == NotifyCode(e.code)
                         : e.kind == Kind::NotifyReflect ? nCode == ReflectedNotifyCode(e.code)
                                                       : e.kind == Kind::Command && nCode == e.code;
      if (!match) continue;
      if (pHandlerInfo) {
        pHandlerInfo->pTarget = this;
        return TRUE;
      }
      if (e.kind == Kind::UpdateUI) {
        auto* ui = static_cast<CCmdUI*>(pExtra);
        ui->m_bContinueRouting = FALSE;
        e.onCommand(this, nID, ui);
        const BOOL handled = !ui->m_bContinueRouting;
        ui->m_bContinueRouting = FALSE;
        return handled;
      }
      if (e.onCommand(this, nID, pExtra)) return TRUE;
    }
  }
  return FALSE;
}

const CMessageMap::Entry* CCmdTarget::FindMessageEntry(UINT message) const {
  using Kind = CMessageMap::Kind;
  for (const CMessageMap* map = &GetMessageMap(); map; map = map->base)
    for (const CMessageMap::Entry& e : map->entries) {
      if (e.kind == Kind::Message && e.first == message) return &e;
      if (e.kind == Kind::RegisteredMessage && *e.registered != 0 && *e.registered == message) return &e;
    }
  return nullptr;
}
