#pragma once

#include <QStringView>

// Where two versions of a text differ: `removed` characters at `start` of the one became
// `inserted` characters in the other.
struct TextChange
{
    qsizetype start = 0;
    qsizetype removed = 0;
    qsizetype inserted = 0;

    // The smallest such change, found from both ends.
    static TextChange between(QStringView before, QStringView after);
};
