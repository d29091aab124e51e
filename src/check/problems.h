#pragma once

#include <QList>
#include <QString>

// What is wrong with a page's markup: elements not closed or closed out of order, stray end
// tags, duplicate ids, images without alt text, unknown elements, and links, images, scripts
// and style sheets that name local files that do not exist. Plain value code, safe to run on
// any thread.
namespace Problems {

struct Problem
{
    int start = 0; // in the text checked
    int length = 0;
    QString message;

    bool operator==(const Problem &other) const
    {
        return start == other.start && length == other.length && message == other.message;
    }
};

// Bytes that are not text: control characters, or a NUL.
bool looksBinary(const QString &text);
// `folder` is the page's own, against which relative references are looked up; empty for none.
QList<Problem> find(const QString &text, const QString &folder);

} // namespace Problems
