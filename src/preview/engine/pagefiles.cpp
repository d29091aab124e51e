#include "preview/engine/pagefiles.h"

#include "preview/engine/pagefolders.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <chrono>

namespace {
// A program that saves a file writes it in steps, or writes another and renames it.
constexpr std::chrono::milliseconds Settle(150);

// The folder to watch for a file: its own, or the nearest one that exists, where the file's
// folder is still to be made.
QString watchedFolder(const QString &path)
{
    QDir folder = QFileInfo(path).absoluteDir();
    while (!folder.exists() && !folder.isRoot()) {
        if (!folder.cdUp())
            break;
    }
    return folder.absolutePath();
}
} // namespace

void PageRequests::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    const QString path = PageFolders::localFile(info.requestUrl());
    if (path.isEmpty())
        return;
    switch (info.resourceType()) {
    case QWebEngineUrlRequestInfo::ResourceTypeMainFrame:
        return;
    case QWebEngineUrlRequestInfo::ResourceTypeImage:
    case QWebEngineUrlRequestInfo::ResourceTypeFavicon:
        m_asked(path, PageFileKind::Image);
        return;
    case QWebEngineUrlRequestInfo::ResourceTypeStylesheet:
        m_asked(path, PageFileKind::StyleSheet);
        return;
    default:
        m_asked(path, PageFileKind::Other);
        return;
    }
}

PageFiles::PageFiles(std::function<void(const Files &)> changed)
    : m_changed(std::move(changed))
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(Settle);
    QObject::connect(&m_settle, &QTimer::timeout, &m_settle, [this] { look(); });
    QObject::connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_settle,
                     qOverload<>(&QTimer::start));
    QObject::connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle,
                     qOverload<>(&QTimer::start));
}

void PageFiles::watch(const Files &files)
{
    m_files.clear();
    for (auto file = files.begin(); file != files.end(); ++file)
        m_files.insert(file.key(), seen(file.key(), file.value()));
    rewatch();
}

void PageFiles::add(const QString &path, PageFileKind kind)
{
    if (m_files.contains(path))
        return;
    m_files.insert(path, seen(path, kind));
    rewatch();
}

PageFiles::Seen PageFiles::seen(const QString &path, PageFileKind kind)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return {kind, {}, -1};
    return {kind, info.lastModified(), info.size()};
}

void PageFiles::look()
{
    Files changed;
    for (auto file = m_files.begin(); file != m_files.end(); ++file) {
        const Seen now = seen(file.key(), file->kind);
        if (now.size != file->size || now.modified != file->modified) {
            changed.insert(file.key(), file->kind);
            *file = now;
        }
    }
    rewatch(); // a file replaced by another is no longer watched
    if (!changed.isEmpty())
        m_changed(changed);
}

// A file is watched where it exists, and its folder always, for the file to appear.
void PageFiles::rewatch()
{
    QSet<QString> wanted;
    for (auto file = m_files.begin(); file != m_files.end(); ++file) {
        if (file->size >= 0)
            wanted.insert(file.key());
        wanted.insert(watchedFolder(file.key()));
    }
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    QStringList gone;
    for (const QString &path : watched) {
        if (!wanted.remove(path))
            gone.append(path);
    }
    if (!gone.isEmpty())
        m_watcher.removePaths(gone);
    if (!wanted.isEmpty())
        m_watcher.addPaths(QStringList(wanted.begin(), wanted.end()));
}
