// What the token editor tests share: a map as the calculator families have
// it (lead bytes 0x7F, 0xF7, 0xF9, line breaks 0x0D and 0x0C), the editor's
// content as bytes, and a parent that counts EN_CHANGE.
#pragma once

#include "platform/Wnd.h"
#include "tokens/QXTokenEditor.h"
#include "tokens/QXTokenTextMap.h"

#include <string>

namespace tallix::test {

inline void fillTestMap(CQXTokenTextMap* map) {
  for (int c = 0x20; c < 0x7F; ++c) {
    const char text[] = {char(c), 0};
    map->SetTokenText(0, UINT(c), text);
  }
  map->SetTokenText(0, 0x0D, "\r");
  map->SetTokenText(0, 0x0C, "\x0C");
  map->SetTokenText(0x7F, 0x40, "Mat ");
  map->SetTokenText(0x7F, 0x41, "Det ");
  map->SetTokenText(0x7F, 0x7F, "Q");
  map->SetTokenText(0xF7, 0x00, "If ");
  map->SetTokenText(0xF9, 0x05, "Z");
}

inline std::string tokensOf(const CQXTokenEditor& editor, UINT format) {
  std::string out(std::size_t(editor.GetTokensLength(format)), '\0');
  int length = -1;
  editor.GetTokens(reinterpret_cast<BYTE*>(out.data()), int(out.size()), &length, format);
  out.resize(std::size_t(length));
  return out;
}

inline int setTokens(CQXTokenEditor* editor, const std::string& data, UINT format) {
  return editor->SetTokens(reinterpret_cast<const BYTE*>(data.data()), int(data.size()), format);
}

inline int replaceSel(CQXTokenEditor* editor, const std::string& data, UINT format) {
  return editor->ReplaceSel(reinterpret_cast<const BYTE*>(data.data()), int(data.size()), format);
}

// A parent window that counts the editor's change notices.
class ChangeCounter : public CWnd {
 public:
  int changes = 0;

 protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    if (HIWORD(wParam) == EN_CHANGE && lParam) ++changes;
    return CWnd::OnCommand(wParam, lParam);
  }
};

}  // namespace tallix::test
