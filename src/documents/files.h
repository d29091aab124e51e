#pragma once

class QByteArray;
class QFileDevice;
class QString;
class TextEncoding;

// True when the file can be opened for reading and closed again.
bool Fexists(const QString &path);

// Reads a page as the editor holds it: a line ends at CR LF, a lone CR (which becomes CR LF)
// or a lone LF (which stays), and a last line without a line break gains a CR LF. False, with
// the reason, when the file cannot be read.
bool readPage(const QString &path, QString *text, TextEncoding *encoding, QString *reason);

// Writes a page whole, followed by CR LF unless it already ends with a line break. The old
// file stays as it was unless the new one is complete; a symbolic link is followed and kept.
bool writePage(const QString &path, const QString &text, const TextEncoding &encoding,
               QString *reason);

// Writes all the bytes, also after a short write, so that a failure reports its reason.
bool writeAll(QFileDevice &file, const QByteArray &bytes);
