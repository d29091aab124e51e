#include "preview/engine/pagefolders.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

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
        QCryptographicHash::hash(QFile::encodeName(folder), QCryptographicHash::Sha1).toHex());
    folders().insert(host, folder);
    return host;
}

bool isWithin(const QString &path, const QString &folder)
{
    return path.startsWith(folder == QLatin1String("/") ? folder : folder + u'/');
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
    const QFileInfo info(file);
    const QString canonical = info.canonicalFilePath();
    const QString path = canonical.isEmpty() ? info.absoluteFilePath() : canonical;
    QUrl url;
    url.setScheme(QString::fromLatin1(Scheme));
    url.setHost(hostFor(QFileInfo(path).absolutePath()));
    url.setPath(path);
    return url;
}

bool PageFolders::isWithinOrigin(const QUrl &address)
{
    const auto folder = folders().constFind(address.host());
    const QString path = QFileInfo(file(address)).canonicalFilePath();
    return folder != folders().cend() && !path.isEmpty() && isWithin(path, *folder);
}

QString PageFolders::file(const QUrl &address)
{
    return QDir::cleanPath(address.path());
}

QString PageFolders::localFile(const QUrl &url)
{
    if (url.isLocalFile())
        return url.toLocalFile();
    return url.scheme() == QLatin1String(Scheme) ? file(url) : QString();
}

// A file within the folder of the address's origin is served; one elsewhere is sent to the
// origin of its own folder, so that the page that asked can show it but not read it.
void PageFolders::requestStarted(QWebEngineUrlRequestJob *job)
{
    const QUrl url = job->requestUrl();
    const auto folder = folders().constFind(url.host());
    const QFileInfo info(file(url));
    const QString path = info.canonicalFilePath();
    if (folder == folders().cend() || !info.isFile() || path.isEmpty()) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    if (!isWithin(path, *folder)) {
        job->redirect(address(path));
        return;
    }
    auto *content = new QFile(path, job);
    if (!content->open(QIODevice::ReadOnly)) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    const QMimeDatabase types;
    job->reply(types.mimeTypeForFile(path, QMimeDatabase::MatchExtension).name().toUtf8(), content);
}
