#pragma once

#include <QString>

#include <functional>

class QIODevice;

// Writes a file aside and renames it over the target only once the whole of
// it is written, so a failed write never leaves a cut-off file in place of
// a good one. Where the folder takes no new file, an existing one is
// written directly.
//
// `write` fills the open file and returns false when a write failed; the
// result says whether the file opened and, on failure, why it was not saved.
struct SaveAsideResult
{
    bool saved = false;
    bool opened = false;
    QString errorString;
};

SaveAsideResult saveAside(const QString &fileName, const std::function<bool(QIODevice *)> &write);
