#pragma once

class QByteArray;
class QFileDevice;
class QString;
class TextEncoding;
enum class LineBreakForm;

// True when the file can be opened for reading and closed again.
bool Fexists(const QString &path);

// Reads a page as the editor holds it: a line ends at CR LF, a lone CR (which becomes CR LF)
// or a lone LF (which stays, unless most line breaks of the page are LF: then each LF becomes
// CR LF, and the CR of a stray CR LF stays before it), and a last line without a line break
// gains a CR LF. False, with the reason, when the file cannot be read.
bool readPage(const QString &path, QString *text, TextEncoding *encoding, LineBreakForm *lineBreaks,
              QString *reason);

// Writes a page whole, followed by a line break unless it already ends with one. The old file
// stays as it was unless the new one is complete; a symbolic link is followed and kept, and
// the file keeps its permissions, and its owner and group where the system allows.
bool writePage(const QString &path, const QString &text, const TextEncoding &encoding,
               LineBreakForm lineBreaks, QString *reason);

// The number of names of the file beyond this one (hard links), a symbolic link followed.
int otherLinks(const QString &path);

// Writes all the bytes, also after a short write, so that a failure reports its reason.
bool writeAll(QFileDevice &file, const QByteArray &bytes);

// A write beyond the file-size limit fails with its reason instead of ending the program.
void letWritesFailOverSizeLimit();
