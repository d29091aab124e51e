#include "system/previewfile.h"

#include "core/textencoding.h"
#include "system/files.h"
#include "system/nativefile.h"

#include <QFile>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Reports every script error as handled, so that a half-typed page runs quietly.
const QString ErrorSuppression = QStringLiteral(
    "<script>function killerr_for_vlm(){return true;}window.onerror=killerr_for_vlm;</script>\r\n");
const QString LineBreak = QStringLiteral("\r\n");

QString declaration(const TextEncoding &encoding)
{
    return QStringLiteral("<meta charset=\"") + encoding.name() + QStringLiteral("\">\r\n");
}

// Without a byte-order mark or a declaration of its own among its first characters, a page is
// read in the encoding the browser guesses, and short texts defeat its guess: such a preview
// declares the encoding it is written in.
bool needsDeclaration(const QString &text, const QByteArray &body, const TextEncoding &encoding)
{
    if (encoding.hasByteOrderMark() || QStringView(text)
                                           .first(std::min(text.size(), qsizetype(1024)))
                                           .contains(QLatin1String("charset"), Qt::CaseInsensitive))
        return false;
    // In UTF-8 an all-ASCII text, which reads the same in every encoding, takes one byte a
    // character. A page read in another encoding has had other characters, and declaring it
    // does no harm.
    return encoding.codec() != TextEncoding::Utf8 || body.size() != text.size() + 2;
}

// Browsers read no UTF-32: such a page is previewed in UTF-8 with its byte-order mark.
TextEncoding previewEncoding(const TextEncoding &page)
{
    const bool utf32 =
        page.codec() == TextEncoding::Utf32LE || page.codec() == TextEncoding::Utf32BE;
    return utf32 ? TextEncoding(TextEncoding::Utf8, true) : page;
}

QByteArray encoded(const TextEncoding &encoding, const QString &text)
{
    QByteArray bytes;
    encoding.appendEncoded(bytes, text);
    return bytes;
}

// The readings of these bytes that may be the text: as the encoding's decoder takes them, and,
// for bytes that happen to be valid UTF-8 in an 8-bit page, as the 8-bit code page, which
// one byte that is not UTF-8 makes the decoder choose.
QList<QString> readings(QByteArrayView bytes, const TextEncoding &encoding)
{
    TextEncoding found;
    QByteArray marked;
    encoding.appendByteOrderMark(marked);
    marked.append(bytes);
    QList<QString> texts{TextEncoding::decode(marked, &found)};
    if (!encoding.hasByteOrderMark() && encoding.codec() != TextEncoding::Utf8) {
        QString eightBit = TextEncoding::decode(bytes.toByteArray() + '\xFF', &found);
        eightBit.chop(1);
        texts.append(eightBit);
    }
    return texts;
}

// The preview holds what the page holds: it is never more open to others than the page.
mode_t permissionsFor(const QString &path)
{
    if (!path.endsWith(PreviewFile::Suffix))
        return 0600;
    struct stat page
    {};
    if (!NativeFile::status(path.chopped(PreviewFile::Suffix.size()), &page))
        return 0666;
    return (page.st_mode & 0666) | 0600;
}

// The new file is written whole beside the old one and then takes its place.
bool replaceWhole(const QString &path, const QByteArray &head, const QByteArray &body,
                  QString *reason)
{
    // One fixed name beside the preview, so that a write cut off by a kill leaves no more
    // than one stray file, which the next write replaces.
    const QString staging = path + u'~';
    NativeFile::remove(staging);
    QFile file;
    if (!NativeFile::open(file, staging, O_WRONLY | O_CREAT | O_EXCL, permissionsFor(path), reason))
        return false;
    if (!writeAll(file, head) || !writeAll(file, body)) {
        *reason = file.errorString();
        NativeFile::remove(staging);
        return false;
    }
    file.close();
    if (!NativeFile::rename(staging, path, reason)) {
        NativeFile::remove(staging);
        return false;
    }
    return true;
}
} // namespace

namespace PreviewFile {

const QString Suffix = QStringLiteral("_VLM_temp.html");

void compose(const QString &text, const TextEncoding &pageEncoding, bool suppressErrors,
             QByteArray &head, QByteArray &body)
{
    const TextEncoding encoding = previewEncoding(pageEncoding);
    body.resize(0);
    encoding.appendEncoded(body, text);
    encoding.appendEncoded(body, LineBreak);
    head.resize(0);
    encoding.appendByteOrderMark(head);
    if (suppressErrors)
        encoding.appendEncoded(head, ErrorSuppression);
    if (needsDeclaration(text, body, encoding))
        encoding.appendEncoded(head, declaration(encoding));
}

std::optional<QString> editedText(const QByteArray &bytes, const TextEncoding &pageEncoding,
                                  const QString &pageText)
{
    const TextEncoding encoding = previewEncoding(pageEncoding);
    QByteArray lead;
    encoding.appendByteOrderMark(lead);
    encoding.appendEncoded(lead, ErrorSuppression);
    const QByteArray tail = encoded(encoding, LineBreak);
    if (bytes.size() < lead.size() + tail.size() || !bytes.startsWith(lead) ||
        !bytes.endsWith(tail))
        return std::nullopt;
    const QByteArrayView rest =
        QByteArrayView(bytes).sliced(lead.size(), bytes.size() - lead.size() - tail.size());

    // Only a reading that writes these very bytes again is the text. The text may begin with
    // the declaration the writer adds; where both readings write the same bytes, the one that
    // begins as the page does wins.
    QList<QByteArrayView> bodies{rest};
    const QString declaring = declaration(encoding);
    const QByteArray declared = encoded(encoding, declaring);
    if (rest.startsWith(declared)) {
        const QByteArrayView undeclared = rest.sliced(declared.size());
        if (pageText.startsWith(declaring))
            bodies.append(undeclared);
        else
            bodies.prepend(undeclared);
    }
    QByteArray head;
    QByteArray body;
    for (const QByteArrayView candidate : bodies) {
        for (const QString &text : readings(candidate, encoding)) {
            compose(text, encoding, true, head, body);
            if (head.size() + body.size() == bytes.size() && bytes.startsWith(head) &&
                bytes.endsWith(body))
                return text;
        }
    }
    return std::nullopt;
}

bool canHoldPreview(const QString &path)
{
    struct stat status
    {};
    return !NativeFile::status(path, &status, true) || S_ISREG(status.st_mode);
}

bool replace(const QString &path, const QByteArray &head, const QByteArray &body, QString *reason)
{
    if (!canHoldPreview(path)) {
        *reason = QStringLiteral("It is not a regular file.");
        return false;
    }
    // Where no second copy fits (a full disk, a folder that takes no new file), the last
    // good preview stays as it is: written over in place, it would be cut off.
    return replaceWhole(path, head, body, reason);
}

bool isOwn(const QString &path)
{
    struct stat status
    {};
    return NativeFile::status(path, &status) && status.st_uid == ::geteuid();
}

} // namespace PreviewFile
