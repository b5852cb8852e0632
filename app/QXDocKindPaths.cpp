// Where a received or imported item is filed: its kind code gives the
// folder, and for the kinds that exist several times, the item its name.
#include "app/QXDocItemOps.h"

#include "datamodel/HeaderKinds.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXImageItems.h"
#include "datamodel/QXImageV5Items.h"
#include "datamodel/QXMatrixItems.h"
#include "datamodel/QXMemImageItems.h"
#include "datamodel/QXMemberFileItems.h"
#include "datamodel/QXNumericV5Items.h"
#include "datamodel/QXValueSetItems.h"
#include "platform/LanguageLibrary.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

constexpr const char* kRoot = "\\Calculator\\";

// A name the calculator gave: one path component, so neither empty nor
// holding a separator.
bool IsComponent(const std::string& name) { return !name.empty() && name.find('\\') == std::string::npos; }

// Each component of a relative path (from the item classes' own tables).
bool IsRelativePath(const std::string& path) {
  if (path.empty() || path.front() == '\\' || path.back() == '\\') return false;
  return path.find("\\\\") == std::string::npos;
}

template <class Item, class Getter>
bool NameOf(CQXCalcItem* item, Getter get, std::string* out) {
  auto* typed = dynamic_cast<Item*>(item);
  if (!typed) return false;
  char buffer[256] = "";
  if (!(typed->*get)(buffer, sizeof buffer)) return false;
  *out = buffer;
  return true;
}

// "<folder>\<name>" from the item's two getters.
template <class Item, class FolderGetter, class NameGetter>
bool FolderAndNameOf(CQXCalcItem* item, FolderGetter folderOf, NameGetter nameOf, std::string* relative,
                     std::string* name) {
  std::string folder;
  if (!NameOf<Item>(item, folderOf, &folder) || !NameOf<Item>(item, nameOf, name) || !IsRelativePath(folder))
    return false;
  *relative = folder + "\\" + *name;
  return true;
}

// `folder` and the stored name of a newer picture or graph memory.
bool StoredNameIn(CQXCalcItem* item, const char* folder, std::string* relative, std::string* name) {
  auto* named = dynamic_cast<CQXNamedBytesItem*>(item);
  char buffer[64] = "";
  if (!named || named->GetDocName(buffer, sizeof buffer) <= 0) return false;
  *name = buffer;
  *relative = std::string(folder) + *name;
  return true;
}

void DropItem(CQXDocEntry* entry) { entry->SetItem(nullptr); }

}  // namespace

BOOL CQXDocItemOps::StoreReceivedItem(CQXDocEntry* entry, DWORD flags) {
  if (!entry) return FALSE;
  entry->SetFlags(flags);
  CQXCalcItem* item = entry->GetItem();
  std::string name, relative;
  try {
    switch (entry->GetKind()) {
      case kKindProgram:
        // Its node name and own name are settled when it is filed.
        return entry->SetPath("\\Calculator\\Program\\Program") > 0;
      case 4001:
        if (!NameOf<CQXMatrixItem>(item, &CQXMatrixItem::GetDocName, &name)) return FALSE;
        relative = "Matrix\\" + name;
        break;
      case 4002: {
        auto* list = dynamic_cast<CQXListItem*>(item);
        if (!list) return FALSE;
        if (list->GetValues().GetFirstCount() == 0) {
          DropItem(entry);
          return TRUE;
        }
        if (!FolderAndNameOf<CQXListItem>(item, &CQXListItem::GetDocFolder, &CQXListItem::GetDocName, &relative,
                                          &name))
          return FALSE;
        break;
      }
      case 4004:
      case 4005:
      case 5012: relative = "Y=Data\\GraphFunctions"; break;
      case 4006:
        if (!FolderAndNameOf<CQXVWindowItem>(item, &CQXVWindowItem::GetDocFolder, &CQXVWindowItem::GetDocName,
                                             &relative, &name))
          return FALSE;
        break;
      case 4007:
      case 5010: relative = "Y=Data\\GraphFactor"; break;
      case 4008:
      case 5011: relative = "Y=Data\\TableRange"; break;
      case 4009:
      case 5013: relative = "Y=Data\\Recursion"; break;
      case 4013:
      case 4014:
      case 5005: relative = "Variable"; break;
      case 4015: relative = "FMem"; break;
      case 4017: relative = "Equation\\SimlEquation"; break;
      case 4018: relative = "Equation\\PolyEquation"; break;
      case 4019:
        if (!NameOf<CQXPictureItem>(item, &CQXPictureItem::GetDocName, &name)) return FALSE;
        relative = "Picture\\" + name;
        break;
      case 4020:
        if (!NameOf<CQXGraphMemItem>(item, &CQXGraphMemItem::GetDocName, &name)) return FALSE;
        relative = "Memory\\GMem\\" + name;
        break;
      case 4021:
      case 5017: relative = "Memory\\DynMem"; break;
      case 4022:
      case 4023: {
        char display[64];
        std::snprintf(display, sizeof display, "%s_%08u", "Display", unsigned(m_host->NextUniqueNumber()));
        relative = std::string("Display\\") + display;
        if (auto* screen = dynamic_cast<CQXScreenItem*>(item))
          screen->SetText(CLanguageLibrary::LoadStringA(10343).c_str());
        break;
      }
      case 4024:
      case 5024:
        // A backup: offered for a backup file, not filed.
        return entry->SetPath("") > 0;
      case 5001:
        if (!NameOf<CQXMatrixV5Item>(item, &CQXMatrixV5Item::GetDocName, &name)) return FALSE;
        relative = "Matrix\\" + name;
        break;
      case 5002:
        if (!NameOf<CQXListV5Item>(item, &CQXListV5Item::GetDocPath, &relative)) return FALSE;
        name = static_cast<CQXListV5Item*>(item)->GetName();
        break;
      case 5003: {
        auto* members = dynamic_cast<CQXMemberFileItem*>(item);
        char block[64] = "";
        if (!members || members->GetBlockList().GetCount() == 0 ||
            !members->GetBlockList().GetAt(0)->GetName(block, sizeof block))
          return FALSE;
        name = block;
        relative = "Memory\\" + name;
        break;
      }
      case 5004:
        if (!NameOf<CQXVWindowV5Item>(item, &CQXVWindowV5Item::GetDocPath, &relative)) return FALSE;
        name = static_cast<CQXVWindowV5Item*>(item)->GetName();
        break;
      case 5006:
      case 5007: {
        auto* coefficients = dynamic_cast<CQXEquationCoefItem*>(item);
        if (!coefficients) return FALSE;
        if (coefficients->GetRows() == 0 || coefficients->GetColumns() == 0 || !coefficients->HasReal()) {
          DropItem(entry);
          return TRUE;
        }
        name = coefficients->GetName();
        relative = "Equation\\" + name;
        break;
      }
      case 5008: {
        // Equation results are not filed.
        auto* result = dynamic_cast<CQXEquationResultItem*>(item);
        if (!result) return FALSE;
        entry->SetPath((std::string(kRoot) + "Equation\\" + result->GetName()).c_str());
        DropItem(entry);
        return TRUE;
      }
      case 5016:
        if (!StoredNameIn(item, "Picture\\", &relative, &name)) return FALSE;
        break;
      case 5018:
        if (!StoredNameIn(item, "Memory\\GMem\\", &relative, &name)) return FALSE;
        break;
      case 5019: relative = "FMemV5"; break;
      case 5020: relative = "Memory\\CAS Memory"; break;
      case 5021: relative = "Memory\\Algebra Memory"; break;
      case 5022: relative = "Equation\\DiffEquation"; break;
      case 5023: relative = "Memory\\E-CON"; break;
      case 5026: {
        if (!NameOf<CQXAddInItem>(item, &CQXAddInItem::GetName, &name)) return FALSE;
        name = name.substr(0, 31);
        relative = "Memory\\AddIn\\" + name;
        break;
      }
      default: return FALSE;
    }
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
  // Names from the calculator become path components: an empty one or one
  // holding a separator would file the item somewhere else.
  if (!name.empty() && !IsComponent(name)) return FALSE;
  if (!IsRelativePath(relative)) return FALSE;
  const std::string path = kRoot + relative;
  if (path.size() > 255) return FALSE;
  return entry->SetPath(path.c_str()) > 0;
}
