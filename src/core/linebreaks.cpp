#include "core/linebreaks.h"

namespace {
constexpr QChar CR = u'\r';
constexpr QChar LF = u'\n';

// A line break other than CR LF would make a line of its own in the document, or none at all.
QChar shownCharacter(QChar c)
{
    switch (c.unicode()) {
    case u'\r':
        return QChar(0x240D); // SYMBOL FOR CARRIAGE RETURN
    case u'\n':
        return QChar(0x240A); // SYMBOL FOR LINE FEED
    case QChar::LineSeparator:
    case QChar::ParagraphSeparator:
        return QChar(0x2424); // SYMBOL FOR NEWLINE
    case 0xFDD0:              // the document's own frame marks
    case 0xFDD1:
        return QChar::ReplacementCharacter;
    default:
        return c;
    }
}

// A lone CR ends a line as a CR LF does, and the last line ends with a line break.
QString crLfPageAsEdited(QString text)
{
    qsizetype loneCrs = 0;
    for (qsizetype i = text.indexOf(u'\r'); i >= 0; i = text.indexOf(u'\r', i + 1)) {
        if (i + 1 == text.size() || text.at(i + 1) != u'\n')
            ++loneCrs;
    }
    if (loneCrs > 0) {
        QString lines;
        lines.reserve(text.size() + loneCrs + 2);
        qsizetype from = 0;
        for (qsizetype i = text.indexOf(u'\r'); i >= 0; i = text.indexOf(u'\r', i + 1)) {
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                continue;
            lines.append(QStringView(text).sliced(from, i + 1 - from));
            lines.append(u'\n');
            from = i + 1;
        }
        lines.append(QStringView(text).sliced(from));
        text = std::move(lines);
    }
    if (!text.isEmpty() && !text.endsWith(u'\n'))
        text.append(QLatin1String("\r\n"));
    return text;
}

// A page whose line breaks are mostly LF, as the editor holds it: each LF a CR LF, so that it
// is saved back as LF. The CR of a stray CR LF stays and is saved back with it; any other CR
// ends a line, as in every page; the last line ends with a line break.
QString lfPageAsEdited(const QString &text)
{
    QString lines(2 * text.size() + 2, Qt::Uninitialized);
    QChar *out = lines.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool lineEnd =
            c == u'\n' || (c == u'\r' && (i + 1 == text.size() || text.at(i + 1) != u'\n'));
        if (lineEnd) {
            *out++ = u'\r';
            *out++ = u'\n';
        } else {
            *out++ = c;
        }
    }
    if (!text.isEmpty() && !lines.first(out - lines.constData()).endsWith(u'\n')) {
        *out++ = u'\r';
        *out++ = u'\n';
    }
    lines.truncate(out - lines.constData());
    return lines;
}

} // namespace

namespace LineBreaks {
// More lone LFs than CR LFs: the page's own line break is LF.
LineBreakForm formOf(const QString &text)
{
    const qsizetype lineFeeds = text.count(u'\n');
    const qsizetype crLfs = text.count(QLatin1String("\r\n"));
    return lineFeeds - crLfs > crLfs ? LineBreakForm::Lf : LineBreakForm::CrLf;
}

// Each CR LF as LF.
QString crLfsAsLf(const QString &text)
{
    QString lines(text.size(), Qt::Uninitialized);
    QChar *out = lines.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != u'\r' || i + 1 == text.size() || text.at(i + 1) != u'\n')
            *out++ = text.at(i);
    }
    lines.truncate(out - lines.constData());
    return lines;
}

QString asEdited(QString text, LineBreakForm form)
{
    return form == LineBreakForm::Lf ? lfPageAsEdited(text) : crLfPageAsEdited(std::move(text));
}

bool isCrLfAt(QStringView text, qsizetype index)
{
    return index + 1 < text.size() && text.at(index) == CR && text.at(index + 1) == LF;
}

int unitLength(QStringView text, qsizetype index)
{
    return isCrLfAt(text, index) ? 2 : 1;
}

QChar shownUnitAt(QStringView text, qsizetype index)
{
    return isCrLfAt(text, index) ? QChar(QChar::ParagraphSeparator)
                                 : shownCharacter(text.at(index));
}

bool isShownAsSymbol(QChar c)
{
    return shownCharacter(c) != c;
}

QString shownForm(QStringView model)
{
    QString shown;
    shown.reserve(model.size());
    for (qsizetype i = 0; i < model.size(); ++i) {
        if (isCrLfAt(model, i)) {
            shown += LF;
            ++i;
        } else {
            shown += shownCharacter(model.at(i));
        }
    }
    return shown;
}

QString withCrLfBreaks(QString text)
{
    text = withLfBreaks(std::move(text));
    text.replace(QChar::LineSeparator, LF);
    text.replace(QChar::ParagraphSeparator, LF);
    text.replace(LF, QLatin1String("\r\n"));
    return text;
}

QString withLfBreaks(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(CR, LF);
    return text;
}
} // namespace LineBreaks
