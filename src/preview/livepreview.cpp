#include "preview/livepreview.h"

#include "core/nativename.h"
#include "core/pagestate.h"
#include "editor/editcontrol.h"
#include "platform/browsercontrol.h"
#include "platform/mainwindow.h"
#include "system/files.h"
#include "system/nativefile.h"
#include "system/previewfile.h"

LivePreview::LivePreview(PageState &page, const EditControl &Text1, BrowserControl &WebBrowser1,
                         MainWindow &window)
    : m_page(page)
    , m_text1(Text1)
    , m_browser(WebBrowser1)
    , m_window(window)
    , m_updater(Text1, WebBrowser1)
    , m_caret(Text1, WebBrowser1, m_updater, [this] { return headText(); })
{
    m_browser.onStopped([this](Browser::Stop why) {
        m_window.showBriefly(why == Browser::Stop::ScriptHung
                                 ? QStringLiteral("The page's script stopped responding and was "
                                                  "stopped; the preview goes on.")
                                 : QStringLiteral("The preview of the page stopped unexpectedly "
                                                  "and was started again."));
    });
}

LivePreview::~LivePreview()
{
    m_browser.onStopped(nullptr);
}

void LivePreview::update()
{
    m_page.ischanged = 1;
    write(true);
    m_caret.textChanged();
    if (m_browser.LocationURL().contains(PreviewFile::Suffix)) {
        m_updater.changed(headText(), m_page.encoding);
    } else if (PreviewFile::canHoldPreview(m_page.tempfile)) {
        m_updater.loading(headText(), m_page.encoding);
        m_browser.Navigate(m_page.tempfile);
    }
}

// The head as the browser reads it: the byte-order mark is not part of the document.
QString LivePreview::headText() const
{
    TextEncoding written;
    return TextEncoding::decode(m_head, &written);
}

void LivePreview::writeText()
{
    write(false);
}

void LivePreview::writeChanged()
{
    write(true);
}

// The browser is not sent to read a pipe or another file that is not a regular one either.
void LivePreview::show()
{
    m_updater.forget();
    if (PreviewFile::canHoldPreview(m_page.tempfile))
        m_browser.Navigate(m_page.tempfile);
}

bool LivePreview::exists() const
{
    return PreviewFile::canHoldPreview(m_page.tempfile) && Fexists(m_page.tempfile);
}

void LivePreview::remove()
{
    if (exists())
        NativeFile::remove(m_page.tempfile);
}

// A preview that cannot be written is told in the status bar until writing works again;
// editing goes on.
void LivePreview::write(bool suppressErrors)
{
    PreviewFile::compose(m_text1.Text(), m_page.encoding, suppressErrors, m_head, m_bytes);
    QString reason;
    if (PreviewFile::replace(m_page.tempfile, m_head, m_bytes, &reason)) {
        if (m_failing)
            m_window.clearStatus();
        m_failing = false;
        return;
    }
    m_window.showStatus(
        QStringLiteral("Typing is not being kept: the preview cannot be written to ") +
        NativeName::readable(m_page.tempfile) + QStringLiteral(": ") + reason);
    m_failing = true;
}
