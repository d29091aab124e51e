#pragma once

#include <QList>
#include <QPair>
#include <QString>

class QTextStream;

// What the markup colours cost: keystrokes, opening a page and the edits that colour the
// whole page at once, each with the colours on and off in the same run, and what a
// whole-page pass of QSyntaxHighlighter would cost instead. `pages` holds name and path.
void printHighlightCosts(const QList<QPair<QString, QString>> &pages, int keys, QTextStream &out);
