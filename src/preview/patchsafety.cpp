#include "preview/patchsafety.h"

#include "core/textchange.h"

#include "core/textencoding.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstdlib>

namespace {
const QRegularExpression &activeContent()
{
    static const QRegularExpression pattern(
        QStringLiteral("<(?:script|iframe|frame|object|embed|applet|noscript|template|base|"
                       "portal|fencedframe)|\\bon[a-z]+\\s*=|http-equiv\\s*=\\s*[\"']?\\s*"
                       "(?:refresh|set-cookie|content-security-policy|default-style)"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

const QLatin1String Charset("charset");

// Browsers look for the encoding declaration in the first 1024 bytes of a file; a change
// before a declaration near that point may move it into or out of reach.
constexpr qsizetype DeclarationReach = 1024;
// What the preview file holds ahead of the text, at most, and the room a declaration takes
// around the word "charset".
constexpr qsizetype HeadBytes = 160;
constexpr qsizetype DeclarationRoom = 64;

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

enum class Reach
{
    Within,
    Unsure,
    Beyond
};

// A character takes one to three bytes in the file.
Reach reachOf(qsizetype at)
{
    if (3 * (at + DeclarationRoom) + HeadBytes < DeclarationReach)
        return Reach::Within;
    if (at - DeclarationRoom > DeclarationReach)
        return Reach::Beyond;
    return Reach::Unsure;
}

bool declarationMayMove(QStringView after, const TextChange &change)
{
    const qsizetype shift = change.inserted - change.removed;
    const qsizetype last = DeclarationReach + DeclarationRoom + std::abs(shift);
    for (qsizetype at = after.indexOf(Charset, change.start + change.inserted, Qt::CaseInsensitive);
         at >= 0 && at <= last; at = after.indexOf(Charset, at + 1, Qt::CaseInsensitive)) {
        const Reach now = reachOf(at);
        if (now == Reach::Unsure || now != reachOf(at - shift))
            return true;
    }
    return false;
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
    return declarationMayMove(after, change);
}

} // namespace PatchSafety
