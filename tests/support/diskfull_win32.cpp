#include "diskfull.h"

FileSizeCap::FileSizeCap(qint64)
{
}

FileSizeCap::~FileSizeCap() = default;

QString alwaysFullDevice()
{
    return QString();
}
