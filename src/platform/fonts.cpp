#include "platform/fonts.h"

#include "platform/control.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QRawFont>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <map>

namespace {
const QString StandInFamily = QStringLiteral("DejaVu Sans Mono");
// Different characters drawn the same box this often are placeholders, not characters.
constexpr int SharedBoxes = 3;

quint16 read16(const QByteArray &data, qsizetype at)
{
    return quint16(quint8(data[at]) << 8 | quint8(data[at + 1]));
}

quint32 read32(const QByteArray &data, qsizetype at)
{
    return quint32(read16(data, at)) << 16 | read16(data, at + 2);
}

void append16(QByteArray &data, quint32 value)
{
    data.append(char(value >> 8 & 0xff)).append(char(value & 0xff));
}

void put32(QByteArray &data, qsizetype at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        data[at + i] = char(value >> (24 - 8 * i) & 0xff);
}

quint32 tableChecksum(const QByteArray &table)
{
    QByteArray padded = table;
    padded.append(QByteArray((4 - padded.size() % 4) % 4, '\0'));
    quint32 sum = 0;
    for (qsizetype at = 0; at < padded.size(); at += 4)
        sum += read32(padded, at);
    return sum;
}

// The glyph in black on white, as the editor draws a bitmap face: without smoothing.
QImage drawn(const QRawFont &face, quint32 glyph)
{
    QImage image(int(face.maxCharWidth()) + 4, int(face.ascent() + face.descent()) + 4,
                 QImage::Format_Grayscale8);
    image.fill(Qt::white);
    QGlyphRun run;
    run.setRawFont(face);
    run.setGlyphIndexes({glyph});
    run.setPositions({QPointF(0, face.ascent())});
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.drawGlyphRun(QPointF(2, 2), run);
    return image;
}

// Ink on every pixel of the edges of its inked area: an outlined or filled rectangle.
bool isBox(const QImage &image)
{
    const auto inked = [&](int x, int y) { return qGray(image.pixel(x, y)) < 128; };
    int left = image.width(), right = -1, top = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (inked(x, y)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right - left < 2 || bottom - top < 2)
        return false;
    for (int x = left; x <= right; ++x) {
        if (!inked(x, top) || !inked(x, bottom))
            return false;
    }
    for (int y = top; y <= bottom; ++y) {
        if (!inked(left, y) || !inked(right, y))
            return false;
    }
    return true;
}

quint32 glyphOf(const QRawFont &face, char32_t character)
{
    const QChar ch(character);
    quint32 glyph = 0;
    int count = 1;
    return face.glyphIndexesForChars(&ch, 1, &glyph, &count) ? glyph : 0;
}

bool isCharacter(char32_t code)
{
    return code < 0xd800 || (code > 0xdfff && code < 0xffff);
}

// A character-to-glyph table of the format every reader knows (4: the basic plane, in runs of
// consecutive characters), empty when the characters do not fit in one.
QByteArray characterMap(const std::map<char32_t, quint16> &glyphs)
{
    struct Run
    {
        char32_t first;
        char32_t last;
    };
    QList<Run> runs;
    for (const auto &[code, glyph] : glyphs) {
        if (!runs.isEmpty() && runs.last().last + 1 == code)
            runs.last().last = code;
        else
            runs.append({code, code});
    }
    runs.append({0xffff, 0xffff}); // the closing run, mapped to no glyph
    const quint32 segments = quint32(runs.size());
    quint32 power = 1;
    int exponent = 0;
    while (power * 2 <= segments) {
        power *= 2;
        ++exponent;
    }
    const quint32 length = 16 + 8 * segments + 2 * quint32(glyphs.size());
    if (length > 0xffff)
        return QByteArray();
    QByteArray subtable;
    for (const quint32 value :
         {4u, length, 0u, 2 * segments, 2 * power, quint32(exponent), 2 * segments - 2 * power})
        append16(subtable, value);
    for (const Run &run : std::as_const(runs))
        append16(subtable, run.last);
    append16(subtable, 0);
    for (const Run &run : std::as_const(runs))
        append16(subtable, run.first);
    for (quint32 i = 0; i < segments; ++i)
        append16(subtable, i + 1 == segments ? 1 : 0);
    quint32 glyphIndex = 0;
    for (quint32 i = 0; i < segments; ++i) {
        if (i + 1 == segments) {
            append16(subtable, 0);
            break;
        }
        append16(subtable, 2 * (segments - i) + 2 * glyphIndex);
        glyphIndex += runs.at(i).last - runs.at(i).first + 1;
    }
    for (const auto &[code, glyph] : glyphs)
        append16(subtable, glyph);

    QByteArray table;
    for (const quint32 value : {0u, 1u, 3u, 1u}) // one map: Windows, Unicode basic plane
        append16(table, value);
    append16(table, 0);
    append16(table, 12);
    return table + subtable;
}

// A bitmap face draws its one size whatever size is asked.
bool isBitmapFace(const QByteArray &file)
{
    constexpr int Small = 16;
    const QRawFont small(file, Small);
    const QRawFont large(file, 2 * Small);
    return small.isValid() && large.isValid() && small.ascent() == large.ascent();
}

// The font file with its character map replaced, the new one at the end of the file.
QByteArray withCharacterMap(const QByteArray &file, const QByteArray &map)
{
    if (file.size() < 12)
        return file;
    const quint16 tables = read16(file, 4);
    for (quint16 i = 0; i < tables; ++i) {
        const qsizetype record = 12 + 16 * qsizetype(i);
        if (record + 16 > file.size())
            break;
        if (file.mid(record, 4) != "cmap")
            continue;
        QByteArray result = file;
        result.append(QByteArray((4 - result.size() % 4) % 4, '\0'));
        put32(result, record + 4, tableChecksum(map));
        put32(result, record + 8, quint32(result.size()));
        put32(result, record + 12, quint32(map.size()));
        return result + map;
    }
    return file;
}

class RatioWatcher : public QObject
{
public:
    RatioWatcher(QWidget *widget, const QFont &font)
        : QObject(widget)
        , m_widget(widget)
        , m_wanted(font)
    {
        widget->installEventFilter(this);
        follow();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_widget)
            return false;
        switch (event->type()) {
        case QEvent::FontChange:
            if (!m_applying)
                m_wanted = m_widget->font();
            follow();
            break;
        case QEvent::Show:
        case QEvent::ScreenChangeInternal:
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
        case QEvent::DevicePixelRatioChange:
#endif
            follow();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void follow()
    {
        const QFont font = Fonts::atRatio(m_wanted, m_widget->devicePixelRatioF());
        if (m_applying || font == m_widget->font())
            return;
        m_applying = true;
        m_widget->setFont(font);
        m_applying = false;
    }

    QPointer<QWidget> m_widget;
    QFont m_wanted;
    bool m_applying = false;
};
} // namespace

namespace Fonts {
QString designedFacesFolder()
{
    return QStringLiteral("/usr/share/wine/fonts");
}

QList<char32_t> boxedCharacters(const QRawFont &face)
{
    QHash<QByteArray, QList<char32_t>> byLook;
    for (char32_t code = 0x21; code < 0x10000; ++code) {
        if (!isCharacter(code) || !face.supportsCharacter(code))
            continue;
        const QImage look = drawn(face, glyphOf(face, code));
        if (!isBox(look))
            continue;
        QByteArray key =
            QByteArray::number(look.width()) + 'x' + QByteArray::number(look.height()) + ':';
        for (int y = 0; y < look.height(); ++y)
            key.append(reinterpret_cast<const char *>(look.constScanLine(y)), look.width());
        byLook[key].append(code);
    }
    QList<char32_t> boxed;
    for (const QList<char32_t> &same : std::as_const(byLook)) {
        if (same.size() >= SharedBoxes)
            boxed += same;
    }
    std::sort(boxed.begin(), boxed.end());
    return boxed;
}

// Only bitmap faces are looked at: their placeholders come from the code pages they were made
// for, and outline faces would take long to draw whole.
QByteArray withoutBoxedCharacters(const QByteArray &fontFile)
{
    if (!isBitmapFace(fontFile))
        return fontFile;
    const QRawFont face(fontFile, 1);
    const QList<char32_t> boxed = boxedCharacters(face);
    if (boxed.isEmpty())
        return fontFile;
    std::map<char32_t, quint16> glyphs;
    for (char32_t code = 0; code < 0xffff; ++code) {
        if (isCharacter(code) && !boxed.contains(code) && face.supportsCharacter(code))
            glyphs.emplace(code, quint16(glyphOf(face, code)));
    }
    const QByteArray map = characterMap(glyphs);
    return map.isEmpty() ? fontFile : withCharacterMap(fontFile, map);
}

QStringList addDesignedFaces(const QString &folder, const QString &family)
{
    struct Face
    {
        const char *family;
        const char *file;
    };
    static constexpr Face faces[] = {
        {"Tahoma", "tahoma.ttf"}, {"Tahoma", "tahomabd.ttf"}, {"Fixedsys", "fixedsys.ttf"}};
    QStringList families;
    for (const Face &face : faces) {
        if (!family.isEmpty() && family != QLatin1String(face.family))
            continue;
        QFile file(QDir(folder).filePath(QString::fromLatin1(face.file)));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const int id =
            QFontDatabase::addApplicationFontFromData(withoutBoxedCharacters(file.readAll()));
        if (id >= 0)
            families += QFontDatabase::applicationFontFamilies(id);
    }
    families.removeDuplicates();
    return families;
}

QFont designed(const QString &family, double points, bool fixedPitch)
{
    if (!QFontDatabase::hasFamily(family))
        addDesignedFaces(designedFacesFolder(), family);
    QFont font;
    if (QFontDatabase::hasFamily(family))
        font = QFont(family);
    else
        font = QFontDatabase::systemFont(fixedPitch ? QFontDatabase::FixedFont
                                                    : QFontDatabase::GeneralFont);
    font.setPointSizeF(points);
    font.setBold(false);
    return font;
}

void apply(Control &control, const QFont &font)
{
    control.widget()->setFont(font);
}

QFont atRatio(const QFont &font, double ratio)
{
    if (ratio <= 1 || QFontDatabase::isSmoothlyScalable(QFontInfo(font).family()))
        return font;
    QFont standIn = QFontDatabase::hasFamily(StandInFamily)
                        ? QFont(StandInFamily)
                        : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    standIn.setBold(font.bold());
    standIn.setItalic(font.italic());
    // The cell as tall as the face's own, so that lines and columns stay where they were.
    const qreal cell = QFontMetricsF(font).height();
    int best = 1;
    qreal bestMiss = cell;
    for (int pixels = 1; pixels <= int(std::ceil(cell)) * 2; ++pixels) {
        standIn.setPixelSize(pixels);
        const qreal miss = std::abs(QFontMetricsF(standIn).height() - cell);
        if (miss < bestMiss) {
            best = pixels;
            bestMiss = miss;
        }
    }
    standIn.setPixelSize(best);
    return standIn;
}

void applyAtEveryRatio(Control &control, const QFont &font)
{
    control.widget()->setFont(font);
    new RatioWatcher(control.widget(), font);
}
} // namespace Fonts
