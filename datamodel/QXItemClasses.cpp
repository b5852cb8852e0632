// The classes behind the item type ids. A type whose class is not part of the
// program has no create function: creating it fails cleanly.
#include "datamodel/QXDataLoggerItem.h"
#include "datamodel/QXDiffEqItem.h"
#include "datamodel/QXFuncMemV5Item.h"
#include "datamodel/QXFunctionItems.h"
#include "datamodel/QXGraphFuncSets.h"
#include "datamodel/QXImageItems.h"
#include "datamodel/QXImageV5Items.h"
#include "datamodel/QXItemFactory.h"
#include "datamodel/QXMatrixItems.h"
#include "datamodel/QXMemImageItems.h"
#include "datamodel/QXMemberFileItems.h"
#include "datamodel/QXNumericV5Items.h"
#include "datamodel/QXProgramItem.h"
#include "datamodel/QXRecursionItem.h"
#include "datamodel/QXValueSetItems.h"

#include <map>

namespace {

template <class T>
CQXCalcItem* make() {
  return new T;
}

std::map<int, CQXItemCreateFunction>& classes() {
  static std::map<int, CQXItemCreateFunction> table = {
      {4001, &make<CQXProgramItem>},
      {4002, &make<CQXGraphFunc10Item>},
      {4003, &make<CQXGraphFunc20Item>},
      {4004, &make<CQXMatrixItem>},
      {4005, &make<CQXListItem>},
      {4006, &make<CQXVWindowItem>},
      {4007, &make<CQXZoomFactorItem>},
      {4008, &make<CQXTableRangeItem>},
      {4009, &make<CQXRecursionItem>},
      {4010, &make<CQXVariable28Item>},
      {4011, &make<CQXVariable26Item>},
      {4012, &make<CQXFuncMemItem>},
      // Pictures, memory images and screen copies of the older family.
      {4014, &make<CQXPictureItem>},
      {4015, &make<CQXGraphMemItem>},
      {4016, &make<CQXDynaGraphMemV4Item>},
      {4017, &make<CQXScreenItem>},
      {4018, &make<CQXBackupV4Item>},
      {4019, &make<CQXSimlEquationItem>},
      {4020, &make<CQXPolyEquationItem>},
      {5012, &make<CQXFuncMemV5Item>},
      // Items of the newer family.
      {5002, &make<CQXGraphFuncV5Item>},
      {5004, &make<CQXMatrixV5Item>},
      {5005, &make<CQXListV5Item>},
      {5006, &make<CQXVWindowV5Item>},
      {5007, &make<CQXZoomFactorV5Item>},
      {5008, &make<CQXTableRangeV5Item>},
      {5009, &make<CQXRecursionV5Item>},
      {5010, &make<CQXAlphaMemItem>},
      {5014, &make<CQXPictureV5Item>},
      {5015, &make<CQXGraphMemV5Item>},
      {5016, &make<CQXDynaGraphMemItem>},
      {5018, &make<CQXBackupItem>},
      {5019, &make<CQXMemoryItem>},
      {5020, &make<CQXEquationResultItem>},
      {5023, &make<CQXCasMemItem>},
      {5024, &make<CQXAlgebraMemItem>},
      {5025, &make<CQXSimlCoefItem>},
      {5026, &make<CQXPolyCoefItem>},
      {5027, &make<CQXDiffEqItem>},
      {5028, &make<CQXDataLoggerItem>},
      {5990, &make<CQXAddInItem>},
  };
  return table;
}

}  // namespace

CQXItemCreateFunction ItemClassCreateFunction(int typeId) {
  const auto& table = classes();
  auto it = table.find(typeId);
  return it == table.end() ? nullptr : it->second;
}

CQXItemCreateFunction RegisterItemClass(int typeId, CQXItemCreateFunction create) {
  CQXItemCreateFunction previous = ItemClassCreateFunction(typeId);
  if (create)
    classes()[typeId] = create;
  else
    classes().erase(typeId);
  return previous;
}
