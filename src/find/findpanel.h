#pragma once

#include <array>

class Button;
class CheckBox;
class EditControl;
class Frame;
class MessageBox;
class TextBox;

// The find and replace panel. The search position is the editor's own selection; the panel's
// open flag is the frame's enabled state. Opening and closing only switch the flag, show or
// hide the buttons and change the editor's height: the layout moves everything else.
class FindPanel
{
public:
    FindPanel(Frame &panel, TextBox &findBox, TextBox &replaceBox, CheckBox &matchCase,
              const std::array<Button *, 4> &buttons, EditControl &editor, MessageBox &messageBox);

    bool isOpen() const;
    // Opens the panel, or closes it when it is open.
    void toggle();
    void close();
    // The find box got the focus: the next search starts at the beginning of the text.
    void findBoxGotFocus();
    void findNext();
    // Replaces the selection, whatever it holds, then finds the next match after it.
    void replace();
    // Replaces every exact match in one assignment of the text.
    void replaceAll();

    // A resize sets the editor's height anew, with this much left to the open panel; closing
    // gives it back.
    void setEditorHeightTaken(double twips) { m_editorHeightTaken = twips; }

private:
    void open();
    void showButtons(bool visible);

    Frame &m_panel;
    TextBox &m_findBox;
    TextBox &m_replaceBox;
    CheckBox &m_matchCase;
    std::array<Button *, 4> m_buttons;
    EditControl &m_editor;
    MessageBox &m_messageBox;
    double m_editorHeightTaken = 0;
};
