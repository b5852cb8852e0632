#include "datamodel/KindIcons.h"

#include "platform/LanguageLibrary.h"

#include <QIcon>

namespace {

struct KindIcon {
  UINT icon;
  int kind;
};

// Searched in order. Kinds 2, 4004, 4005, 4009, 4013, 4014, 5003 and 5013
// have icons although no header recogniser produces them.
const KindIcon kKindIcons[] = {
    {200, 1},
    {201, 4001}, {201, 5001},
    {202, 4002}, {202, 5002},
    {203, 2},
    {204, 4003}, {204, 4004}, {204, 4005}, {204, 5012},
    {205, 4006}, {205, 5004},
    {206, 4007}, {206, 5010},
    {207, 4008}, {207, 5011},
    {208, 4009}, {208, 4010}, {208, 4011}, {208, 5013}, {208, 5014}, {208, 5015},
    {210, 4012}, {210, 5005}, {210, 4013}, {210, 4014},
    {211, 4020}, {211, 5018}, {211, 4015}, {211, 5019},
    {212, 4016}, {212, 4017}, {212, 4018}, {212, 5006}, {212, 5007}, {212, 5008},
    {213, 4019}, {213, 5016},
    {214, 4021}, {214, 5017},
    {215, 4022}, {215, 4023},
    {133, 4024}, {133, 5024},
    {7373, 0},
    {7377, 5020},
    {7378, 5021},
    {7379, 5003}, {7379, 5026},
    {7380, 5022},
    {7381, 5023},
};
static_assert(sizeof kKindIcons / sizeof kKindIcons[0] == 51);

}  // namespace

UINT KindIconId(int kind) {
  for (const KindIcon& pair : kKindIcons)
    if (pair.kind == kind) return pair.icon;
  return kFallbackKindIcon;
}

BOOL LoadKindIcon(int kind, QIcon* out) {
  if (!out) return FALSE;
  QIcon icon = CLanguageLibrary::LoadIcon(KindIconId(kind));
  if (icon.isNull()) icon = CLanguageLibrary::LoadIcon(kFallbackKindIcon);
  *out = icon;
  return icon.isNull() ? FALSE : TRUE;
}
