#pragma once

#include "preview/caretfollower.h"
#include "preview/previewupdater.h"

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
    LivePreview(PageState &page, const EditControl &Text1, BrowserControl &WebBrowser1,
                MainWindow &window);
    ~LivePreview();
    LivePreview(const LivePreview &) = delete;
    LivePreview &operator=(const LivePreview &) = delete;

    // The preview stage of the change handler: marks the page changed, writes the preview
    // file with the error-suppression line ahead of the text, and has the browser show it
    // again (in place where that shows the same), or go back to it.
    void update();
    // Writes the preview file with the page text alone, as opening and saving a page do.
    void writeText();
    // Writes the preview file as a change does, without the browser step.
    void writeChanged();
    // Shows the preview file in the browser.
    void show();
    // A preview file lies at its place; never true of a pipe or another file that is not a
    // regular one, which is never opened.
    bool exists() const;
    // Deletes the preview file, if there is one.
    void remove();

    // A key, a click or a command may have moved the caret: the preview follows it there.
    void caretMayMove() { m_caret.caretMayMove(); }

    PreviewUpdater &updater() { return m_updater; }
    const PreviewUpdater &updater() const { return m_updater; }
    CaretFollower &caretFollower() { return m_caret; }
    // What the preview file holds ahead of the text, as the browser reads it.
    QString headText() const;

private:
    void write(bool suppressErrors);

    PageState &m_page;
    const EditControl &m_text1;
    BrowserControl &m_browser;
    MainWindow &m_window;
    QByteArray m_head;
    QByteArray m_bytes; // kept, so that a keystroke on a long page allocates nothing
    bool m_failing = false;
    PreviewUpdater m_updater;
    CaretFollower m_caret;
};
