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

struct Child {
  std::string name;
  std::string description;
  bool folder;
};

// The children of `folder` in store order; none when it is missing.
std::vector<Child> childrenOf(COrvoItemStore* store, const std::string& folder) {
  std::vector<Child> out;
  OrvoFindHandle handle = nullptr;
  if (!store->FindFirst(folder.c_str(), &handle)) {
    if (handle) store->FindClose(handle);
    return out;
  }
  do {
    OrvoNodeInfo info;
    if (store->GetFoundInfo(handle, &info))
      out.push_back({info.path, info.description, (info.flags & kNodeFolder) != 0});
  } while (store->FindNext(handle));
  store->FindClose(handle);
  return out;
}

struct Collector {
  COrvoItemStore* store;
  std::vector<std::string>* paths;
  std::vector<std::string>* texts;

  void add(const std::string& path, const std::string& text) {
    paths->push_back(path);
    texts->push_back(text);
  }

  void walk(const std::string& folder, bool programs) {
    for (const Child& child : childrenOf(store, folder)) {
      const std::string path = folder + '\\' + child.name;
      if (child.folder) {
        if (child.name != "Display" && child.name != "Y=Data") walk(path, programs);
      } else if (ItemHasData(store, path)) {
        add(path, programs ? CLanguageLibrary::LoadStringA(kProgramString) + " \"" + child.description + '"'
                           : child.description);
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
    if (childrenOf(store, files).empty()) return;
    const std::string name = CLanguageLibrary::LoadStringA(kListFileString);
    for (int n = 1; n <= 6; ++n) {
      const std::string folder = files + "\\File" + std::to_string(n);
      for (const Child& child : childrenOf(store, folder)) {
        if (ItemHasData(store, folder + '\\' + child.name)) {
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
