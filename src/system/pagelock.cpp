#include "system/pagelock.h"

#include "system/previewfile.h"

#include <QFileInfo>
#include <QLockFile>

PageLock::PageLock() = default;

PageLock::~PageLock() = default;

bool PageLock::take(const QString &path)
{
    m_taken.reset();
    // Hidden, beside the preview: a listing of the folder shows the page and its preview alone.
    const QFileInfo page(path);
    m_takenName = page.absolutePath() + QStringLiteral("/.") + page.fileName() +
                  PreviewFile::Suffix + QStringLiteral(".lock");
    if (m_takenName == m_name)
        return true;
    auto lock = std::make_unique<QLockFile>(m_takenName);
    // Only a lock whose program has ended is stale, however long ago it was taken.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        m_taken = std::move(lock);
        return true;
    }
    return lock->error() != QLockFile::LockFailedError;
}

void PageLock::keep()
{
    if (m_takenName.isEmpty() || m_takenName == m_name)
        return;
    m_lock = std::move(m_taken);
    m_name = m_takenName;
}

void PageLock::drop()
{
    m_taken.reset();
    m_takenName.clear();
}
