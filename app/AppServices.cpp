#include "app/AppServices.h"

#include "platform/ImageList.h"
#include "platform/LanguageLibrary.h"

namespace {

CImageList& smallList() {
  static CImageList list;
  return list;
}

CImageList& largeList() {
  static CImageList list;
  return list;
}

}  // namespace

BOOL SplitFilePath(const QString& path, QString* directory, QString* name) {
  const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
  if (slash < 0) return FALSE;
  if (directory) *directory = path.left(slash);
  if (name) *name = path.mid(slash + 1);
  return TRUE;
}

CImageList* GetAppImageList(BOOL small) { return small ? &smallList() : &largeList(); }

int BuildAppImageLists() {
  static const unsigned icons[] = {7370, 7370, 7365, 7366, 7367, 7368};
  int fewest = -1;
  for (const int side : {16, 32}) {
    CImageList& list = side == 16 ? smallList() : largeList();
    list.DeleteImageList();
    list.Create(side, side, ILC_COLOR32 | ILC_MASK, 1, 10);
    for (unsigned id : icons) list.Add(CLanguageLibrary::LoadIcon(id));
    const int count = list.GetImageCount();
    if (fewest < 0 || count < fewest) fewest = count;
  }
  return fewest;
}
