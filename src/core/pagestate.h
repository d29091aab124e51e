#pragma once

#include "core/linebreaks.h"
#include "core/textencoding.h"

#include <QString>
#include <QtGlobal>

// What the window knows of the open page.
struct PageState
{
    QString editingfile;   // full path of the page
    QString tempfile;      // the preview file: editingfile + "_VLM_temp.html"
    qint16 ischanged = 0;  // 1 when the text changed since the last open or save
    qint16 isopening = 0;  // 1 while the Open command replaces the text
    qint16 filenum = 0;    // counts New commands
    TextEncoding encoding; // the page is saved and previewed as it was read
    // A page read with LF line breaks alone is saved with them.
    LineBreakForm lineBreaks = LineBreakForm::CrLf;
    // The file on disk that holds this page: the one loaded, then the one last saved; empty
    // for a new page. Another file at the page's path is replaced only once the user agrees.
    QString ownfile;
};
