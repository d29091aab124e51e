#include "documents/recovery.h"

#include "platform/messagebox.h"
#include "system/previewfile.h"

#include <QFile>

namespace {
constexpr int YesNoQuestion = 36;
} // namespace

Recovery::Recovery(MessageBox &messageBox)
    : m_messageBox(messageBox)
{}

std::optional<QString> Recovery::offer(const QString &pageName, const QString &previewPath,
                                       const QString &pageText, const TextEncoding &encoding)
{
    if (!PreviewFile::canHoldPreview(previewPath))
        return std::nullopt;
    QFile file(previewPath);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::optional<QString> typed = PreviewFile::editedText(file.readAll(), encoding, pageText);
    if (!typed || *typed == pageText)
        return std::nullopt;
    if (m_messageBox.MsgBox(prompt(pageName), YesNoQuestion, QStringLiteral("Warning")) !=
        MessageBox::Yes)
        return std::nullopt;
    return typed;
}

QString Recovery::prompt(const QString &pageName)
{
    return QStringLiteral("Velmora did not close properly while ") + pageName +
           QStringLiteral(" was being edited.\r\nRecover the text typed then?");
}
