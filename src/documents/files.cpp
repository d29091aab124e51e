#include "files.h"

#include "platform/textencoding.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
// A lone CR ends a line as a CR LF does, and the last line ends with a line break.
QString asLoaded(QString text)
{
    qsizetype loneCrs = 0;
    for (qsizetype i = text.indexOf(u'\r'); i >= 0; i = text.indexOf(u'\r', i + 1)) {
        if (i + 1 == text.size() || text.at(i + 1) != u'\n')
            ++loneCrs;
    }
    if (loneCrs > 0) {
        QString lines;
        lines.reserve(text.size() + loneCrs + 2);
        qsizetype from = 0;
        for (qsizetype i = text.indexOf(u'\r'); i >= 0; i = text.indexOf(u'\r', i + 1)) {
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                continue;
            lines.append(QStringView(text).sliced(from, i + 1 - from));
            lines.append(u'\n');
            from = i + 1;
        }
        lines.append(QStringView(text).sliced(from));
        text = std::move(lines);
    }
    if (!text.isEmpty() && !text.endsWith(u'\n'))
        text.append(QLatin1String("\r\n"));
    return text;
}
} // namespace

bool Fexists(const QString &path)
{
    if (path.isEmpty() || QFileInfo(path).isDir())
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

bool readPage(const QString &path, QString *text, TextEncoding *encoding, QString *reason)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        *reason = QStringLiteral("It is a folder, not a page.");
        return false;
    }
    if (info.exists() && !info.isFile()) {
        *reason = QStringLiteral("It is a device or a pipe, not a page.");
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *reason = file.errorString();
        return false;
    }
    *text = asLoaded(TextEncoding::decode(bytes, encoding));
    return true;
}

bool writePage(const QString &path, const QString &text, const TextEncoding &encoding,
               QString *reason)
{
    QByteArray bytes;
    encoding.appendByteOrderMark(bytes);
    encoding.appendEncoded(bytes, text);
    if (!text.endsWith(u'\n'))
        bytes.append("\r\n");

    // Unbuffered, so that every failed write is seen before the commit.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || !writeAll(file, bytes) ||
        !file.commit()) {
        *reason = file.errorString();
        return false;
    }
    return true;
}

bool writeAll(QFileDevice &file, const QByteArray &bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0)
            return false;
        written += n;
    }
    return true;
}
