#include "system/nativefile.h"

#include "core/nativename.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace NativeFile {

int open(const QString &path, int flags, mode_t mode)
{
    return ::open(NativeName::encode(path).constData(), flags | O_CLOEXEC, mode);
}

bool open(QFile &file, const QString &path, int flags, mode_t mode, QString *reason)
{
    const int handle = open(path, flags, mode);
    if (handle < 0) {
        const int number = errno;
        *reason = systemError(number);
        errno = number;
        return false;
    }
    const int access = flags & O_ACCMODE;
    QIODevice::OpenMode how = access == O_RDONLY   ? QIODevice::ReadOnly
                              : access == O_WRONLY ? QIODevice::WriteOnly | QIODevice::Unbuffered
                                                   : QIODevice::ReadWrite | QIODevice::Unbuffered;
    if ((flags & O_APPEND) != 0)
        how |= QIODevice::Append;
    if (!file.open(handle, how, QFileDevice::AutoCloseHandle)) {
        *reason = file.errorString();
        ::close(handle);
        return false;
    }
    return true;
}

bool status(const QString &path, struct stat *status, bool ofLink)
{
    const QByteArray name = NativeName::encode(path);
    return (ofLink ? ::lstat(name.constData(), status) : ::stat(name.constData(), status)) == 0;
}

bool exists(const QString &path)
{
    struct stat any
    {};
    return status(path, &any);
}

bool remove(const QString &path)
{
    return ::unlink(NativeName::encode(path).constData()) == 0;
}

bool rename(const QString &from, const QString &to, QString *reason)
{
    if (std::rename(NativeName::encode(from).constData(), NativeName::encode(to).constData()) == 0)
        return true;
    *reason = systemError(errno);
    return false;
}

QString canonical(const QString &path)
{
    char resolved[PATH_MAX];
    if (::realpath(NativeName::encode(path).constData(), resolved) == nullptr)
        return QString();
    return NativeName::decode(QByteArray(resolved));
}

QString absolute(const QString &path)
{
    if (path.startsWith(u'/'))
        return QDir::cleanPath(path);
    char current[PATH_MAX];
    if (::getcwd(current, sizeof current) == nullptr)
        return QDir::cleanPath(path);
    return QDir::cleanPath(NativeName::decode(QByteArray(current)) + u'/' + path);
}

QString found(const QString &path)
{
    if (!path.startsWith(u'/') || !path.contains(QChar::ReplacementCharacter) || exists(path))
        return path;
    QString resolved;
    for (const QString &part : path.mid(1).split(u'/')) {
        const QString folder = resolved.isEmpty() ? QStringLiteral("/") : resolved;
        resolved += u'/';
        if (!part.contains(QChar::ReplacementCharacter) || exists(resolved + part)) {
            resolved += part;
            continue;
        }
        DIR *listing = ::opendir(NativeName::encode(folder).constData());
        if (listing == nullptr)
            return path;
        QStringList matches;
        while (const dirent *entry = ::readdir(listing)) {
            const QByteArray name(entry->d_name);
            if (QString::fromUtf8(name) == part)
                matches.append(NativeName::decode(name));
        }
        ::closedir(listing);
        if (matches.size() != 1)
            return path;
        resolved += matches.constFirst();
    }
    return resolved;
}

QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QStringLiteral(".") : slash == 0 ? QStringLiteral("/") : path.left(slash);
}

QString nameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString systemError(int number)
{
    return QString::fromLocal8Bit(std::strerror(number));
}

} // namespace NativeFile
