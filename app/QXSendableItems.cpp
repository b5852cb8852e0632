#include "app/QXSendableItems.h"

#include "datamodel/OrvoArchive.h"
#include "datamodel/OrvoItemStore.h"
#include "datamodel/OrvoItemStream.h"
#include "datamodel/OrvoStoreNode.h"
#include "platform/LanguageLibrary.h"

#include <cstring>

namespace {

constexpr UINT kProgramString = 10302;
constexpr UINT kListFileString = 10342;
constexpr UINT kEquationsString = 10327;
constexpr UINT kDiffEquationString = 10350;

constexpr char kProgramFolder[] = "\\Calculator\\Program";

struct Collector {
  COrvoItemStore* store;
  std::vector<std::string>* paths;
  std::vector<std::string>* texts;

  void add(const std::string& path, const std::string& text) {
    paths->push_back(path);
    texts->push_back(text);
  }

  void walk(const std::string& folder, bool programs) {
    for (const OrvoNodeInfo& child : ChildNodes(store, folder.c_str())) {
      const std::string name = child.path;
      const std::string path = folder + '\\' + name;
      if (child.flags & kNodeFolder) {
        if (name != "Display" && name != "Y=Data") walk(path, programs);
      } else if (ItemHasData(store, path)) {
        add(path, programs ? CLanguageLibrary::LoadStringA(kProgramString) + " \"" + child.description + '"'
                           : std::string(child.description));
      }
    }
  }

  // A single item, named by `text` or (empty) by its description.
  bool addIfData(const std::string& path, std::string text = {}) {
    if (!ItemHasData(store, path)) return false;
    if (text.empty()) {
      OrvoNodeInfo info;
      if (store->GetNodeInfo(path.c_str(), &info)) text = info.description;
    }
    add(path, text);
    return true;
  }

  void listFiles() {
    const std::string files = "\\Calculator\\File";
    if (ChildNodes(store, files.c_str()).empty()) return;
    const std::string name = CLanguageLibrary::LoadStringA(kListFileString);
    for (int n = 1; n <= 6; ++n) {
      const std::string folder = files + "\\File" + std::to_string(n);
      for (const OrvoNodeInfo& child : ChildNodes(store, folder.c_str())) {
        if (ItemHasData(store, folder + '\\' + child.path)) {
          add(folder, name + ' ' + std::to_string(n));
          break;
        }
      }
    }
  }
};

}  // namespace

BOOL ItemHasData(COrvoItemStore* store, const std::string& path) {
  COrvoItemStream stream(store);
  if (!stream.Open(path.c_str(), 1, FALSE)) return FALSE;
  DWORD length = 0;
  try {
    stream.GetLength(&length);
  } catch (const COrvoArchiveException&) {
    length = 0;
  }
  return length > 0;
}

std::vector<OrvoNodeInfo> ChildNodes(COrvoItemStore* store, const char* folder) {
  std::vector<OrvoNodeInfo> out;
  OrvoFindHandle handle = nullptr;
  if (!store || !folder || !store->FindFirst(folder, &handle)) return out;
  do {
    OrvoNodeInfo info;
    if (store->GetFoundInfo(handle, &info)) out.push_back(info);
  } while (store->FindNext(handle));
  store->FindClose(handle);
  return out;
}

BOOL CollectSendableItems(COrvoItemStore* store, std::vector<std::string>* paths, std::vector<std::string>* texts) {
  OrvoNodeInfo root;
  if (!store || !store->IsOpen() || !paths || !texts || !store->GetNodeInfo("\\Calculator", &root)) return FALSE;
  Collector c{store, paths, texts};
  c.walk("\\Calculator\\Y=Data", false);
  c.walk(kProgramFolder, true);
  c.walk("\\Calculator\\Matrix", false);
  c.walk("\\Calculator\\List", false);
  c.listFiles();
  c.walk("\\Calculator\\VWin", false);
  // The calculator takes one equation pair: when both are filled only the
  // simultaneous one goes.
  const std::string equations = CLanguageLibrary::LoadStringA(kEquationsString);
  if (!c.addIfData("\\Calculator\\Equation\\SimlEquation", equations))
    c.addIfData("\\Calculator\\Equation\\PolyEquation", equations);
  c.addIfData("\\Calculator\\Equation\\DiffEquation", CLanguageLibrary::LoadStringA(kDiffEquationString));
  c.walk("\\Calculator\\Picture", false);
  c.walk("\\Calculator\\Memory", false);
  for (const char* path : {"\\Calculator\\Variable", "\\Calculator\\FMem", "\\Calculator\\FMemV5"}) c.addIfData(path);
  return TRUE;
}
