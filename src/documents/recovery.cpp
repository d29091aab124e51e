#include "documents/recovery.h"

#include "platform/messagebox.h"
#include "system/previewfile.h"

#include <QFile>
#include <QFileInfo>

namespace {
constexpr int YesNoQuestion = 36;
// A page written this soon after the kept text is taken for one copied along with it.
constexpr int SameMomentSeconds = 2;
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
    QFile file(previewPath);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::optional<QString> typed = PreviewFile::editedText(file.readAll(), encoding, pageText);
    if (!typed || *typed == pageText)
        return std::nullopt;
    const QFileInfo page(pageName);
    const bool pageIsNewer =
        page.exists() &&
        page.lastModified() > QFileInfo(file).lastModified().addSecs(SameMomentSeconds);
    if (m_messageBox.MsgBox(prompt(pageName, pageIsNewer), YesNoQuestion,
                            QStringLiteral("Warning")) != MessageBox::Yes)
        return std::nullopt;
    return Recovered{*typed, pageIsNewer};
}

QString Recovery::prompt(const QString &pageName, bool pageIsNewer)
{
    const QString crash = QStringLiteral("Velmora did not close properly while ") + pageName +
                          QStringLiteral(" was being edited.\r\n");
    if (!pageIsNewer)
        return crash + QStringLiteral("Recover the text typed then?");
    return crash + pageName +
           QStringLiteral(" has been changed on disk since then.\r\nRecover the text typed "
                          "then? Saving it would replace the newer page.");
}
