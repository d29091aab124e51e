#include "documents/recovery.h"

#include "core/nativename.h"
#include "platform/messagebox.h"
#include "system/nativefile.h"
#include "system/previewfile.h"

#include <QFile>

#include <fcntl.h>

namespace {
constexpr int YesNoQuestion = 36;
// A page written this soon (ms) after the kept text is taken for one copied along with it.
constexpr qint64 SameMoment = 2000;

qint64 modified(const struct stat &status)
{
    return qint64(status.st_mtim.tv_sec) * 1000 + status.st_mtim.tv_nsec / 1000000;
}
} // namespace

Recovery::Recovery(MessageBox &messageBox)
    : m_messageBox(messageBox)
{}

std::optional<Recovery::Recovered> Recovery::offer(const QString &pageName,
                                                   const QString &previewPath,
                                                   const QString &pageText,
                                                   const TextEncoding &encoding)
{
    if (!PreviewFile::canHoldPreview(previewPath) || !PreviewFile::isOwn(previewPath))
        return std::nullopt;
    QFile file;
    QString reason;
    if (!NativeFile::open(file, previewPath, O_RDONLY, 0, &reason))
        return std::nullopt;
    std::optional<QString> typed = PreviewFile::editedText(file.readAll(), encoding, pageText);
    if (!typed || *typed == pageText)
        return std::nullopt;
    struct stat page
    {
    }, preview{};
    const bool pageIsNewer = NativeFile::status(pageName, &page) &&
                             ::fstat(file.handle(), &preview) == 0 &&
                             modified(page) > modified(preview) + SameMoment;
    if (m_messageBox.MsgBox(prompt(pageName, pageIsNewer), YesNoQuestion,
                            QStringLiteral("Warning")) != MessageBox::Yes)
        return std::nullopt;
    return Recovered{*typed, pageIsNewer};
}

QString Recovery::prompt(const QString &pageName, bool pageIsNewer)
{
    const QString shown = NativeName::readable(pageName);
    const QString crash = QStringLiteral("Velmora did not close properly while ") + shown +
                          QStringLiteral(" was being edited.\r\n");
    if (!pageIsNewer)
        return crash + QStringLiteral("Recover the text typed then?");
    return crash + shown +
           QStringLiteral(" has been changed on disk since then.\r\nRecover the text typed "
                          "then? Saving it would replace the newer page.");
}
