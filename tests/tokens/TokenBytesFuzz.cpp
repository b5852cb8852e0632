// Fuzz target of the token editor's readers: the first byte picks the
// exchange format, the rest is the data. Calculator bytes loaded come back
// byte for byte; whatever a user insertion puts in reads back as the same
// tokens; the layout holds for any content; a separator token is found
// where the editor sees one.
#include "tests/tokens/TokenEditorTestSupport.h"
#include "tokens/CalcTokenBytes.h"

#include <QApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

std::vector<WORD> wordsOf(const CQXTokenEditor& editor) {
  std::vector<WORD> words;
  for (int i = 0; i < editor.GetTokenCount(); ++i) words.push_back(editor.GetTokenAt(i));
  return words;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static int argc = 1;
  static char name[] = "token_bytes_fuzz";
  static char* argv[] = {name, nullptr};
  static QApplication* app = (setenv("QT_QPA_PLATFORM", "offscreen", 1), new QApplication(argc, argv));
  static CQXTokenTextMap map;
  static CWnd parent;
  static CQXTokenEditor* editor = [] {
    tallix::test::fillTestMap(&map);
    auto* e = new CQXTokenEditor;
    e->Create(WS_CHILD | WS_VISIBLE | kTokenEditorMultiLine, QRect(0, 0, 120, 60), &parent, 1);
    e->SetTokenTextMap(&map);
    return e;
  }();
  (void)app;
  if (size < 1) return 0;
  const UINT format = data[0] % 3 == 0 ? kTokenFormatBytes : data[0] % 3 == 1 ? kTokenFormatWords : kTokenFormatText;
  const std::string body(reinterpret_cast<const char*>(data + 1), size - 1);

  editor->ClearTokens();
  if (!body.empty()) check(tallix::test::setTokens(editor, body, format) == 1);
  const std::string bytes = tallix::test::tokensOf(*editor, kTokenFormatBytes);
  if (format == kTokenFormatBytes) {
    check(bytes == body);
    // The separator of a parametric function is a one-byte token of the
    // editor's own walk.
    const int separator = FindOneByteToken(reinterpret_cast<const BYTE*>(body.data()), int(body.size()), &map, 0xF6);
    bool found = false;
    for (int i = 0; i < editor->GetTokenCount() && !found; ++i) found = editor->GetTokenAt(i) == 0xF600;
    check((separator >= 0) == found);
    if (separator >= 0) check(BYTE(body[std::size_t(separator)]) == 0xF6);
  }
  if (format == kTokenFormatWords) check(tallix::test::tokensOf(*editor, kTokenFormatWords) == body.substr(0, body.size() & ~std::size_t(1)));
  check(int(tallix::test::tokensOf(*editor, kTokenFormatText).size()) == editor->GetTokensLength(kTokenFormatText));
  int half = 0;
  editor->HitTest(QPoint(int(size % 130), int(size % 70)), size & 1, &half);
  editor->CaretPoint();

  // What a user puts in reads back as the very tokens the editor holds.
  editor->ClearTokens();
  tallix::test::replaceSel(editor, body, format);
  const std::string inserted = tallix::test::tokensOf(*editor, kTokenFormatBytes);
  const auto tokens = SplitCalcTokens(reinterpret_cast<const BYTE*>(inserted.data()), int(inserted.size()), &map);
  std::vector<WORD> read;
  for (const CalcByteToken& t : tokens) read.push_back(t.word);
  check(read == wordsOf(*editor));
  return 0;
}
