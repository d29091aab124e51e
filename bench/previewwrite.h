#pragma once

#include <QList>
#include <QPair>

class QString;
class QTextStream;

// What writing the preview costs a keystroke: the file written over in place, as before, and
// written whole beside it and renamed into place, as now, in turns in the same run. Pages
// are (name, path) pairs; prints one table.
void measurePreviewWrite(QTextStream &out, const QList<QPair<QString, QString>> &pages,
                         const QString &folder, int rounds);
