#pragma once

#include "previewupdater.h"

#include <QByteArray>
#include <QString>

class BrowserControl;
class EditControl;
class MainWindow;
struct PageState;

// The preview file beside the page and the browser that shows it.
class LivePreview
{
public:
    // What follows the page's name in the preview file's name.
    static const QString Suffix;

    LivePreview(PageState &page, const EditControl &Text1, BrowserControl &WebBrowser1,
                MainWindow &window);

    // The preview stage of the change handler: marks the page changed, writes the preview
    // file with the error-suppression line ahead of the text, and has the browser show it
    // again (in place where that shows the same), or go back to it.
    void update();
    // Writes the preview file with the page text alone, as opening and saving a page do.
    void writeText();
    // Shows the preview file in the browser.
    void show();
    // Deletes the preview file, if there is one.
    void remove();

    PreviewUpdater &updater() { return m_updater; }

private:
    bool needsDeclaration(const QString &text) const;
    void write(bool suppressErrors);
    QString headText() const;

    PageState &m_page;
    const EditControl &m_text1;
    BrowserControl &m_browser;
    MainWindow &m_window;
    QByteArray m_head;
    QByteArray m_bytes; // kept, so that a keystroke on a long page allocates nothing
    bool m_failing = false;
    PreviewUpdater m_updater;
};
