#include "assist/markupassist.h"

MarkupAssist::MarkupAssist(MainWindow &window, EditControl &Text1, ListControl &List1,
                           ListControl &List2, CompletionState &state, KeySender &keySender,
                           const std::function<void()> &change)
    : m_placement(window, Text1, state)
    , m_completion(Text1, List1, List2, state, m_placement)
    , m_popupKeys(Text1, List1, List2, state, keySender, change)
    , m_closingTags(Text1, state, change)
{}

void MarkupAssist::textChanged()
{
    m_completion.run();
}

void MarkupAssist::editorKeyDown(int &keyCode, int shift)
{
    m_popupKeys.editorKeyDown(keyCode, shift);
}

// Each step sees the character as the steps before it left it.
void MarkupAssist::editorKeyPress(int &keyAscii)
{
    m_popupKeys.finishAttribute(keyAscii);
    m_closingTags.closeTag(keyAscii);
    m_popupKeys.hideAttributeList(keyAscii);
    m_closingTags.finishTagBeforeBreak(keyAscii);
}

void MarkupAssist::editorClick()
{
    m_popupKeys.editorClick();
}

void MarkupAssist::listKeyDown(ListControl &list, int &keyCode)
{
    m_popupKeys.listKeyDown(list, keyCode);
}
