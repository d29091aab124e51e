#include "livepreview.h"

#include "documents/files.h"
#include "documents/pagestate.h"
#include "platform/browsercontrol.h"
#include "platform/editcontrol.h"
#include "platform/mainwindow.h"

#include <QFile>

#include <algorithm>

const QString LivePreview::Suffix = QStringLiteral("_VLM_temp.html");

namespace {
// Reports every script error as handled, so that a half-typed page runs quietly.
const QByteArray ErrorSuppression = QByteArrayLiteral(
    "<script>function killerr_for_vlm(){return true;}window.onerror=killerr_for_vlm;</script>\r\n");
} // namespace

LivePreview::LivePreview(PageState &page, const EditControl &Text1, BrowserControl &WebBrowser1,
                         MainWindow &window)
    : m_page(page)
    , m_text1(Text1)
    , m_browser(WebBrowser1)
    , m_window(window)
    , m_updater(Text1, WebBrowser1)
    , m_caret(Text1, WebBrowser1, *this)
{}

// Without a byte-order mark or a declaration of its own among its first bytes, a page is
// read in the encoding the browser guesses, and short texts defeat its guess: such a preview
// declares the encoding it is written in. `m_bytes` holds the encoded text by then.
bool LivePreview::needsDeclaration(const QString &text) const
{
    if (m_page.encoding.hasByteOrderMark() ||
        QStringView(text)
            .first(std::min(text.size(), qsizetype(1024)))
            .contains(QLatin1String("charset"), Qt::CaseInsensitive))
        return false;
    // In UTF-8 an all-ASCII text, which reads the same in every encoding, takes one byte a
    // character. A page read in another encoding has had other characters, and declaring it
    // does no harm.
    return m_page.encoding.codec() != TextEncoding::Utf8 || m_bytes.size() != text.size() + 2;
}

void LivePreview::update()
{
    m_page.ischanged = 1;
    write(true);
    m_caret.textChanged();
    if (m_browser.LocationURL().contains(Suffix)) {
        m_updater.changed(headText(), m_page.encoding);
    } else {
        m_updater.loading(headText(), m_page.encoding);
        m_browser.Navigate(m_page.tempfile);
    }
}

// The head as the browser reads it: the byte-order mark is not part of the document.
QString LivePreview::headText() const
{
    return QString::fromLatin1(
        QByteArrayView(m_head).sliced(m_page.encoding.hasByteOrderMark() ? 3 : 0));
}

void LivePreview::writeText()
{
    write(false);
}

void LivePreview::show()
{
    m_updater.forget();
    m_browser.Navigate(m_page.tempfile);
}

void LivePreview::remove()
{
    if (Fexists(m_page.tempfile))
        QFile::remove(m_page.tempfile);
}

// A preview that cannot be written is told once in the status bar, until writing works
// again; editing goes on.
void LivePreview::write(bool suppressErrors)
{
    const QString &text = m_text1.Text();
    m_bytes.resize(0);
    m_page.encoding.appendEncoded(m_bytes, text);
    m_bytes.append("\r\n");
    m_head.resize(0);
    m_page.encoding.appendByteOrderMark(m_head);
    if (suppressErrors)
        m_head.append(ErrorSuppression);
    if (needsDeclaration(text)) {
        m_head.append("<meta charset=\"");
        m_head.append(m_page.encoding.name().toLatin1());
        m_head.append("\">\r\n");
    }

    QFile file(m_page.tempfile);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered) &&
        writeAll(file, m_head) && writeAll(file, m_bytes)) {
        if (m_failing)
            m_window.clearStatus();
        m_failing = false;
        return;
    }
    if (!m_failing) {
        m_window.showStatus(QStringLiteral("The preview cannot be written to ") + m_page.tempfile +
                            QStringLiteral(": ") + file.errorString());
    }
    m_failing = true;
}
