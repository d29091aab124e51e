#include "textencoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <cstring>

namespace {
const QByteArray Utf8ByteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");

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
    return m_codec == Utf8 ? QStringLiteral("UTF-8") : QStringLiteral("windows-1252");
}

QString TextEncoding::decode(const QByteArray &bytes, TextEncoding *found)
{
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
    if (m_byteOrderMark)
        out.append(Utf8ByteOrderMark);
}

void TextEncoding::appendEncoded(QByteArray &out, QStringView text) const
{
    if (m_codec == Utf8)
        appendUtf8(out, text);
    else
        appendWindows1252(out, text);
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
