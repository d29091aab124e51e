#include "webenginebrowser.h"

#include "previewpage.h"

#include <QChildEvent>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

#include <chrono>

namespace {
const QString HomePage = QStringLiteral("about:blank");

// A load that shows no progress for this long waits for a resource that may never come; a
// reload asked for meanwhile goes ahead instead of waiting for it.
constexpr std::chrono::seconds Patience(5);

// Tells the page of the user's clicks and key presses in the view, whose input goes to a
// child widget that the engine creates and replaces.
class UserInputWatcher : public QObject
{
public:
    UserInputWatcher(QWidget *view, PreviewPage *page)
        : QObject(view)
        , m_page(page)
    {
        view->installEventFilter(this);
        for (QObject *child : view->children())
            child->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::ChildAdded:
            static_cast<QChildEvent *>(event)->child()->installEventFilter(this);
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::KeyPress:
            m_page->noteUserInput();
            break;
        default:
            break;
        }
        return false;
    }

private:
    PreviewPage *m_page;
};

// What a page in the preview may do: load its own resources, run its scripts; not reach the
// network, open windows or take the focus. Local files are for the request interceptor to
// sort out.
void restrict(QWebEngineSettings *settings)
{
    // Without it the engine loads no local resource at all, not even an image beside the page.
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
    settings->setAttribute(QWebEngineSettings::AllowWindowActivationFromJavaScript, false);
    settings->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    settings->setAttribute(QWebEngineSettings::AllowRunningInsecureContent, false);
    settings->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
    settings->setAttribute(QWebEngineSettings::WebRTCPublicInterfacesOnly, true);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
}

// WebRTC reaches the network by UDP, which no request interceptor sees and no setting stops;
// the engine reads its switches when the first profile is made.
QWebEngineProfile *profileWithoutWebRtcUdp()
{
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    const QByteArray noUdp =
        QByteArrayLiteral("--force-webrtc-ip-handling-policy=disable_non_proxied_udp");
    if (!flags.contains(noUdp))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.isEmpty() ? noUdp : flags + ' ' + noUdp);
    return new QWebEngineProfile;
}
} // namespace

WebEngineBrowser::WebEngineBrowser()
    : m_profile(profileWithoutWebRtcUdp())
    , m_view(new QWebEngineView)
{
    restrict(m_profile->settings());
    m_profile->setUrlRequestInterceptor(&m_ownResources);
    auto *page = new PreviewPage(m_profile, m_view, [this](const QString &text) { alert(text); });
    m_view->setPage(page);
    new UserInputWatcher(m_view, page);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);

    m_patience.setSingleShot(true);
    m_patience.setInterval(Patience);
    QObject::connect(&m_patience, &QTimer::timeout, [this] { loadEnded(); });
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
    m_view->setUrl(target == HomePage ? QUrl(HomePage) : QUrl::fromLocalFile(target));
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
}
