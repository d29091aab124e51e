#pragma once

#include "documents/recovery.h"
#include "system/pagelock.h"

#include <QString>

#include <functional>

class BrowserControl;
class CommonDialog;
class EditControl;
class LivePreview;
class MainWindow;
class MessageBox;
struct PageState;

// Opening, starting and saving pages, and the place and lifetime of the preview file.
class Documents
{
public:
    struct Window
    {
        MainWindow &window;
        EditControl &Text1;
        BrowserControl &WebBrowser1;
        CommonDialog &CommonDialog1;
        MessageBox &messageBox;
    };

    // `writeSkeleton` puts a new page's skeleton into the editor.
    Documents(PageState &page, const Window &window, LivePreview &preview,
              std::function<void()> writeSkeleton, std::function<void()> endProgram);

    // Offers to save a changed page, asks for a page in the open dialog and opens it, or
    // starts a new page under a name that does not exist yet. Cancelling the first dialog
    // of the program ends it.
    void open();
    // Opens the named page as if it had been chosen in the open dialog: a preview file's name
    // is refused and a page that cannot be read is reported, and the dialog then asks for
    // another.
    void openNamed(const QString &name);
    enum class SaveOffer
    {
        Go,
        Cancelled,
        NotSaved
    };
    // Offers to save a changed page: Go once it is saved, needs no saving or the user said
    // No; Cancelled when the user cancelled; NotSaved when the save failed.
    SaveOffer offerToSave();
    // Both return false, with the user told why, when the page was not written.
    bool save();
    bool saveAs();

    // Loads the file into the editor and takes its encoding and line breaks as the page's;
    // false, with the reason, when it cannot be read, the editor keeping its text.
    bool Floadfile(const QString &file, QString *reason);

private:
    bool refused(const QString &chosen);
    bool openChosen(const QString &chosen);
    void startNewPage();
    void showPreviewAgain();
    void writePreview();
    void removeOtherPreview(const QString &previous);
    bool mayReplace(const QString &path);
    bool write(const QString &path);

    PageState &m_page;
    Window m_window;
    LivePreview &m_preview;
    std::function<void()> m_writeSkeleton;
    Recovery m_recovery;
    PageLock m_pageLock;
    std::function<void()> m_endProgram;
};
