#include "preview/engine/pagefolders.h"

#include "core/nativename.h"
#include "system/nativefile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QMimeDatabase>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

#include <fcntl.h>

namespace {
// The folders whose files have been asked for, by the host name that stands for each.
QHash<QString, QString> &folders()
{
    static QHash<QString, QString> known;
    return known;
}

// A host name of one label, letters and digits, for any folder name.
QString hostFor(const QString &folder)
{
    const QString host = QString::fromLatin1(
        QCryptographicHash::hash(NativeName::encode(folder), QCryptographicHash::Sha1).toHex());
    folders().insert(host, folder);
    return host;
}

bool isWithin(const QString &path, const QString &folder)
{
    return path.startsWith(folder == QLatin1String("/") ? folder : folder + u'/');
}

// The address of a file under a scheme: the bytes of its name, percent-encoded where they are
// not UTF-8, so that the file is found again under its own name.
QUrl addressUnder(const QString &scheme, const QString &host, const QString &file)
{
    QUrl url;
    url.setScheme(scheme);
    url.setHost(host);
    url.setPath(QString::fromLatin1(NativeName::encode(file).toPercentEncoding("/")),
                QUrl::TolerantMode);
    return url;
}
} // namespace

const QByteArray PageFolders::Scheme = QByteArrayLiteral("velmora");

void PageFolders::registerScheme()
{
    static const bool registered = [] {
        QWebEngineUrlScheme scheme(Scheme);
        scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
        // A page may show files from elsewhere, which are loaded as files for that: their
        // content is then the engine's to keep from the page's scripts.
        scheme.setFlags(QWebEngineUrlScheme::LocalAccessAllowed);
        QWebEngineUrlScheme::registerScheme(scheme);
        return true;
    }();
    Q_UNUSED(registered)
}

QUrl PageFolders::address(const QString &file)
{
    const QString canonical = NativeFile::canonical(file);
    const QString path = canonical.isEmpty() ? NativeFile::absolute(file) : canonical;
    return addressUnder(QString::fromLatin1(Scheme), hostFor(NativeFile::folderOf(path)), path);
}

QUrl PageFolders::fileAddress(const QString &file)
{
    return addressUnder(QStringLiteral("file"), QString(), NativeFile::absolute(file));
}

bool PageFolders::isWithinOrigin(const QUrl &address)
{
    const auto folder = folders().constFind(address.host());
    const QString path = NativeFile::canonical(file(address));
    return folder != folders().cend() && !path.isEmpty() && isWithin(path, *folder);
}

QString PageFolders::file(const QUrl &address)
{
    return QDir::cleanPath(NativeName::decode(
        QByteArray::fromPercentEncoding(address.path(QUrl::FullyEncoded).toLatin1())));
}

QString PageFolders::localFile(const QUrl &url)
{
    return url.isLocalFile() || url.scheme() == QLatin1String(Scheme) ? file(url) : QString();
}

// A file within the folder of the address's origin is served; one elsewhere is sent to the
// origin of its own folder, so that the page that asked can show it but not read it.
void PageFolders::requestStarted(QWebEngineUrlRequestJob *job)
{
    const QUrl url = job->requestUrl();
    const auto folder = folders().constFind(url.host());
    const QString path = NativeFile::canonical(file(url));
    struct stat status
    {};
    if (folder == folders().cend() || path.isEmpty() || !NativeFile::status(path, &status) ||
        !S_ISREG(status.st_mode)) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    if (!isWithin(path, *folder)) {
        job->redirect(address(path));
        return;
    }
    auto *content = new QFile(job);
    QString reason;
    if (!NativeFile::open(*content, path, O_RDONLY, 0, &reason)) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    const QMimeDatabase types;
    job->reply(types.mimeTypeForFile(path, QMimeDatabase::MatchExtension).name().toUtf8(), content);
}
