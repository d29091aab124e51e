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
    struct Recovered
    {
        QString text;
        // The page on disk was written after the text was typed: saving replaces a newer page.
        bool pageIsNewer;
    };

    explicit Recovery(MessageBox &messageBox);

    // When the preview file at `previewPath`, the user's own, holds text that an edit wrote and
    // that differs from `pageText`, asks whether to take it, telling whether the page at
    // `pageName` changed since; the text when the user does.
    std::optional<Recovered> offer(const QString &pageName, const QString &previewPath,
                                   const QString &pageText, const TextEncoding &encoding);

    static QString prompt(const QString &pageName, bool pageIsNewer = false);

private:
    MessageBox &m_messageBox;
};
