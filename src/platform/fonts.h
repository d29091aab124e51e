#pragma once

#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

class Control;
class QByteArray;
class QRawFont;

namespace Fonts {
// Where Debian's fonts-wine keeps the faces the window was designed with, out of the system's
// font configuration.
QString designedFacesFolder();
// Registers the designed faces found in the folder, all or those of one family, with the
// application; returns the families registered. Missing or unreadable files are skipped: the
// fallbacks of `designed` stand in. Characters that a bitmap face claims but draws as a box
// are taken out of it, so that they come from a fallback face.
QStringList addDesignedFaces(const QString &folder, const QString &family = QString());
// The named face at the given size, or the system's fixed-pitch or general face at that size
// where the named one is not installed. A family not yet known is first looked for among the
// designed faces of designedFacesFolder().
QFont designed(const QString &family, double points, bool fixedPitch);
void apply(Control &control, const QFont &font);

// The characters of the face that all draw the same box: placeholders of a bitmap face for
// what it does not really have.
QList<char32_t> boxedCharacters(const QRawFont &face);
// The font file without those characters, so that a fallback face draws them.
QByteArray withoutBoxedCharacters(const QByteArray &fontFile);

// Device pixel ratios above 1 blow up the cells of a bitmap face but not its glyphs: there a
// scalable fixed-pitch face with the same cells stands in (DejaVu Sans Mono, whose cell has the
// proportions of Fixedsys's 8 by 15 pixels and which covers the characters of pages).
QFont atRatio(const QFont &font, double ratio);
// Applies the font and keeps it legible when the control's device pixel ratio changes (it
// moves to another screen). A font set on the control later is kept so too.
void applyAtEveryRatio(Control &control, const QFont &font);
} // namespace Fonts
