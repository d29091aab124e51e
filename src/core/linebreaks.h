#pragma once

#include <QString>
#include <QStringView>

// How a page's line breaks go to disk: as the editor holds them, or, for a page whose line
// breaks were mostly LF when it was read, each CR LF written as LF.
enum class LineBreakForm
{
    CrLf,
    Lf
};

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
// More lone LFs than CR LFs: the page's own line break is LF.
LineBreakForm formOf(const QString &text);
// A page read from disk as the editor holds it: a line ends at CR LF, a lone CR (which becomes
// CR LF) or a lone LF (which stays, unless the form is LF: then each LF becomes CR LF, and the
// CR of a stray CR LF stays before it), and a last line without a line break gains a CR LF.
QString asEdited(QString text, LineBreakForm form);
// Each CR LF as LF.
QString crLfsAsLf(const QString &text);
} // namespace LineBreaks
