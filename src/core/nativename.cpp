#include "core/nativename.h"

namespace {
constexpr char16_t Escape = 0xDC00;

bool isEscaped(char16_t c)
{
    return c >= Escape + 0x80 && c <= Escape + 0xFF;
}

// The length of the valid UTF-8 sequence at `at`, or 0.
int sequenceAt(const QByteArray &bytes, qsizetype at, char32_t *code)
{
    const auto byte = [&](qsizetype i) { return uchar(bytes.at(i)); };
    const uchar lead = byte(at);
    if (lead < 0x80) {
        *code = lead;
        return 1;
    }
    int length = 0;
    char32_t value = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        least = 0x10000;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (byte(at + i) & 0x3F);
    }
    // Overlong forms, encoded surrogates and values beyond Unicode are not text.
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *code = value;
    return length;
}
} // namespace

namespace NativeName {

QString decode(const QByteArray &bytes)
{
    QString name;
    name.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        char32_t code = 0;
        const int length = sequenceAt(bytes, at, &code);
        if (length == 0) {
            name += QChar(char16_t(Escape + uchar(bytes.at(at))));
            ++at;
        } else {
            name += QString::fromUcs4(&code, 1);
            at += length;
        }
    }
    return name;
}

QByteArray encode(const QString &name)
{
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype from = 0;
    for (qsizetype at = 0; at <= name.size(); ++at) {
        if (at < name.size() && !isEscaped(name.at(at).unicode()))
            continue;
        bytes += QStringView(name).mid(from, at - from).toUtf8();
        if (at < name.size())
            bytes += char(name.at(at).unicode() - Escape);
        from = at + 1;
    }
    return bytes;
}

QString readable(const QString &name)
{
    QString shown = name;
    for (QChar &c : shown) {
        if (isEscaped(c.unicode()))
            c = QChar::ReplacementCharacter;
    }
    return shown;
}

} // namespace NativeName
