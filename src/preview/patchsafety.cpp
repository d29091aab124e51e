#include "preview/patchsafety.h"

#include "core/textchange.h"

#include "core/textencoding.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cstdlib>

namespace {
// An event handler is an attribute: it is looked for after a tag's name, never in prose or in
// a code sample between tags ("ONLY =", "worker.onmessage =").
const QString EventHandler = QStringLiteral("\\son[a-z]+\\s*=");

const QRegularExpression &activeContent()
{
    static const QRegularExpression pattern(
        QStringLiteral("<(?:%1)\\b|<[a-z][^<>]*%2|http-equiv\\s*=\\s*[\"']?\\s*(?:%3)\\b")
            .arg(PatchSafety::reloadElements().join(u'|'), EventHandler,
                 PatchSafety::reloadHttpEquivs().join(u'|')),
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

const QRegularExpression &eventHandler()
{
    static const QRegularExpression pattern(EventHandler,
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
// How far a tag is followed to its end, or back to its start.
constexpr qsizetype TagReach = 4096;

// Only a Windows-1252 page writes some characters as references; the others hold them all.
bool representable(QStringView text, const TextEncoding &encoding)
{
    if (encoding.codec() != TextEncoding::Windows1252)
        return true;
    QByteArray bytes;
    encoding.appendEncoded(bytes, text);
    return bytes.size() == text.size();
}

// A byte-order mark settles the encoding, whatever the page declares.
bool declarationMatters(const TextEncoding &encoding)
{
    return encoding.codec() == TextEncoding::Utf8 && !encoding.hasByteOrderMark();
}

bool isWordOrSpace(QChar c)
{
    return c.isLetter() || c.isSpace();
}

// The stretch of `text` around [start, end) that holds every pattern match touching it: an
// event-handler name and its "=" may have any letters and white space between them, and a tag
// is taken to its end.
QStringView around(QStringView text, qsizetype start, qsizetype end)
{
    constexpr qsizetype Margin = 16;
    while (start > 0 && isWordOrSpace(text[start - 1]))
        --start;
    while (end < text.size() && isWordOrSpace(text[end]))
        ++end;
    start = std::max<qsizetype>(0, start - Margin);
    end = std::min(text.size(), end + Margin);
    const qsizetype tagEnd = text.mid(end, std::min(TagReach, text.size() - end)).indexOf(u'>');
    if (tagEnd >= 0)
        end += tagEnd + 1;
    return text.mid(start, end - start);
}

// The change lies between a "<" and the ">" that ends it: inside a tag.
bool insideTag(QStringView text, qsizetype at)
{
    for (qsizetype i = at - 1; i >= 0 && i >= at - TagReach; --i) {
        if (text[i] == u'>')
            return false;
        if (text[i] == u'<')
            return true;
    }
    return false;
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
    // Only the start of the text is searched: on a long page a search to its end would cost
    // every keystroke far from the start.
    const QStringView reach = after.first(std::min(after.size(), last + Charset.size()));
    for (qsizetype at = reach.indexOf(Charset, change.start + change.inserted, Qt::CaseInsensitive);
         at >= 0; at = reach.indexOf(Charset, at + 1, Qt::CaseInsensitive)) {
        const Reach now = reachOf(at);
        if (now == Reach::Unsure || now != reachOf(at - shift))
            return true;
    }
    return false;
}

bool touches(QStringView text, qsizetype start, qsizetype end, const TextEncoding &encoding)
{
    const QStringView stretch = around(text, start, end);
    if (declarationMatters(encoding) && stretch.contains(Charset, Qt::CaseInsensitive))
        return true;
    if (activeContent().match(stretch).hasMatch())
        return true;
    // In a long tag the tag's name lies out of the stretch's reach.
    return insideTag(text, start) && eventHandler().match(stretch).hasMatch();
}
} // namespace

namespace PatchSafety {

const QStringList &reloadElements()
{
    static const QStringList elements{
        QStringLiteral("script"),   QStringLiteral("iframe"),   QStringLiteral("frame"),
        QStringLiteral("frameset"), QStringLiteral("object"),   QStringLiteral("embed"),
        QStringLiteral("applet"),   QStringLiteral("noscript"), QStringLiteral("template"),
        QStringLiteral("base"),     QStringLiteral("portal"),   QStringLiteral("fencedframe")};
    return elements;
}

const QStringList &reloadHttpEquivs()
{
    static const QStringList values{QStringLiteral("refresh"), QStringLiteral("set-cookie"),
                                    QStringLiteral("content-security-policy"),
                                    QStringLiteral("default-style")};
    return values;
}

QString scriptRules()
{
    const auto array = [](const QStringList &names) {
        return QStringLiteral("['") + names.join(QStringLiteral("','")) + QStringLiteral("']");
    };
    return QStringLiteral("{elements:%1,httpEquivs:%2}")
        .arg(array(reloadElements()), array(reloadHttpEquivs()));
}

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
    if (touches(after, change.start, change.start + change.inserted, encoding) ||
        touches(before, change.start, change.start + change.removed, encoding))
        return true;
    return declarationMatters(encoding) && declarationMayMove(after, change);
}

} // namespace PatchSafety
