#include "system/pagelock.h"

#include "system/nativefile.h"
#include "system/previewfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

PageLock::PageLock() = default;

PageLock::~PageLock()
{
    m_taken.release();
    m_lock.release();
}

// The file goes before the lock, so that whoever opens the name next makes a new one.
void PageLock::Held::release()
{
    if (handle >= 0) {
        NativeFile::remove(name);
        ::close(handle);
    }
    handle = -1;
    name.clear();
}

bool PageLock::take(const QString &path)
{
    m_taken.release();
    // Hidden, beside the preview: a listing of the folder shows the page and its preview alone.
    const QString name = NativeFile::folderOf(path) + QStringLiteral("/.") +
                         NativeFile::nameOf(path) + PreviewFile::Suffix + QStringLiteral(".lock");
    if (name == m_lock.name)
        return true;
    // A folder that takes no lock file has no lock to hold.
    m_taken.name = name;
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int handle = NativeFile::open(name, O_RDWR | O_CREAT, 0600);
        if (handle < 0)
            return true;
        if (::flock(handle, LOCK_EX | LOCK_NB) != 0) {
            const bool held = errno == EWOULDBLOCK;
            ::close(handle);
            if (held)
                m_taken.name.clear();
            return !held;
        }
        // The lock counts only on the file that still has the name: its holder may have
        // removed it in between.
        struct stat locked
        {
        }, named{};
        if (::fstat(handle, &locked) == 0 && NativeFile::status(name, &named, true) &&
            locked.st_dev == named.st_dev && locked.st_ino == named.st_ino) {
            m_taken.handle = handle;
            return true;
        }
        ::close(handle);
    }
    return true;
}

void PageLock::keep()
{
    if (m_taken.name.isEmpty())
        return;
    m_lock.release();
    m_lock = m_taken;
    m_taken = {};
}

void PageLock::drop()
{
    m_taken.release();
}
