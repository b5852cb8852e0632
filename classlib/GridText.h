// The grid's plain-text exchange format (clipboard and drag and drop), apart
// from any window so that it can be checked alone.
//
// - Reading: the block ends at its first NUL or at its size, whichever comes
//   first. Lines end at "\n" (the last one at the end of the block); an
//   empty line ended by "\n" counts as " ". Runs of tabs and semicolons
//   separate fields and give no empty fields; each field is trimmed of
//   white space on both sides.
// - Writing: the fields of each line joined by "\t", the lines by "\n", one
//   NUL at the end.
#pragma once

#include <QByteArray>

#include <string>
#include <vector>

namespace tallix {

using GridTextLines = std::vector<std::vector<std::string>>;

GridTextLines parseGridText(const QByteArray& block);
QByteArray formatGridText(const GridTextLines& lines);

}  // namespace tallix
