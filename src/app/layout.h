#pragma once

#include <initializer_list>

class BrowserControl;
class Control;
class Button;
class EditControl;
class Frame;
class MainWindow;
class Timer;

// Places the preview, the find panel with its buttons and the editor for the window's size and
// the panel's open flag. A resize sets the editor's size at once; the timer's ticks ease every
// other position a tenth of the remaining way each time, and the timer stops once everything
// has arrived, so that an idle window costs nothing.
class Layout
{
public:
    Layout(MainWindow &window, BrowserControl &preview, EditControl &editor, Frame &panel,
           Button &command1, Button &command2, Button &command3, Button &command4, Timer &timer);

    // Returns the part of the editor's height left to the open panel.
    double resize();
    void tick();
    // Sets the timer going again after the panel opened or closed.
    void start();

private:
    MainWindow &m_window;
    BrowserControl &m_preview;
    EditControl &m_editor;
    Frame &m_panel;
    Button &m_command1;
    Button &m_command2;
    Button &m_command3;
    Button &m_command4;
    Timer &m_timer;
};

// Gives each captioned control (label, button or check box) a font in which its caption fits
// its width: its own font where it does, otherwise the largest smaller size of that face that
// does, so that the stand-in faces of a system without the designed ones show whole captions.
void fitCaptions(std::initializer_list<Control *> controls);
