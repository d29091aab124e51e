#pragma once

#include <QString>
#include <QStringView>

// The editor's text model holds the page with CR LF line breaks; its document shows one line
// per CR LF and a visible symbol for any other line-break character, one character each.
namespace LineBreaks {
bool isCrLfAt(QStringView text, qsizetype index);
// Model characters of the unit at `index`: a CR LF is one unit of two.
int unitLength(QStringView text, qsizetype index);
// The document's character for the unit at `index`: U+2029 for a CR LF.
QChar shownUnitAt(QStringView text, qsizetype index);
// Whether the document shows this character as something else.
bool isShownAsSymbol(QChar c);
// The document's text for a piece of the model, "\n" for each CR LF.
QString shownForm(QStringView model);
// Text from other programs with the line breaks that Enter types.
QString withCrLfBreaks(QString text);
// Model text for other programs, with the platform's LF line breaks.
QString withLfBreaks(QString text);
} // namespace LineBreaks
