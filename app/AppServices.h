// Process-wide services of the application that every window of the program
// uses: splitting file paths and the two image lists of folder and item
// pictures. The messages registered by name are app/QXAppMessages.h.
#pragma once

#include "platform/WinTypes.h"

#include <QString>

class CImageList;

// Directory and name of a file path, split at its last '/'; FALSE (outputs
// untouched) when the path holds none. Either output may be null.
BOOL SplitFilePath(const QString& path, QString* directory, QString* name);

// The small (16 x 16, TRUE) or large (32 x 32, FALSE) image list of the
// tree and icon views: 0-3 folder pictures, 4 and 5 item pictures. Empty
// until BuildAppImageLists ran.
CImageList* GetAppImageList(BOOL small);
// (Re)builds both lists from the language library's icons 7370, 7370, 7365,
// 7366, 7367 and 7368; the number of images of the list that holds fewer.
int BuildAppImageLists();
