#include "check/tagpairs.h"

#include <QLatin1String>

#include <algorithm>
#include <array>

namespace {
// A caret further than this from its tag's "<" is taken to be in text.
constexpr int TagReach = 8192;

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'-' || c == u':' || c == u'_' || c == u'.';
}

// Just after the ">" that ends the tag at `start`; quoted values may hold ">".
qsizetype tagEnd(QStringView text, qsizetype start)
{
    QChar quote;
    for (qsizetype i = start + 1; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            if (i > 0 && text.at(i - 1) == u'=')
                quote = c;
        } else if (c == u'>') {
            return i + 1;
        } else if (c == u'<') {
            return -1;
        }
    }
    return -1;
}

bool holdsRawText(const QString &name)
{
    return name == QLatin1String("script") || name == QLatin1String("style");
}
} // namespace

namespace TagPairs {

bool isVoid(const QString &name)
{
    static const std::array<QLatin1String, 14> names = {
        QLatin1String("area"),  QLatin1String("base"),  QLatin1String("br"),
        QLatin1String("col"),   QLatin1String("embed"), QLatin1String("hr"),
        QLatin1String("img"),   QLatin1String("input"), QLatin1String("link"),
        QLatin1String("meta"),  QLatin1String("param"), QLatin1String("source"),
        QLatin1String("track"), QLatin1String("wbr")};
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::optional<Tag> readTag(QStringView text, int start)
{
    if (start < 0 || start >= text.size() || text.at(start) != u'<')
        return std::nullopt;
    Tag tag;
    tag.start = start;
    qsizetype i = start + 1;
    if (i < text.size() && text.at(i) == u'/') {
        tag.closing = true;
        ++i;
    }
    if (i >= text.size() || !text.at(i).isLetter())
        return std::nullopt;
    const qsizetype nameStart = i;
    while (i < text.size() && isNameChar(text.at(i)))
        ++i;
    tag.name = text.mid(nameStart, i - nameStart).toString().toLower();
    const qsizetype end = tagEnd(text, i - 1);
    if (end < 0)
        return std::nullopt;
    tag.end = int(end);
    tag.selfClosing = !tag.closing && (text.at(end - 2) == u'/' || isVoid(tag.name));
    return tag;
}

std::optional<Tag> tagAt(QStringView text, int caret)
{
    caret = std::clamp(caret, 0, int(text.size()));
    int start = -1;
    if (caret < text.size() && text.at(caret) == u'<') {
        start = caret;
    } else {
        for (int i = caret - 1; i >= std::max(0, caret - TagReach); --i) {
            if (text.at(i) == u'<') {
                start = i;
                break;
            }
            if (text.at(i) == u'>' && i != caret - 1)
                return std::nullopt;
        }
    }
    std::optional<Tag> tag = readTag(text, start);
    if (!tag || caret > tag->end)
        return std::nullopt;
    return tag;
}

std::optional<Tag> partner(QStringView text, const Tag &tag, qsizetype reach)
{
    const qsizetype last = reach < 0 ? text.size() : tag.end + reach;
    const qsizetype first = reach < 0 ? 0 : tag.start - reach;
    if (tag.selfClosing)
        return std::nullopt;
    if (holdsRawText(tag.name)) {
        // Their contents are text: the nearest tag of the other kind pairs.
        const qsizetype at =
            tag.closing
                ? (tag.start == 0 ? -1
                                  : text.lastIndexOf(QLatin1String("<") + tag.name, tag.start - 1,
                                                     Qt::CaseInsensitive))
                : text.indexOf(QLatin1String("</") + tag.name, tag.end, Qt::CaseInsensitive);
        std::optional<Tag> other = readTag(text, int(at));
        if (!other || other->closing == tag.closing || other->name != tag.name)
            return std::nullopt;
        return other;
    }
    int depth = 0;
    if (!tag.closing) {
        for (qsizetype at = text.indexOf(u'<', tag.end); at >= 0 && at <= last;
             at = text.indexOf(u'<', at)) {
            if (text.mid(at).startsWith(u"<!--")) {
                const qsizetype close = text.indexOf(u"-->", at + 4);
                if (close < 0)
                    return std::nullopt;
                at = close + 3;
                continue;
            }
            const std::optional<Tag> next = readTag(text, int(at));
            if (!next) {
                ++at;
                continue;
            }
            at = next->end;
            if (next->name == tag.name) {
                if (next->closing && depth-- == 0)
                    return next;
                if (!next->closing && !next->selfClosing)
                    ++depth;
            } else if (!next->closing && holdsRawText(next->name)) {
                const QString close = QLatin1String("</") + next->name;
                at = text.indexOf(close, at, Qt::CaseInsensitive);
                if (at < 0)
                    return std::nullopt;
            }
        }
        return std::nullopt;
    }
    // Nothing before the reach is searched: on a long page without comments a search back to
    // its start would cost every keystroke.
    const auto before = [&text, from = std::max<qsizetype>(first, 0)](QStringView what,
                                                                      qsizetype at) {
        if (at <= from)
            return qsizetype(-1);
        const qsizetype found = text.sliced(from).lastIndexOf(what, at - 1 - from);
        return found < 0 ? found : from + found;
    };
    qsizetype commentEnd = before(u"-->", tag.start);
    for (qsizetype at = before(u"<", tag.start); at >= 0 && at >= first; at = before(u"<", at)) {
        if (at < commentEnd) { // skip the comment that ends there
            at = before(u"<!--", commentEnd);
            if (at < 0)
                return std::nullopt;
            commentEnd = before(u"-->", at);
            continue;
        }
        const std::optional<Tag> previous = readTag(text, int(at));
        if (!previous || previous->end > tag.start)
            continue;
        if (previous->name == tag.name) {
            if (!previous->closing && !previous->selfClosing && depth-- == 0)
                return previous;
            if (previous->closing)
                ++depth;
        } else if (previous->closing && holdsRawText(previous->name)) {
            const QString open = QLatin1String("<") + previous->name;
            at = at == 0 ? -1 : text.lastIndexOf(open, at - 1, Qt::CaseInsensitive);
            if (at < 0)
                return std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace TagPairs
