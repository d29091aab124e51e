#pragma once

#include <functional>

class EditControl;
class KeySender;
class ListControl;
struct CompletionState;

// The keys and the click around the pop-up lists: Space accepts the selected word, Up and
// Down move into a list, Escape, Left, Right and a click close it, and an attribute name
// accepted with Space is followed by "=".
class PopupKeys
{
public:
    PopupKeys(EditControl &Text1, ListControl &List1, ListControl &List2, CompletionState &state,
              KeySender &keySender, std::function<void()> change);

    void editorKeyDown(int &keyCode, int shift);
    void listKeyDown(ListControl &list, int &keyCode);
    void editorClick();
    // The first step of the editor's key-press: a space after an accepted attribute name
    // becomes "=".
    void finishAttribute(int &keyAscii);
    // The third step: "=" hides the attribute list.
    void hideAttributeList(int keyAscii);

private:
    void forgetTagAtDeletedBracket(int keyCode);
    void acceptInEditor();
    void moveIntoList(int &keyCode);
    void hideLists();

    EditControl &m_text1;
    ListControl &m_list1;
    ListControl &m_list2;
    CompletionState &m_state;
    KeySender &m_keySender;
    std::function<void()> m_change;
};
