#include "preview/engine/webenginebrowser.h"

#include "preview/engine/pagefolders.h"

#include <QWebEngineProfile>
#include <QWebEngineScript>

#include <chrono>

namespace {
const QString HomePage = QStringLiteral("about:blank");

// A load that shows no progress for this long waits for a resource that may never come; a
// reload asked for meanwhile goes ahead instead of waiting for it.
constexpr std::chrono::seconds StalledLoadTimeout(5);
} // namespace

WebEngineBrowser::WebEngineBrowser()
    : m_profile(PreviewPage::newProfile(&m_ownResources))
    , m_view(new QWebEngineView)
{
    auto *page = new PreviewPage(m_profile, m_view, [this](const QString &text) { alert(text); });
    page->onPointedAt([this](const QPoint &point) { pointedAt(point); });
    m_view->setPage(page);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);

    m_patience.setSingleShot(true);
    m_patience.setInterval(StalledLoadTimeout);
    QObject::connect(&m_patience, &QTimer::timeout, &m_patience, [this] { loadEnded(); });
    QObject::connect(m_view, &QWebEngineView::loadProgress, &m_patience, [this] {
        if (m_loading)
            m_patience.start();
    });
    QObject::connect(m_view, &QWebEngineView::loadFinished, &m_patience, [this] { loadEnded(); });
}

WebEngineBrowser::~WebEngineBrowser()
{
    // The window that shows the view may have deleted it already; the page must go before
    // its profile.
    delete m_view;
    delete m_profile;
}

QWidget *WebEngineBrowser::view()
{
    return m_view;
}

void WebEngineBrowser::Navigate(const QString &target)
{
    loadStarting();
    m_view->setUrl(target == HomePage ? QUrl(HomePage) : PageFolders::fileAddress(target));
}

void WebEngineBrowser::Refresh()
{
    if (m_loading) {
        m_reloadPending = true;
        return;
    }
    loadStarting();
    m_view->reload();
}

void WebEngineBrowser::GoHome()
{
    loadStarting();
    m_view->setUrl(QUrl(HomePage));
}

QString WebEngineBrowser::LocationURL() const
{
    return m_view->url().toString();
}

void WebEngineBrowser::runScript(const QString &script, std::function<void(const QVariant &)> done)
{
    if (!m_view) {
        done(QVariant());
        return;
    }
    m_view->page()->runJavaScript(
        script, QWebEngineScript::ApplicationWorld,
        [done = std::move(done)](const QVariant &result) { done(result); });
}

void WebEngineBrowser::loadStarting()
{
    m_loading = true;
    m_reloadPending = false;
    m_patience.start();
}

void WebEngineBrowser::loadEnded()
{
    m_loading = false;
    m_patience.stop();
    if (m_reloadPending && m_view)
        Refresh();
    if (m_loadEnded)
        m_loadEnded();
}
