#pragma once

class CommonDialog;
class EditControl;
class mdlRegistry;

// The Font command: the face, size and boldness chosen in the font dialog go to the editor and
// into the settings store. Nothing reads them back: every start shows the designed font.
class FontCommand
{
public:
    FontCommand(CommonDialog &dialog, EditControl &editor, mdlRegistry &store);

    void run();

private:
    CommonDialog &m_dialog;
    EditControl &m_editor;
    mdlRegistry &m_store;
};
