#include "preview/javascript.h"

#include <QFile>
#include <QHash>

// Runs of characters that need no escape are copied whole: the source of a page of
// megabytes goes through here.
QString javaScriptString(QStringView text)
{
    QString out;
    out.reserve(text.size() + text.size() / 8 + 2);
    out += u'"';
    const char16_t *const begin = text.utf16();
    const qsizetype size = text.size();
    qsizetype run = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = begin[i];
        if (c >= 0x20 && c != u'"' && c != u'\\' && (c < 0x2028 || c > 0x2029) &&
            !QChar::isSurrogate(c))
            continue;
        const bool pairedSurrogate =
            (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(begin[i + 1])) ||
            (QChar::isLowSurrogate(c) && i > 0 && QChar::isHighSurrogate(begin[i - 1]));
        if (pairedSurrogate)
            continue;
        out.append(QStringView(begin + run, i - run));
        run = i + 1;
        out += u'\\';
        if (c == u'"' || c == u'\\') {
            out += QChar(c);
        } else if (c == u'\r') {
            out += u'r';
        } else if (c == u'\n') {
            out += u'n';
        } else {
            static const char16_t Hex[] = u"0123456789abcdef";
            const char16_t escape[] = {u'u', Hex[c >> 12], Hex[(c >> 8) & 15], Hex[(c >> 4) & 15],
                                       Hex[c & 15]};
            out.append(QStringView(escape, 5));
        }
    }
    out.append(QStringView(begin + run, size - run));
    out += u'"';
    return out;
}

const QString &javaScriptResource(const QString &path)
{
    static QHash<QString, QString> scripts;
    const auto found = scripts.constFind(path);
    if (found != scripts.cend())
        return *found;
    QFile file(path);
    return *scripts.insert(path, file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll())
                                                                : QString());
}
