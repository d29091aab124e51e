#include "system/files.h"

#include "core/linebreaks.h"
#include "core/nativename.h"
#include "core/textencoding.h"
#include "system/nativefile.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace {
const QString NotAFile = QStringLiteral("It is a device or a pipe, not a page.");
const QString AFolder = QStringLiteral("It is a folder, not a page.");

// The file a path names: a symbolic link is followed, so that the link itself stays.
QString fileBehind(const QString &path)
{
    struct stat link
    {};
    if (!NativeFile::status(path, &link, true) || !S_ISLNK(link.st_mode))
        return path;
    const QString target = NativeFile::canonical(path);
    if (!target.isEmpty())
        return target;
    // A link to a file yet to be made.
    QByteArray to(PATH_MAX, '\0');
    const ssize_t length =
        ::readlink(NativeName::encode(path).constData(), to.data(), size_t(to.size()));
    if (length <= 0)
        return path;
    to.truncate(length);
    const QString named = NativeName::decode(to);
    return named.startsWith(u'/') ? named : NativeFile::folderOf(path) + u'/' + named;
}

// A new file beside `target`: readable by its owner alone while it is written when it is to
// replace a page, else with the permissions new files get. Its name is short, so that it fits
// wherever a name of the longest kind fits.
bool createTemporary(const QString &target, bool replacing, QFile &file, QString *name,
                     QString *reason)
{
    const QString prefix =
        NativeFile::folderOf(target) + u'/' + NativeFile::nameOf(target).left(32) + u'.';
    static const QString letters =
        QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = prefix;
        for (int i = 0; i < 6; ++i)
            *name += letters.at(QRandomGenerator::global()->bounded(int(letters.size())));
        *name += QStringLiteral(".tmp");
        if (NativeFile::open(file, *name, O_WRONLY | O_CREAT | O_EXCL, replacing ? 0600 : 0666,
                             reason))
            return true;
        if (errno != EEXIST)
            break;
    }
    return false;
}

// Where the system allows it: root saving another user's page leaves it theirs, and a user
// may still keep its group. Changing the owner may clear the set-id bits, so the mode follows.
void keepOwnerAndMode(int handle, const struct stat &old)
{
    if (::fchown(handle, old.st_uid, old.st_gid) != 0)
        std::ignore = ::fchown(handle, uid_t(-1), old.st_gid);
    std::ignore = ::fchmod(handle, old.st_mode & 07777);
}

// The new file takes the place of the old one whole, or not at all.
bool replaceFile(const QString &path, const QByteArray &bytes, QString *reason)
{
    const QString target = fileBehind(path);
    struct stat old
    {};
    const bool existing = NativeFile::status(target, &old);
    if (existing && S_ISDIR(old.st_mode)) {
        *reason = AFolder;
        return false;
    }
    if (existing && !S_ISREG(old.st_mode)) {
        *reason = NotAFile;
        return false;
    }
    // A page the user may not write is not replaced either: opened for appending, which
    // changes nothing, it says so.
    QFile probe;
    if (existing && !NativeFile::open(probe, target, O_WRONLY | O_APPEND, 0, reason))
        return false;
    probe.close();

    QFile file;
    QString name;
    if (!createTemporary(target, existing, file, &name, reason))
        return false;
    const auto failed = [&](const QString &why) {
        *reason = why;
        NativeFile::remove(name);
        return false;
    };
    if (existing)
        keepOwnerAndMode(file.handle(), old);
    if (!writeAll(file, bytes))
        return failed(file.errorString());
    if (::fsync(file.handle()) != 0)
        return failed(NativeFile::systemError(errno));
    file.close();
    QString why;
    if (!NativeFile::rename(name, target, &why))
        return failed(why);
    return true;
}
} // namespace

bool Fexists(const QString &path)
{
    struct stat status
    {};
    if (path.isEmpty() || !NativeFile::status(path, &status) || S_ISDIR(status.st_mode))
        return false;
    QFile file;
    QString reason;
    return NativeFile::open(file, path, O_RDONLY | O_NONBLOCK, 0, &reason);
}

bool readPage(const QString &path, QString *text, TextEncoding *encoding, LineBreakForm *lineBreaks,
              QString *reason)
{
    struct stat status
    {};
    const bool exists = NativeFile::status(path, &status);
    if (exists && S_ISDIR(status.st_mode)) {
        *reason = AFolder;
        return false;
    }
    if (exists && !S_ISREG(status.st_mode)) {
        *reason = NotAFile;
        return false;
    }
    QFile file;
    if (!NativeFile::open(file, path, O_RDONLY, 0, reason))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *reason = file.errorString();
        return false;
    }
    QString decoded = TextEncoding::decode(bytes, encoding);
    *lineBreaks = LineBreaks::formOf(decoded);
    *text = LineBreaks::asEdited(std::move(decoded), *lineBreaks);
    return true;
}

bool writePage(const QString &path, const QString &text, const TextEncoding &encoding,
               LineBreakForm lineBreaks, QString *reason)
{
    QByteArray bytes;
    encoding.appendByteOrderMark(bytes);
    if (lineBreaks == LineBreakForm::Lf) {
        const QString lines = LineBreaks::crLfsAsLf(text);
        encoding.appendEncoded(bytes, lines);
        if (!lines.endsWith(u'\n'))
            encoding.appendEncoded(bytes, u"\n");
    } else {
        encoding.appendEncoded(bytes, text);
        if (!text.endsWith(u'\n'))
            encoding.appendEncoded(bytes, u"\r\n");
    }
    return replaceFile(path, bytes, reason);
}

int otherLinks(const QString &path)
{
    struct stat status
    {};
    if (!NativeFile::status(path, &status) || !S_ISREG(status.st_mode))
        return 0;
    return int(status.st_nlink) - 1;
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

void letWritesFailOverSizeLimit()
{
    std::signal(SIGXFSZ, SIG_IGN);
}
