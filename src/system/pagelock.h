#pragma once

#include <QString>

#include <memory>

class QLockFile;

// One window a page: a lock file beside the page's preview, held while a window edits the page.
// A lock left behind by a program that has ended is taken over.
class PageLock
{
public:
    PageLock();
    ~PageLock();

    // Takes the page at `path` for this window, from keep() on: false when another running
    // program holds it. A folder that takes no lock file has no lock to hold and stops no one.
    bool take(const QString &path);
    // The page taken last is this window's now; the one it edited before is let go.
    void keep();
    // The page taken last is let go again, unless it is the one this window edits.
    void drop();

private:
    QString m_name;
    std::unique_ptr<QLockFile> m_lock;
    QString m_takenName;
    std::unique_ptr<QLockFile> m_taken;
};
