#pragma once

#include <QStringView>

#include <functional>

class EditControl;
struct CompletionState;

// Closing tags written behind the caret when an opening tag is finished with ">" or Enter, and
// the ">" that Enter types first inside a tag that has none yet.
class ClosingTags
{
public:
    ClosingTags(EditControl &Text1, CompletionState &state, std::function<void()> change);

    // The second step of the editor's key-press.
    void closeTag(int &keyAscii);
    // The fourth step.
    void finishTagBeforeBreak(int keyAscii);

    // Whether the last "<script" before the end of `text` comes after the last "</script",
    // letter case ignored.
    static bool insideScriptBlock(QStringView text);
    // Whether the last "(" in `text` comes after the last ")".
    static bool parenthesisOpen(QStringView text);
    static bool isExempt(const QString &tagName);

private:
    void stepBackOverSpace();

    EditControl &m_text1;
    CompletionState &m_state;
    std::function<void()> m_change;
};
