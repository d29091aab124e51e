#include "preview/previewupdater.h"

#include "core/textchange.h"
#include "preview/javascript.h"
#include "preview/patchsafety.h"

#include "editor/editcontrol.h"
#include "platform/browsercontrol.h"

#include <QStringList>

#include <chrono>
#include <utility>

namespace {
// An update in place that has not answered by then is given up, and the preview reloaded.
constexpr std::chrono::seconds PatchAnswerTimeout(30);
// A pause in typing this long brings a page with scripts to a fresh load: short enough to show
// the exact page well within a second of the last key, long enough not to load between keys.
constexpr std::chrono::milliseconds RestPause(400);

} // namespace

PreviewUpdater::PreviewUpdater(const EditControl &Text1, BrowserControl &browser)
    : m_text1(Text1)
    , m_browser(browser)
{
    m_patience.setSingleShot(true);
    m_patience.setInterval(PatchAnswerTimeout);
    QObject::connect(&m_patience, &QTimer::timeout, &m_patience, [this] { patchEnded(QString()); });
    m_rest.setSingleShot(true);
    m_rest.setInterval(RestPause);
    QObject::connect(&m_rest, &QTimer::timeout, &m_rest, [this] { restReached(); });
    m_browser.onLoadEnded([this] { loadEnded(); });
}

PreviewUpdater::~PreviewUpdater()
{
    m_browser.onLoadEnded(nullptr);
}

// The texts kept here are copies of their own, changed in place at each keystroke: sharing the
// editor's text would make the editor copy it whole at the next one.
void PreviewUpdater::loading(const QString &head, const TextEncoding &encoding)
{
    const QString &text = m_text1.Text();
    m_text = QString(text.constData(), text.size());
    m_loadedText = m_text;
    m_head = head;
    m_encoding = encoding;
    m_loadedHead = head;
    m_known = true;
    m_active = PatchSafety::hasActiveContent(m_text, encoding);
    m_mustReload = false;
    m_changedInPlace = false;
    m_scriptText.clear();
    m_scriptHasSource = false;
    m_pending = false;
    m_rest.stop();
    ++m_counts.reloads;
    dropPrime();
}

void PreviewUpdater::forget()
{
    dropPrime();
    m_known = false;
    m_scriptHasSource = false;
    m_pending = false;
    m_rest.stop();
}

void PreviewUpdater::changed(const QString &head, const TextEncoding &encoding)
{
    QElapsedTimer judged;
    judged.start();
    const QString &text = m_text1.Text();
    const TextChange change = TextChange::between(m_text, text);
    // Every version goes through the check, also those that only a load running now may
    // show, and whose scripts would then have run.
    if (m_known && !m_mustReload)
        m_mustReload = PatchSafety::changeNeedsReload(m_text, text, change, encoding);
    m_text.replace(change.start, change.removed, text.constData() + change.start, change.inserted);
    m_head = head;
    m_encoding = encoding;
    m_changeMs = judged.nsecsElapsed() / 1e6;
    if (m_known && m_active)
        m_rest.start();
    if (busy()) {
        m_pending = true;
        return;
    }
    run();
}

bool PreviewUpdater::isUpdating() const
{
    return (m_patching && !m_priming) || m_browser.isLoading() || m_pending;
}

bool PreviewUpdater::busy() const
{
    return m_patching || m_browser.isLoading();
}

void PreviewUpdater::run()
{
    m_pending = false;
    if (m_inPlace && m_known && !m_mustReload && !m_unanswered && m_head == m_loadedHead)
        patch();
    else
        reload();
}

void PreviewUpdater::reload()
{
    loading(m_head, m_encoding);
    m_browser.Refresh();
}

// Its answer is about a document that goes.
void PreviewUpdater::dropPrime()
{
    if (!std::exchange(m_priming, false))
        return;
    m_patching = false;
    m_patience.stop();
    ++m_patchSerial;
}

// Nothing changed since the load: the script world parses the source and cuts it into parts
// now, while nobody waits for it.
void PreviewUpdater::prime()
{
    m_priming = true;
    patch();
}

void PreviewUpdater::patch()
{
    const QString script = patchScript();
    m_scriptHasSource = true;
    m_patching = true;
    m_patience.start();
    const int serial = ++m_patchSerial;
    const std::weak_ptr<int> alive = m_alive;
    const auto ended = [this, alive, serial](const QString &result) {
        if (!alive.expired() && serial == m_patchSerial && m_patching)
            patchEnded(result);
    };
    // No answer comes also from a browser whose page is being destroyed, which must not be
    // asked to reload then: an answer that comes later than the call is taken up once that
    // is done.
    auto sent = std::make_shared<bool>(false);
    m_browser.runScript(script, [ended, sent](const QVariant &result) {
        if (result.isValid() || !*sent)
            ended(result.toString());
        else
            // `ended` itself checks that the updater is still there.
            QTimer::singleShot(0, [ended] { ended({}); }); // clazy:exclude=connect-3arg-lambda
    });
    *sent = true;
}

// The first update after a load gives the script world the source that was loaded, and the
// change from it; later ones the change alone. The call is put together piece by piece: arg()
// would also take markers such as "%2F" inside the source for its own, and copy it at each step.
QString PreviewUpdater::patchScript()
{
    const bool withSource = !m_scriptHasSource;
    QString source;
    if (withSource) {
        m_scriptText = std::exchange(m_loadedText, QString());
        source = javaScriptString(QString(m_head + m_scriptText + QStringLiteral("\r\n")));
    }
    const qsizetype length = m_head.size() + m_scriptText.size() + 2;
    const TextChange change = TextChange::between(m_scriptText, m_text);
    m_scriptText.replace(change.start, change.removed, m_text.constData() + change.start,
                         change.inserted);
    const QString inserted =
        javaScriptString(QStringView(m_text).mid(change.start, change.inserted));
    const QString &program = javaScriptResource(QStringLiteral(":/preview/previewpatch.js"));
    const QString rules = PatchSafety::scriptRules();

    QString script;
    script.reserve(program.size() + source.size() + inserted.size() + rules.size() + 100);
    script += program;
    if (withSource) {
        script += QLatin1String("({headLength:") + QString::number(m_head.size());
        script +=
            m_active ? QLatin1String(",exact:false,source:") : QLatin1String(",exact:true,source:");
        script += source;
    } else {
        script += QLatin1String("({length:") + QString::number(length);
    }
    script += QLatin1String(",start:") + QString::number(change.start);
    script += QLatin1String(",removed:") + QString::number(change.removed);
    script += QLatin1String(",inserted:");
    script += inserted;
    script += QLatin1String("},");
    script += rules;
    script += u')';
    return script;
}

void PreviewUpdater::patchEnded(const QString &result)
{
    m_patching = false;
    m_patience.stop();
    const bool primed = std::exchange(m_priming, false);
    if (!m_known)
        return; // another document is shown by now
    const bool ready = result == QLatin1String("ready");
    if (primed || ready) {
        // Without an answer the source goes with the next change.
        m_scriptHasSource = ready;
        if (!ready)
            m_loadedText = m_scriptText;
        if (m_pending && !busy())
            run();
        return;
    }
    const QStringList fields = result.split(u' ');
    const bool part = fields.constFirst() == QLatin1String("part");
    if (part || fields.constFirst() == QLatin1String("whole")) {
        ++m_counts.patches;
        m_counts.parts += part ? 1 : 0;
        m_changedInPlace = true;
        if (m_patched)
            m_patched({m_changeMs, fields.value(1).toDouble(), fields.value(2).toDouble(), part});
        if (m_pending)
            run();
        return;
    }
    // What the script world found, or its silence, asks for a load; a browser that does not
    // answer is not asked again before a load has ended.
    m_mustReload = true;
    m_unanswered = result.isEmpty();
    m_scriptHasSource = false;
    run();
}

void PreviewUpdater::loadEnded()
{
    m_unanswered = false;
    if (busy())
        return;
    if (m_pending)
        run();
    else if (m_inPlace && m_known && !m_scriptHasSource && !m_mustReload && m_head == m_loadedHead)
        prime();
}

void PreviewUpdater::restReached()
{
    if (!m_known || !m_active || !m_changedInPlace)
        return;
    if (busy() || m_pending)
        m_rest.start();
    else
        reload();
}
