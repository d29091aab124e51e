#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// The byte form of a page on disk. Pages are UTF-8. A page that begins with a UTF-16 or UTF-32
// byte-order mark is in that encoding. A page whose bytes are none of these is Windows-1252 as
// browsers read it: the five bytes that code page leaves undefined stand for the control
// characters of the same number, so every byte is one character and back again.
class TextEncoding
{
public:
    enum Codec
    {
        Utf8,
        Windows1252,
        Utf16LE, // always with a byte-order mark, as are the three below
        Utf16BE,
        Utf32LE,
        Utf32BE
    };

    TextEncoding() = default;
    TextEncoding(Codec codec, bool byteOrderMark)
        : m_codec(codec)
        , m_byteOrderMark(byteOrderMark)
    {}

    Codec codec() const { return m_codec; }
    bool hasByteOrderMark() const { return m_byteOrderMark; }
    // The encoding's name as browsers know it.
    QString name() const;

    // Decodes the bytes of a file; `found` tells the encoding they were in. A byte-order mark
    // is noted there and is not part of the text.
    static QString decode(const QByteArray &bytes, TextEncoding *found);

    // The byte-order mark, if the page has one.
    void appendByteOrderMark(QByteArray &out) const;
    // A character the encoding cannot hold is written as a numeric character reference
    // ("&#8364;"), so that nothing is lost. UTF-16 holds every character of the text as it is.
    void appendEncoded(QByteArray &out, QStringView text) const;

private:
    void appendUtf8(QByteArray &out, QStringView text) const;
    void appendWindows1252(QByteArray &out, QStringView text) const;
    void appendUtf16(QByteArray &out, QStringView text) const;
    void appendUtf32(QByteArray &out, QStringView text) const;

    Codec m_codec = Utf8;
    bool m_byteOrderMark = false;
};
