// The shell's "open" verb: hands an address or a file to the program the
// desktop associates with it (browser, mail program, viewer).
#pragma once

#include <QString>

#include <functional>

namespace tallix {

// `target` is an address with a scheme ("https://...", "mailto:...") or a
// local file path. False when it is empty or nothing could open it.
bool ShellOpen(const QString& target);

// Replaces how targets are opened (null: the desktop's own). Tests install
// one so that nothing is ever started. Returns the previous handler.
using ShellOpenHandler = std::function<bool(const QString& target)>;
ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler);

}  // namespace tallix
