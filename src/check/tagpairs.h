#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Start and end tags in page source, and the partner of each: the end tag that closes a start
// tag, or the start tag that an end tag closes. Nesting of the same name counts; comments and
// the contents of scripts and style sheets hold no tags.
namespace TagPairs {

struct Tag
{
    int start = 0; // the "<"
    int end = 0;   // just after the ">"
    QString name;  // in lower case
    bool closing = false;
    bool selfClosing = false; // "/>" or an element that never has an end tag
};

// The tag the caret at `caret` stands in, on the "<" or just after the ">" included.
std::optional<Tag> tagAt(QStringView text, int caret);
// The tag that `tag` pairs with, if the page has one; with `reach`, only one that lies at most
// that many characters away.
std::optional<Tag> partner(QStringView text, const Tag &tag, qsizetype reach = -1);

// The tag that begins at this "<", if one does.
std::optional<Tag> readTag(QStringView text, int start);
bool isVoid(const QString &name);

} // namespace TagPairs
