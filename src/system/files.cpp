#include "system/files.h"

#include "core/linebreaks.h"
#include "core/textencoding.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace {
const QString NotAFile = QStringLiteral("It is a device or a pipe, not a page.");
const QString AFolder = QStringLiteral("It is a folder, not a page.");

QString systemError(int number)
{
    return QString::fromLocal8Bit(std::strerror(number));
}

// The file a path names: a symbolic link is followed, so that the link itself stays.
QString fileBehind(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString target = info.canonicalFilePath();
    return target.isEmpty() ? info.symLinkTarget() : target;
}

// A new file beside `target`: readable by its owner alone while it is written when it is to
// replace a page, else with the permissions new files get. Its name is short, so that it fits
// wherever a name of the longest kind fits.
bool createTemporary(const QString &target, bool replacing, QFile &file, QString *reason)
{
    const QFileInfo info(target);
    const QString prefix = info.absolutePath() + u'/' + info.fileName().left(32) + u'.';
    const auto owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    const auto everyone = owner | QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                          QFileDevice::ReadOther | QFileDevice::WriteOther;
    static const QString letters =
        QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString name = prefix;
        for (int i = 0; i < 6; ++i)
            name += letters.at(QRandomGenerator::global()->bounded(int(letters.size())));
        file.setFileName(name + QStringLiteral(".tmp"));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered,
                      replacing ? owner : everyone))
            return true;
        if (!file.exists())
            break;
    }
    *reason = file.errorString();
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
    const QByteArray targetName = QFile::encodeName(target);
    struct stat old
    {};
    const bool existing = ::stat(targetName.constData(), &old) == 0;
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
    QFile probe(target);
    if (existing && !probe.open(QIODevice::Append)) {
        *reason = probe.errorString();
        return false;
    }
    probe.close();

    QFile file;
    if (!createTemporary(target, existing, file, reason))
        return false;
    const auto failed = [&](const QString &why) {
        *reason = why;
        file.remove();
        return false;
    };
    if (existing)
        keepOwnerAndMode(file.handle(), old);
    if (!writeAll(file, bytes))
        return failed(file.errorString());
    if (::fsync(file.handle()) != 0)
        return failed(systemError(errno));
    file.close();
    if (std::rename(QFile::encodeName(file.fileName()).constData(), targetName.constData()) != 0)
        return failed(systemError(errno));
    return true;
}
} // namespace

bool Fexists(const QString &path)
{
    if (path.isEmpty() || QFileInfo(path).isDir())
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

bool readPage(const QString &path, QString *text, TextEncoding *encoding, LineBreakForm *lineBreaks,
              QString *reason)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        *reason = AFolder;
        return false;
    }
    if (info.exists() && !info.isFile()) {
        *reason = NotAFile;
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
    if (::stat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISREG(status.st_mode))
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
