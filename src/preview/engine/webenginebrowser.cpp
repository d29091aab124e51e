#include "preview/engine/webenginebrowser.h"

#include "preview/engine/pagefolders.h"

#include <QFileInfo>
#include <QStackedLayout>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <utility>

namespace {
const QString HomePage = QStringLiteral("about:blank");

// A load that shows no progress for this long waits for a resource that may never come: it is
// shown as it is, and a reload asked for meanwhile goes ahead.
constexpr std::chrono::seconds StalledLoadTimeout(5);
// A renderer that leaves a question unanswered this long runs a script that does not end.
constexpr std::chrono::milliseconds HangAfter(2000);
// ... and a renderer that has not answered since the load began may still be starting.
constexpr std::chrono::milliseconds FirstAnswerAfter(5000);
// ... and one that runs a script of the program's own, sent while it answered, may take this
// long: the first update of a page of megabytes parses and compares all of it.
constexpr std::chrono::milliseconds OwnScriptAfter(20000);
// A page of megabytes lays itself out in one task that takes seconds: each of these limits
// grows by a millisecond for so many bytes of the page.
constexpr qint64 BytesPerSlackMs = 500;
constexpr std::chrono::milliseconds WatchEvery(250);
// A page that answers but has not painted this long after its load (a window that is not
// shown) is shown all the same.
constexpr std::chrono::milliseconds PaintPatience(1000);
constexpr std::chrono::milliseconds PaintPoll(16);

// Scrolls a page just loaded to where the page it replaces was, and notes its second frame
// from then on: the first may still be on its way to the screen.
QString scrollAndMarkPaint(QPointF at, int serial)
{
    return QStringLiteral("window.scrollTo(%1, %2); requestAnimationFrame(() => "
                          "requestAnimationFrame(() => { window.velmoraPainted = %3; }));")
        .arg(at.x())
        .arg(at.y())
        .arg(serial);
}

// Fetches the images and style sheets of these files again, under an address of their own that
// the page's cache does not hold, and answers how many of the files no element of the page names
// (an image of a style sheet, a sheet it imports). The page names a file by a file: address or
// one of the program's scheme, in any folder's origin: the path is what tells the file.
QString refetchScript(const QStringList &paths, int serial)
{
    QString list;
    for (const QString &path : paths)
        list += u'"' + path + QStringLiteral("\",");
    return QStringLiteral(
               "(() => { let missed = 0;"
               "for (const path of [%1]) { let found = false;"
               "for (const e of document.querySelectorAll('img[src], input[src], link[href]')) {"
               "const name = e.localName === 'link' ? 'href' : 'src'; let u;"
               "try { u = new URL(e[name]); } catch (x) { continue; }"
               "if (!['file:', '%3:'].includes(u.protocol) || u.pathname !== path) continue;"
               "u.search = '?velmora-version=%2'; u.hash = ''; e[name] = u.href; found = true; }"
               "if (!found) ++missed; } return missed; })()")
        .arg(list, QString::number(serial), QString::fromLatin1(PageFolders::Scheme));
}
} // namespace

struct WebEngineBrowser::Call
{
    Call(std::function<void(const QVariant &)> done, bool trusted)
        : done(std::move(done))
        , trusted(trusted)
    {}
    // Answers once: with the page's own answer, or with none when the page is stopped first.
    void answer(const QVariant &value)
    {
        if (auto once = std::exchange(done, nullptr))
            once(value);
    }
    std::function<void(const QVariant &)> done;
    bool trusted; // sent while the page answered
};

WebEngineBrowser::WebEngineBrowser()
    : m_profile(PreviewPage::newProfile(&m_ownResources))
    , m_container(new QWidget)
    , m_stack(new QStackedLayout(m_container))
    , m_files([this](const PageFiles::Files &changed) { filesChanged(changed); })
{
    m_stack->setStackingMode(QStackedLayout::StackAll);
    m_stack->setContentsMargins(0, 0, 0, 0);
    makePane(0);
    makePane(1);
    m_stack->setCurrentWidget(m_panes[0].view);
    m_container->setFocusProxy(m_panes[0].view);

    m_patience.setSingleShot(true);
    m_patience.setInterval(StalledLoadTimeout);
    QObject::connect(&m_patience, &QTimer::timeout, &m_patience, [this] {
        if (m_loading && !m_painting && underneath().emptying) {
            emptied(1 - m_shown);
            m_patience.start();
        } else if (m_loading && !m_painting) {
            loaded();
        }
    });
    m_watch.setInterval(WatchEvery);
    QObject::connect(&m_watch, &QTimer::timeout, &m_watch, [this] { watchTick(); });
    m_watch.start();
    m_paintPoll.setSingleShot(true);
    m_paintPoll.setInterval(PaintPoll);
    QObject::connect(&m_paintPoll, &QTimer::timeout, &m_paintPoll, [this] { lookForPaint(); });
}

WebEngineBrowser::~WebEngineBrowser()
{
    // The window that shows the views may have deleted them already; the pages must go before
    // their profile.
    delete m_container;
    delete m_profile;
}

void WebEngineBrowser::makePane(int index)
{
    Pane &pane = m_panes[index];
    pane.view = new QWebEngineView(m_container);
    pane.page = new PreviewPage(m_profile, pane.view, [this](const QString &text) { alert(text); });
    pane.view->setPage(pane.page);
    // A page in a box answers when the box is answered: its clock starts again from there.
    pane.page->onDialog([this, index] { m_panes[index].silent.invalidate(); });
    pane.page->onPointedAt([this](const QPoint &point) { pointedAt(point); });
    pane.view->setContextMenuPolicy(Qt::NoContextMenu);
    pane.requests =
        std::make_unique<PageRequests>([this, index](const QString &path, PageFileKind kind) {
            Pane &asking = m_panes[index];
            if (path == PageFolders::localFile(asking.page->url()))
                return; // the preview itself, rewritten at every change
            asking.files.insert(path, kind);
            if (index == m_shown)
                m_files.add(path, kind);
        });
    pane.page->setUrlRequestInterceptor(pane.requests.get());
    QObject::connect(pane.page, &QWebEnginePage::loadingChanged, m_container,
                     [this, index](const QWebEngineLoadingInfo &info) {
                         if (m_panes[index].emptying && info.url() == QUrl(HomePage) &&
                             info.status() != QWebEngineLoadingInfo::LoadStartedStatus) {
                             emptied(index);
                             return;
                         }
                         if (index != m_shown && m_loading && !m_painting &&
                             !m_panes[index].stopping && info.url() == m_target &&
                             (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus ||
                              info.status() == QWebEngineLoadingInfo::LoadFailedStatus))
                             loaded();
                     });
    QObject::connect(pane.page, &QWebEnginePage::loadProgress, m_container, [this, index] {
        if (index != m_shown && m_loading && !m_painting)
            m_patience.start();
        // A load that moves on has a renderer that works; a question put to the document it
        // replaced may never be answered.
        m_panes[index].silent.invalidate();
    });
    QObject::connect(pane.page, &QWebEnginePage::renderProcessTerminated, m_container,
                     [this, index] {
                         const bool hung = std::exchange(m_panes[index].stopping, false);
                         lost(index, hung ? Stop::ScriptHung : Stop::RendererDied);
                     });
    m_stack->addWidget(pane.view);
}

QWidget *WebEngineBrowser::view()
{
    return m_container;
}

void WebEngineBrowser::Navigate(const QString &target)
{
    load(target == HomePage ? QUrl(HomePage) : PageFolders::fileAddress(target), true);
}

void WebEngineBrowser::Refresh()
{
    if (m_loading) {
        m_reloadPending = true;
        return;
    }
    load(shown().page->url(), true);
}

void WebEngineBrowser::GoHome()
{
    load(QUrl(HomePage), true);
}

QString WebEngineBrowser::LocationURL() const
{
    return m_loading ? m_target.toString() : m_panes[m_shown].page->url().toString();
}

void WebEngineBrowser::runScript(const QString &script, std::function<void(const QVariant &)> done)
{
    Pane &pane = shown();
    if (!pane.view) {
        done(QVariant());
        return;
    }
    auto call = std::make_shared<Call>(
        std::move(done), pane.answered && (!pane.silent.isValid() ||
                                           pane.silent.elapsed() < HangAfter.count() + pane.slack));
    pane.calls.push_back(call);
    pane.page->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                             [this, index = m_shown, call](const QVariant &result) {
                                 auto &calls = m_panes[index].calls;
                                 calls.erase(std::remove(calls.begin(), calls.end(), call),
                                             calls.end());
                                 call->answer(result);
                             });
}

// The page underneath loads, with its scripts or without them.
void WebEngineBrowser::load(const QUrl &url, bool scripts)
{
    Pane &pane = underneath();
    // The page would send a file: address there itself; its end is then that address's.
    m_target = url.isLocalFile() ? PageFolders::address(PageFolders::file(url)) : url;
    m_loading = true;
    m_painting = false;
    m_reloadPending = false;
    ++m_loadSerial;
    m_paintPoll.stop();
    pane.files.clear();
    pane.silent.invalidate();
    pane.answered = false;
    const QString file = PageFolders::localFile(url);
    pane.slack = file.isEmpty() ? 0 : QFileInfo(file).size() / BytesPerSlackMs;
    pane.bypass = std::exchange(m_filesChanged, false);
    flush(pane);
    pane.page->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, scripts);
    // A load started while the page still goes to its empty state may be taken for that one and
    // never report its end.
    if (pane.emptying)
        pane.waiting = url;
    else
        pane.page->setUrl(url);
    m_patience.start();
}

void WebEngineBrowser::emptied(int index)
{
    Pane &pane = m_panes[index];
    pane.emptying = false;
    if (const std::optional<QUrl> url = std::exchange(pane.waiting, std::nullopt))
        pane.page->setUrl(*url);
}

// Loaded: it takes the place of the page shown once it has painted.
void WebEngineBrowser::loaded()
{
    Pane &pane = underneath();
    // A renderer keeps what it fetched under the program's scheme for as long as it lives: a
    // file that changed since is read again by a reload past that cache.
    if (std::exchange(pane.bypass, false)) {
        pane.page->triggerAction(QWebEnginePage::ReloadAndBypassCache);
        m_patience.start();
        return;
    }
    m_patience.stop();
    m_painting = true;
    if (!pane.view->isVisible()) {
        swap(); // nothing paints while the window is not shown
        return;
    }
    const QPointF at = shown().page->url() == m_target ? shown().page->scrollPosition() : QPointF();
    pane.page->runJavaScript(scrollAndMarkPaint(at, m_loadSerial),
                             QWebEngineScript::ApplicationWorld);
    m_paintWait.start();
    m_paintPoll.start();
}

// One question at a time: a page that does not answer is for the watch to find.
void WebEngineBrowser::lookForPaint()
{
    const int serial = m_loadSerial;
    underneath().page->runJavaScript(
        QStringLiteral("window.velmoraPainted"), QWebEngineScript::ApplicationWorld,
        [this, serial](const QVariant &painted) {
            if (!m_painting || serial != m_loadSerial)
                return;
            if (painted.toInt() == serial || m_paintWait.elapsed() > PaintPatience.count())
                swap();
            else
                m_paintPoll.start();
        });
}

void WebEngineBrowser::swap()
{
    m_loading = false;
    m_painting = false;
    m_patience.stop();
    m_paintPoll.stop();
    Pane &old = shown();
    m_shown = 1 - m_shown;
    Pane &now = shown();
    const bool focused = old.view->hasFocus();
    m_stack->setCurrentWidget(now.view);
    m_container->setFocusProxy(now.view);
    if (focused)
        now.view->setFocus();
    m_files.watch(now.files);

    // The page that was shown waits underneath, empty, for the next load.
    old.silent.invalidate();
    flush(old);
    old.files.clear();
    old.page->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
    old.waiting.reset();
    old.emptying = true;
    old.page->setUrl(QUrl(HomePage));

    if (m_reloadPending)
        Refresh();
    if (m_loadEnded)
        m_loadEnded();
}

// Asks the page shown, and the one loading underneath, whether they still answer, and stops the
// one that has not for too long: a page may start a script that never ends at any time.
void WebEngineBrowser::watchTick()
{
    for (int index : {0, 1}) {
        Pane &pane = m_panes[index];
        if ((index != m_shown && !m_loading) || pane.stopping ||
            !pane.page->settings()->testAttribute(QWebEngineSettings::JavascriptEnabled)) {
            pane.silent.invalidate();
            continue;
        }
        const bool ownScript = std::any_of(pane.calls.cbegin(), pane.calls.cend(),
                                           [](const auto &call) { return call->trusted; });
        const auto limit = ownScript       ? OwnScriptAfter
                           : pane.answered ? HangAfter
                                           : FirstAnswerAfter;
        if (!pane.silent.isValid())
            ping(index);
        else if (pane.silent.elapsed() > limit.count() + pane.slack)
            stopRenderer(index);
    }
}

void WebEngineBrowser::ping(int index)
{
    Pane &pane = m_panes[index];
    pane.silent.start();
    const int serial = ++pane.pings;
    pane.page->runJavaScript(QStringLiteral("0"), QWebEngineScript::ApplicationWorld,
                             [this, index, serial](const QVariant &) {
                                 m_panes[index].answered = true;
                                 if (m_panes[index].pings == serial)
                                     m_panes[index].silent.invalidate();
                             });
}

// Ending the renderer frees its core at once; the page goes on when the engine has seen it end.
void WebEngineBrowser::stopRenderer(int index)
{
    Pane &pane = m_panes[index];
    pane.silent.invalidate();
    const qint64 pid = pane.page->renderProcessPid();
    if (pid <= 0) {
        lost(index, Stop::ScriptHung);
        return;
    }
    pane.stopping = true;
    ::kill(pid_t(pid), SIGKILL);
}

// A page whose renderer was stopped or died. The page shown is replaced by the same document
// without its scripts, unless a load runs already; a load underneath starts again, with its
// scripts only when a reload for a newer text was asked for meanwhile.
void WebEngineBrowser::lost(int index, Stop why)
{
    Pane &pane = m_panes[index];
    pane.silent.invalidate();
    // Its renderer went with the empty page it was going to.
    pane.emptying = false;
    pane.waiting.reset();
    if (index == m_shown) {
        stopped(why);
        if (!m_loading)
            load(pane.page->url(), false);
    } else if (m_loading) {
        stopped(why);
        load(m_target, m_reloadPending);
    }
    flush(pane);
}

void WebEngineBrowser::flush(Pane &pane)
{
    for (const std::shared_ptr<Call> &call : std::exchange(pane.calls, {}))
        call->answer(QVariant());
}

// An image or a style sheet is fetched again in the page where the page names it; anything
// else, or a file only a style sheet names, reloads the page.
void WebEngineBrowser::filesChanged(const PageFiles::Files &changed)
{
    m_filesChanged = true;
    QStringList refetched;
    for (auto file = changed.begin(); file != changed.end(); ++file) {
        if (file.value() == PageFileKind::Other) {
            Refresh();
            return;
        }
        refetched.append(QUrl::fromLocalFile(file.key()).path(QUrl::FullyEncoded));
    }
    runScript(refetchScript(refetched, ++m_refetches), [this](const QVariant &missed) {
        if (!missed.isValid() || missed.toInt() > 0)
            Refresh();
    });
}
