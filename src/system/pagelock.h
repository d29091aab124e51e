#pragma once

#include <QString>

// One window a page: a lock file beside the page's preview, held while a window edits the page.
// The lock is the system's, on the file: a program that ends lets it go, however it ends.
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

    PageLock(const PageLock &) = delete;
    PageLock &operator=(const PageLock &) = delete;

private:
    // A lock held: the lock file's name and its descriptor, or -1.
    struct Held
    {
        QString name;
        int handle = -1;
        void release();
    };

    Held m_lock;
    Held m_taken;
};
