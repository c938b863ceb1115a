#include "saveaside.h"

#include <QSaveFile>

SaveAsideResult saveAside(const QString &fileName, const std::function<bool(QIODevice *)> &write)
{
    SaveAsideResult result;
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        result.errorString = file.errorString();
        return result;
    }
    result.opened = true;
    // commit() flushes the buffered bytes without noticing a short write (a
    // full disk), and would then rename the cut-off file over the old one.
    if (write(&file) && file.flush() && file.commit()) {
        result.saved = true;
        return result;
    }
    result.errorString = file.errorString();
    file.cancelWriting();
    return result;
}
