#pragma once

#include <QList>
#include <QPair>
#include <QString>

class QTextStream;

// Reading and saving each page (name, path) as CR LF, LF and UTF-16 pages, against a plain read
// and write of the same bytes, `rounds` times each; prints one table.
void printPageFileFigures(const QList<QPair<QString, QString>> &pages, const QString &folder,
                          int rounds, QTextStream &out);
