#pragma once

class EditControl;
class MessageBox;

// The Insert menu: tag pairs and the page skeleton around the selection, the non-breaking
// space, and the help box. Each command replaces the selection once, so the change handler
// runs once per command.
class InsertMenu
{
public:
    enum Wrapping
    {
        Table,
        Paragraph,
        Font,
        Anchor,
        LineBreak,
        Image,
        Script,
        Page,
        Other
    };

    InsertMenu(EditControl &Text1, MessageBox &messageBox);

    // Writes the prefix, the selected text and the suffix in place of the selection and puts
    // the caret right after the selected text.
    void wrap(Wrapping wrapping);
    void nbsp();
    void help();

private:
    EditControl &m_text1;
    MessageBox &m_messageBox;
};
