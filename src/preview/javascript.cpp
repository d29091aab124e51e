#include "preview/javascript.h"

#include <QFile>
#include <QHash>

QString javaScriptString(QStringView text)
{
    QString out;
    out.reserve(text.size() + text.size() / 16 + 2);
    out += u'"';
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool pairedSurrogate =
            (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ||
            (c.isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate());
        if (c == u'"' || c == u'\\') {
            out += u'\\';
            out += c;
        } else if (c.unicode() < 0x20 || c.unicode() == 0x2028 || c.unicode() == 0x2029 ||
                   (c.isSurrogate() && !pairedSurrogate)) {
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
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
