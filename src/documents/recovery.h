#pragma once

#include <QString>

#include <optional>

class MessageBox;
class TextEncoding;

// Text typed into a page and never saved because the program died: every edit writes the
// whole text into the preview file, which an earlier run then left behind.
class Recovery
{
public:
    explicit Recovery(MessageBox &messageBox);

    // When the preview file at `previewPath` holds text that an edit wrote and that differs
    // from `pageText`, asks whether to take it; the text when the user does.
    std::optional<QString> offer(const QString &pageName, const QString &previewPath,
                                 const QString &pageText, const TextEncoding &encoding);

    static QString prompt(const QString &pageName);

private:
    MessageBox &m_messageBox;
};
