#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// The 8-bit form of a page on disk. Pages are UTF-8. A page whose bytes are not valid UTF-8 is
// Windows-1252 as browsers read it: the five bytes that code page leaves undefined stand for
// the control characters of the same number, so every byte is one character and back again.
class TextEncoding
{
public:
    enum Codec
    {
        Utf8,
        Windows1252
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

    // Decodes the bytes of a file; `found` tells the encoding they were in. A UTF-8
    // byte-order mark is noted there and is not part of the text.
    static QString decode(const QByteArray &bytes, TextEncoding *found);

    // The byte-order mark, if the page has one.
    void appendByteOrderMark(QByteArray &out) const;
    // A character the encoding cannot hold is written as a numeric character reference
    // ("&#8364;"), so that nothing is lost.
    void appendEncoded(QByteArray &out, QStringView text) const;

private:
    void appendUtf8(QByteArray &out, QStringView text) const;
    void appendWindows1252(QByteArray &out, QStringView text) const;

    Codec m_codec = Utf8;
    bool m_byteOrderMark = false;
};
