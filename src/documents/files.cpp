#include "files.h"

#include <QFile>
#include <QFileInfo>

bool Fexists(const QString &path)
{
    if (path.isEmpty() || QFileInfo(path).isDir())
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}
