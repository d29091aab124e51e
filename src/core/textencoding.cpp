#include "core/textencoding.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QtEndian>

#include <cstring>

namespace {
const QByteArray Utf8ByteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");

struct ByteOrderMark
{
    QByteArrayView bytes;
    TextEncoding::Codec codec;
};
// The UTF-32 little-endian mark begins with the UTF-16 one, so it is looked for first.
const ByteOrderMark WideMarks[] = {{QByteArrayView("\xFF\xFE\0\0", 4), TextEncoding::Utf32LE},
                                   {QByteArrayView("\0\0\xFE\xFF", 4), TextEncoding::Utf32BE},
                                   {QByteArrayView("\xFF\xFE", 2), TextEncoding::Utf16LE},
                                   {QByteArrayView("\xFE\xFF", 2), TextEncoding::Utf16BE}};

// UTF-16 takes every sequence of units, a lone surrogate included, so that any such page
// is saved as it was read; only an odd number of bytes is not UTF-16.
bool decodeUtf16(QByteArrayView bytes, bool bigEndian, QString *text)
{
    if (bytes.size() % 2 != 0)
        return false;
    text->resize(bytes.size() / 2);
    if (bigEndian)
        qFromBigEndian<char16_t>(bytes.data(), text->size(), text->data());
    else
        qFromLittleEndian<char16_t>(bytes.data(), text->size(), text->data());
    return true;
}

bool decodeUtf32(QByteArrayView bytes, bool bigEndian, QString *text)
{
    if (bytes.size() % 4 != 0)
        return false;
    text->clear();
    text->reserve(bytes.size() / 4);
    for (qsizetype i = 0; i < bytes.size(); i += 4) {
        const char32_t c = bigEndian ? qFromBigEndian<quint32>(bytes.data() + i)
                                     : qFromLittleEndian<quint32>(bytes.data() + i);
        if (c > 0x10FFFF || QChar::isSurrogate(c))
            return false;
        if (QChar::requiresSurrogates(c)) {
            text->append(QChar(QChar::highSurrogate(c)));
            text->append(QChar(QChar::lowSurrogate(c)));
        } else {
            text->append(QChar(char16_t(c)));
        }
    }
    return true;
}

bool decodeWide(QByteArrayView bytes, TextEncoding::Codec codec, QString *text)
{
    switch (codec) {
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        return decodeUtf16(bytes, codec == TextEncoding::Utf16BE, text);
    case TextEncoding::Utf32LE:
    case TextEncoding::Utf32BE:
        return decodeUtf32(bytes, codec == TextEncoding::Utf32BE, text);
    default:
        return false;
    }
}

// Windows-1252 bytes 0x80 to 0x9F; the five it leaves undefined stay the control characters
// of the same number, as browsers read them.
constexpr char16_t HighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The Windows-1252 byte of a character, or -1 where the code page has none.
int windows1252Byte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i) {
        if (HighControls[i] == c)
            return 0x80 + i;
    }
    return -1;
}

// Four UTF-16 units at once, and the bits that mark any of them as not ASCII.
constexpr quint64 NonAsciiUnits = 0xFF80FF80FF80FF80ULL;

quint64 readWord(const char16_t *units)
{
    quint64 word;
    std::memcpy(&word, units, sizeof word);
    return word;
}

QByteArray reference(char32_t codePoint)
{
    return QByteArrayLiteral("&#") + QByteArray::number(uint(codePoint)) + ';';
}
} // namespace

QString TextEncoding::name() const
{
    switch (m_codec) {
    case Utf8:
        return QStringLiteral("UTF-8");
    case Windows1252:
        return QStringLiteral("windows-1252");
    case Utf16LE:
        return QStringLiteral("UTF-16LE");
    case Utf16BE:
        return QStringLiteral("UTF-16BE");
    case Utf32LE:
        return QStringLiteral("UTF-32LE");
    case Utf32BE:
        return QStringLiteral("UTF-32BE");
    }
    return QString();
}

QString TextEncoding::decode(const QByteArray &bytes, TextEncoding *found)
{
    // A mark whose bytes do not follow in that encoding is read as the bytes it is.
    for (const ByteOrderMark &mark : WideMarks) {
        QString text;
        if (bytes.startsWith(mark.bytes) &&
            decodeWide(QByteArrayView(bytes).sliced(mark.bytes.size()), mark.codec, &text)) {
            *found = TextEncoding(mark.codec, true);
            return text;
        }
    }
    const bool byteOrderMark = bytes.startsWith(Utf8ByteOrderMark);
    // A second mark after the first is a character of the text.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(QByteArrayView(bytes).sliced(byteOrderMark ? 3 : 0));
    if (!utf8.hasError()) {
        *found = TextEncoding(Utf8, byteOrderMark);
        return text;
    }
    *found = TextEncoding(Windows1252, false);
    text = QString::fromLatin1(bytes);
    for (QChar &c : text) {
        if (c.unicode() >= 0x80 && c.unicode() < 0xA0)
            c = QChar(HighControls[c.unicode() - 0x80]);
    }
    return text;
}

void TextEncoding::appendByteOrderMark(QByteArray &out) const
{
    if (!m_byteOrderMark)
        return;
    if (m_codec == Utf8)
        out.append(Utf8ByteOrderMark);
    for (const ByteOrderMark &mark : WideMarks) {
        if (mark.codec == m_codec)
            out.append(mark.bytes);
    }
}

void TextEncoding::appendEncoded(QByteArray &out, QStringView text) const
{
    switch (m_codec) {
    case Utf8:
        return appendUtf8(out, text);
    case Windows1252:
        return appendWindows1252(out, text);
    case Utf16LE:
    case Utf16BE:
        return appendUtf16(out, text);
    case Utf32LE:
    case Utf32BE:
        return appendUtf32(out, text);
    }
}

void TextEncoding::appendUtf16(QByteArray &out, QStringView text) const
{
    const qsizetype start = out.size();
    out.resize(start + 2 * text.size());
    if (m_codec == Utf16BE)
        qToBigEndian<char16_t>(text.utf16(), text.size(), out.data() + start);
    else
        qToLittleEndian<char16_t>(text.utf16(), text.size(), out.data() + start);
}

void TextEncoding::appendUtf32(QByteArray &out, QStringView text) const
{
    out.reserve(out.size() + 4 * text.size());
    const auto put = [&](char32_t c) {
        char unit[4];
        if (m_codec == Utf32BE)
            qToBigEndian<quint32>(c, unit);
        else
            qToLittleEndian<quint32>(c, unit);
        out.append(unit, 4);
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!c.isSurrogate()) {
            put(c.unicode());
        } else if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            put(QChar::surrogateToUcs4(c, text.at(i + 1)));
            ++i;
        } else {
            // A lone surrogate has no UTF-32 form.
            const QByteArray bytes = reference(c.unicode());
            for (const char byte : bytes)
                put(char32_t(byte));
        }
    }
}

void TextEncoding::appendUtf8(QByteArray &out, QStringView text) const
{
    const qsizetype start = out.size();
    QStringEncoder encoder(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    out.resize(start + encoder.requiredSpace(text.size()));
    char *end = encoder.appendToBuffer(out.data() + start, text);
    out.resize(end - out.constData());
    if (!encoder.hasError())
        return;

    // Only a lone surrogate has no UTF-8 form: it goes as a reference, the rest as it is.
    out.resize(start);
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!c.isSurrogate())
            continue;
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        out.append(text.sliced(from, i - from).toUtf8());
        out.append(reference(c.unicode()));
        from = i + 1;
    }
    out.append(text.sliced(from).toUtf8());
}

void TextEncoding::appendWindows1252(QByteArray &out, QStringView text) const
{
    qsizetype used = out.size();
    out.resize(used + text.size());
    char *p = out.data() + used;
    const char16_t *units = text.utf16();
    for (qsizetype i = 0; i < text.size(); ++i) {
        // Runs of ASCII go four characters at a time.
        while (i + 4 <= text.size() && !(readWord(units + i) & NonAsciiUnits)) {
            p[0] = char(units[i]);
            p[1] = char(units[i + 1]);
            p[2] = char(units[i + 2]);
            p[3] = char(units[i + 3]);
            p += 4;
            i += 4;
        }
        if (i == text.size())
            break;
        const char16_t c = units[i];
        const int byte = windows1252Byte(c);
        if (byte >= 0) {
            *p++ = char(byte);
            continue;
        }
        char32_t codePoint = c;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            codePoint = QChar::surrogateToUcs4(c, text.at(++i).unicode());
        const QByteArray escaped = reference(codePoint);
        used = p - out.constData();
        const qsizetype needed = used + escaped.size() + (text.size() - i - 1);
        if (out.size() < needed)
            out.resize(needed);
        p = out.data() + used;
        std::memcpy(p, escaped.constData(), size_t(escaped.size()));
        p += escaped.size();
    }
    out.resize(p - out.constData());
}
