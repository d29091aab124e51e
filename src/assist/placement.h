#pragma once

class EditControl;
class ListControl;
class MainWindow;
struct CompletionState;

// Puts a pop-up list next to the caret and shows it: below the caret's line, left of the caret
// where it would pass the window's right edge, above the line where it would pass the bottom.
class Placement
{
public:
    Placement(MainWindow &window, EditControl &Text1, CompletionState &state);

    // Sets Attop: whether the list went above the caret's line.
    void place(ListControl &list);

private:
    MainWindow &m_window;
    EditControl &m_text1;
    CompletionState &m_state;
};
