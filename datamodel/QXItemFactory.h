// The item type ids, their classes and display names, and the two ways of
// creating an item from a type id: the factory of the commands that create a
// new item, and create-by-type-id when a document is loaded.
#pragma once

#include "datamodel/QXCalcItem.h"

#include <vector>

struct CQXItemTypeInfo {
  int typeId;
  const char* className;
  UINT displayStringId;  // string of the language library
  bool factory;          // a new item of this type can be created by command
  bool loadable;         // created empty when a document entry of this type is loaded
};

// Every item type id with its class and display string.
const std::vector<CQXItemTypeInfo>& ItemTypeTable();
const CQXItemTypeInfo* FindItemTypeInfo(int typeId);

// The type ids of the factory table, in its order.
const std::vector<int>& FactoryTypeIds();

using CQXItemCreateFunction = CQXCalcItem* (*)();

// Sets the class behind a type id (null: none) and returns the previous one.
// The program's classes are listed in QXItemClasses.cpp; tests put stand-ins.
CQXItemCreateFunction RegisterItemClass(int typeId, CQXItemCreateFunction create);

// TRUE when the factory table has a row for the type id.
BOOL HasItemFactory(int typeId);
// The create function of the row, or null (also while the class of that
// type is not part of the program yet).
CQXItemCreateFunction FindItemFactory(int typeId);

// Builds a new item of `typeId` into `entry` (the class's own set-up of a new
// item runs), names the entry from `path` and marks it new (flags 2).
BOOL CreateItemFromFactory(int typeId, const char* path, CQXDocEntry* entry, CQXDocServices* doc);

// An empty item for a loadable type id, or null for any other id.
CQXCalcItem* CreateItemByTypeId(int typeId);

// Sets the entry's path and names its item by type (see the source).
BOOL ApplyEntryPathToItem(CQXDocEntry* entry, const char* path, CQXDocServices* doc);

// A picture made by the factory gets the model's screen format and a zeroed
// plane buffer. FALSE when the model has no screen format, the buffer cannot
// be had or the picture refuses the format (a message says which).
BOOL PrepareNewItem(const char* model, CQXDocEntry* entry);
