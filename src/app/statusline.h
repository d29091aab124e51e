#pragma once

#include <QString>

class EditControl;
class MainWindow;
struct PageState;

// The right-hand part of the status bar: the caret's line and column, the unsaved mark, the
// page's encoding and line breaks, and how many problems the page has.
class StatusLine
{
public:
    StatusLine(MainWindow &window, EditControl &Text1, const PageState &page);

    // Reads the caret from the editor's own cursor: no scan of the text.
    void refresh();
    void setProblems(int count);

    static QString text(int line, int column, bool modified, const PageState &page, int problems);

private:
    MainWindow &m_window;
    EditControl &m_text1;
    const PageState &m_page;
    int m_problems = 0;
};
