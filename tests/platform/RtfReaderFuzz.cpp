// Fuzz target of the rich-text reader: whatever the bytes, reading gives a
// document; writing it and reading that again gives the same text, and
// writing once more the same bytes.
#include "platform/RtfCodec.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static int argc = 1;
  static char name[] = "rtf_reader_fuzz";
  static char* argv[] = {name, nullptr};
  static QGuiApplication* app = (setenv("QT_QPA_PLATFORM", "offscreen", 1), new QGuiApplication(argc, argv));
  (void)app;

  QTextDocument first;
  tallix::readRtf(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)), first);
  const QByteArray written = tallix::writeRtf(first);
  for (const char byte : written) check(static_cast<unsigned char>(byte) < 0x80);
  QTextDocument second;
  check(tallix::readRtf(written, second) == tallix::RtfReadResult::Complete);
  check(second.toRawText() == first.toRawText());
  check(tallix::writeRtf(second) == written);
  return 0;
}
