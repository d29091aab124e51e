#pragma once

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QHash>
#include <QTimer>
#include <QWebEngineUrlRequestInterceptor>

#include <functional>

// What a file is to the page that uses it: what decides how a new version of it is shown.
enum class PageFileKind
{
    Image,
    StyleSheet,
    Other, // scripts, frames, fonts, media: the page is loaded again
};

// Hears the local files one page asks for, as it loads and afterwards, whether they exist or
// not.
class PageRequests : public QWebEngineUrlRequestInterceptor
{
public:
    explicit PageRequests(std::function<void(const QString &path, PageFileKind)> asked)
        : m_asked(std::move(asked))
    {}

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

private:
    std::function<void(const QString &, PageFileKind)> m_asked;
};

// Watches the files that the page shown uses, and their folders, so that a file that appears,
// changes or goes is told once it has settled.
class PageFiles
{
public:
    using Files = QHash<QString, PageFileKind>;

    explicit PageFiles(std::function<void(const Files &changed)> changed);

    // Watches these files alone from now on.
    void watch(const Files &files);
    void add(const QString &path, PageFileKind kind);

private:
    struct Seen
    {
        PageFileKind kind;
        QDateTime modified;
        qint64 size = -1; // -1: no such file
    };

    static Seen seen(const QString &path, PageFileKind kind);
    void look();
    void rewatch();

    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QHash<QString, Seen> m_files;
    std::function<void(const Files &)> m_changed;
};
