#include "patchsafety.h"

#include "textchange.h"

#include "platform/textencoding.h"

#include <QRegularExpression>

#include <algorithm>

namespace {
const QRegularExpression &activeContent()
{
    static const QRegularExpression pattern(
        QStringLiteral("<(?:script|iframe|frame|object|embed|applet|noscript|template|base|"
                       "portal|fencedframe)|http-equiv|\\bon[a-z]+\\s*="),
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

const QLatin1String Charset("charset");

// Browsers look for the encoding declaration in the first 1024 bytes of a file; a change
// before that point may move a declaration into or out of reach.
constexpr qsizetype DeclarationReach = 1024;

bool representable(QStringView text, const TextEncoding &encoding)
{
    if (encoding.codec() == TextEncoding::Utf8)
        return true;
    QByteArray bytes;
    encoding.appendEncoded(bytes, text);
    return bytes.size() == text.size();
}

bool isWordOrSpace(QChar c)
{
    return c.isLetter() || c.isSpace();
}

// The stretch of `text` around [start, end) that holds every pattern match touching it: an
// event-handler name and its "=" may have any letters and white space between them.
QStringView around(QStringView text, qsizetype start, qsizetype end)
{
    constexpr qsizetype Margin = 16;
    while (start > 0 && isWordOrSpace(text[start - 1]))
        --start;
    while (end < text.size() && isWordOrSpace(text[end]))
        ++end;
    start = std::max<qsizetype>(0, start - Margin);
    end = std::min(text.size(), end + Margin);
    return text.mid(start, end - start);
}

bool touchesActiveContentOrCharset(QStringView stretch)
{
    return stretch.contains(Charset, Qt::CaseInsensitive) ||
           activeContent().match(stretch).hasMatch();
}
} // namespace

namespace PatchSafety {

// In pieces, each with what a match across its end needs: most pages with scripts name one
// near their start, and the expression checks the whole of the text it is given first.
bool hasActiveContent(QStringView text, const TextEncoding &encoding)
{
    constexpr qsizetype Piece = 8192;
    for (qsizetype start = 0; start < text.size(); start += Piece) {
        if (activeContent()
                .match(around(text, start, std::min(text.size(), start + Piece)))
                .hasMatch())
            return true;
    }
    return !representable(text, encoding);
}

bool changeNeedsReload(QStringView before, QStringView after, const TextChange &change,
                       const TextEncoding &encoding)
{
    if (!representable(after.mid(change.start, change.inserted), encoding))
        return true;
    if (touchesActiveContentOrCharset(
            around(after, change.start, change.start + change.inserted)) ||
        touchesActiveContentOrCharset(around(before, change.start, change.start + change.removed)))
        return true;
    return change.start < DeclarationReach &&
           (before.first(std::min(before.size(), 2 * DeclarationReach))
                .contains(Charset, Qt::CaseInsensitive) ||
            after.first(std::min(after.size(), 2 * DeclarationReach))
                .contains(Charset, Qt::CaseInsensitive));
}

} // namespace PatchSafety
