// Fuzz target of the macro file reader: any text reads without harm, and
// what it read writes and reads back the same.
#include "classlib/OrvoTextArchive.h"
#include "tokens/MacroFile.h"

#include <cstddef>
#include <cstdint>

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

std::vector<CQXMacro> read(const QByteArray& text, BOOL* ok) {
  CMemFile file(text);
  COrvoTextArchive ar(&file, CArchive::load, 1025);
  std::vector<CQXMacro> macros;
  *ok = ReadMacroRecords(ar, &macros);
  return macros;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  BOOL ok = FALSE;
  const std::vector<CQXMacro> macros = read(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), &ok);
  if (!ok) return 0;
  for (const CQXMacro& m : macros) {
    check(m.name.size() <= kMacroNameMax && m.description.size() <= kMacroDescriptionMax);
    check(!m.record || !m.record->bytes.empty());
  }
  CMemFile out;
  {
    COrvoTextArchive ar(&out, CArchive::store, 1025);
    WriteMacroRecords(ar, macros);
  }
  const std::vector<CQXMacro> again = read(out.GetData(), &ok);
  check(ok && again.size() <= macros.size());
  // Names and descriptions with line ends or leading blanks may not survive;
  // the bytes of every macro that comes back do.
  for (std::size_t i = 0; i < again.size(); ++i) {
    if (again[i].name != macros[i].name) break;
    check(bool(again[i].record) == bool(macros[i].record));
    if (again[i].record) check(again[i].record->bytes == macros[i].record->bytes);
  }
  return 0;
}
