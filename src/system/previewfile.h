#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class TextEncoding;

// The bytes of the preview file, and reading back the text an edit wrote into them.
namespace PreviewFile {

// What follows the page's name in the preview file's name.
extern const QString Suffix;

// The bytes ahead of the text (byte-order mark, the error-suppression line when
// `suppressErrors`, an encoding declaration where the text needs one) and the text itself
// followed by CR LF, in the page's encoding (UTF-8 with its mark for a UTF-32 page, which
// browsers cannot read). Both are emptied first, and keep their capacity for the next keystroke.
void compose(const QString &text, const TextEncoding &encoding, bool suppressErrors,
             QByteArray &head, QByteArray &body);

// The text that an edit wrote into a preview of these bytes, in the page's encoding: nothing
// when they are not exactly such a preview (written when the page was opened or saved, cut
// off, or in another encoding). `pageText` settles the one case that the bytes leave open.
std::optional<QString> editedText(const QByteArray &bytes, const TextEncoding &encoding,
                                  const QString &pageText);

// No file, or a regular file: never a pipe, a device, a folder or a symbolic link, which
// could block a reader or send the preview elsewhere.
bool canHoldPreview(const QString &path);

// Replaces the file at `path` with head and body in one step: a reader, or the next start
// after the program was killed, finds the old bytes or the new ones, never a part. Where no
// new file can be written beside it, the old one stays. A preview is as open to others as its
// page is, never more.
bool replace(const QString &path, const QByteArray &head, const QByteArray &body, QString *reason);

// The file exists and belongs to the user who runs the program: another user's file is never
// taken for a preview of this user's typing.
bool isOwn(const QString &path);

} // namespace PreviewFile
