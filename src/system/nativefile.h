#pragma once

#include <QString>

#include <sys/stat.h>
#include <sys/types.h>

class QFile;

// The file operations on a name's own bytes (see NativeName): Qt's classes take every name for
// UTF-8 and cannot reach a file whose name is not.
namespace NativeFile {

// open(2) of the name: a descriptor, or -1 with errno set.
int open(const QString &path, int flags, mode_t mode = 0);
// `file` reads or writes through open(2) of the name with `flags`; false, with the reason, when
// the file cannot be opened.
bool open(QFile &file, const QString &path, int flags, mode_t mode, QString *reason);
// stat(2) of the name, a symbolic link followed unless `ofLink`.
bool status(const QString &path, struct stat *status, bool ofLink = false);
bool exists(const QString &path);
bool remove(const QString &path);
bool rename(const QString &from, const QString &to, QString *reason);
// The path with every symbolic link resolved, or empty when it does not lead to a file.
QString canonical(const QString &path);
// A relative path taken from the current folder, cleaned.
QString absolute(const QString &path);
// A path that a file dialog gave, which took the bytes of names that are not UTF-8 for
// U+FFFD: the path of the one file whose name reads so, else the path as it is.
QString found(const QString &path);
// The folder of a path, and the name within it.
QString folderOf(const QString &path);
QString nameOf(const QString &path);
QString systemError(int number);

} // namespace NativeFile
