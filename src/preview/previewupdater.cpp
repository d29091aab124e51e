#include "preview/previewupdater.h"

#include "core/textchange.h"
#include "preview/javascript.h"
#include "preview/patchsafety.h"

#include "editor/editcontrol.h"
#include "platform/browsercontrol.h"

#include <chrono>

namespace {
// An update in place that has not answered by then is given up, and the preview reloaded.
constexpr std::chrono::seconds PatchAnswerTimeout(30);

} // namespace

PreviewUpdater::PreviewUpdater(const EditControl &Text1, BrowserControl &browser)
    : m_text1(Text1)
    , m_browser(browser)
{
    m_patience.setSingleShot(true);
    m_patience.setInterval(PatchAnswerTimeout);
    QObject::connect(&m_patience, &QTimer::timeout, &m_patience, [this] { patchEnded(QString()); });
    m_browser.onLoadEnded([this] { loadEnded(); });
}

PreviewUpdater::~PreviewUpdater()
{
    m_browser.onLoadEnded(nullptr);
}

// Only a text that can be updated in place is kept: holding on to the editor's text would make
// the editor copy it whole at the next keystroke.
void PreviewUpdater::loading(const QString &head, const TextEncoding &encoding)
{
    const QString &text = m_text1.Text();
    m_head = head;
    m_encoding = encoding;
    m_loadedHead = head;
    m_known = true;
    m_active = PatchSafety::hasActiveContent(text, encoding);
    m_text = m_active ? QString() : text;
    m_scriptText.clear();
    m_scriptHasSource = false;
    m_pending = false;
    ++m_counts.reloads;
}

void PreviewUpdater::forget()
{
    m_known = false;
    m_scriptHasSource = false;
    m_pending = false;
}

void PreviewUpdater::changed(const QString &head, const TextEncoding &encoding)
{
    const QString &text = m_text1.Text();
    // Every version goes through the check, also those that only a load running now may
    // show, and whose scripts would then have run.
    if (m_known && !m_active) {
        m_active = PatchSafety::changeNeedsReload(m_text, text, TextChange::between(m_text, text),
                                                  encoding);
    }
    m_text = m_active ? QString() : text;
    m_head = head;
    m_encoding = encoding;
    if (busy()) {
        m_pending = true;
        return;
    }
    run();
}

bool PreviewUpdater::busy() const
{
    return m_patching || m_browser.isLoading();
}

void PreviewUpdater::run()
{
    m_pending = false;
    if (m_inPlace && m_known && !m_active && m_head == m_loadedHead)
        patch();
    else
        reload();
}

void PreviewUpdater::reload()
{
    loading(m_head, m_encoding);
    m_browser.Refresh();
}

void PreviewUpdater::patch()
{
    const QString script = patchScript();
    m_scriptText = m_text;
    m_scriptHasSource = true;
    m_patching = true;
    m_patience.start();
    const int serial = ++m_patchSerial;
    const std::weak_ptr<int> alive = m_alive;
    m_browser.runScript(script, [this, alive, serial](const QVariant &result) {
        if (!alive.expired() && serial == m_patchSerial && m_patching)
            patchEnded(result.toString());
    });
}

QString PreviewUpdater::patchScript() const
{
    QString arguments;
    if (m_scriptHasSource) {
        const TextChange change = TextChange::between(m_scriptText, m_text);
        arguments =
            QStringLiteral("{length:%1,start:%2,removed:%3,inserted:%4}")
                .arg(m_head.size() + m_scriptText.size() + 2)
                .arg(change.start)
                .arg(change.removed)
                .arg(javaScriptString(QStringView(m_text).mid(change.start, change.inserted)));
    } else {
        arguments = QStringLiteral("{headLength:%1,source:%2}")
                        .arg(m_head.size())
                        .arg(javaScriptString(QString(m_head + m_text + QStringLiteral("\r\n"))));
    }
    return javaScriptResource(QStringLiteral(":/preview/previewpatch.js")) + u'(' + arguments +
           u')';
}

void PreviewUpdater::patchEnded(const QString &result)
{
    m_patching = false;
    m_patience.stop();
    if (!m_known)
        return; // another document is shown by now
    if (result == QLatin1String("patched")) {
        ++m_counts.patches;
        if (m_pending)
            run();
        return;
    }
    if (result == QLatin1String("stale"))
        m_scriptHasSource = false;
    else
        m_active = true; // what the script world found, or its silence, asks for a load
    run();
}

void PreviewUpdater::loadEnded()
{
    if (m_pending && !busy())
        run();
}
