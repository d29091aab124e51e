#include "linebreaks.h"

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
} // namespace

namespace LineBreaks {
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
