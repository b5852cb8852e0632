#include "tokens/SmallHelpers.h"

#include "datamodel/CalcNumber.h"
#include "platform/AtomicFile.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"

#include <QFileInfo>

#include <algorithm>
#include <cstring>

BOOL FileExists(const QString& path) {
  if (path.isEmpty()) return FALSE;
  const QFileInfo info(path);
  return info.exists() || info.isSymLink() ? TRUE : FALSE;
}

BOOL InsertThousandsSeparator(const char* digits, char separator, char* out, UINT size) {
  if (!digits || !out) return FALSE;
  const size_t n = std::strlen(digits);
  if (size_t(size) < n + n / 3 + 1) return FALSE;
  size_t w = 0;
  for (size_t i = n, written = 0; i > 0; --i) {
    out[w++] = digits[i - 1];
    if (++written % 3 == 0 && i > 1) out[w++] = separator;
  }
  out[w] = '\0';
  std::reverse(out, out + w);
  return TRUE;
}

void ApplyLocaleDecimalPoint(char* text) {
  if (!text) return;
  if (char* point = std::strchr(text, '.')) *point = CalcNumberDecimalSeparator();
}

void BuildFileDialogFilter(const UINT* ids, QString* filter) {
  for (; ids && *ids; ++ids) *filter += CLanguageLibrary::LoadString(*ids);
  *filter += QLatin1Char('|');
}

void ShowFileMessage(UINT id, const char* path) {
  AfxMessageBox(CLanguageLibrary::FormatMessage(id, tallix::filePathFromBytes(path)), MB_ICONEXCLAMATION);
}
