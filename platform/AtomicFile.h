// Whole-file writes that never leave a half-written file behind: the data goes
// to a temporary file beside the target, which is renamed over it only when
// everything was written and flushed.
#pragma once

#include <QByteArray>
#include <QString>

namespace tallix {

bool writeFileAtomically(const QString& path, const QByteArray& data, QString* error = nullptr);

// Reads a whole file; false (and `data` empty) when it cannot be read.
bool readWholeFile(const QString& path, QByteArray* data);

// File names arrive as 8-bit strings from the data model; on this system they
// are in the local 8-bit encoding (UTF-8).
QString filePathFromBytes(const char* path);

}  // namespace tallix
