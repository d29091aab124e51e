#include "preview/engine/previewpage.h"

#include <QChildEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QPointer>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWidget>

#include <chrono>

namespace {
// A navigation this soon after the user's click or key press is the user's.
constexpr std::chrono::milliseconds UserInputCounts(1000);

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
            if (m_page)
                m_page->noteUserInput();
            break;
        default:
            break;
        }
        return false;
    }

private:
    QPointer<PreviewPage> m_page; // the view deletes its children one by one
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
void stopWebRtcUdp()
{
    const QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    const QByteArray noUdp =
        QByteArrayLiteral("--force-webrtc-ip-handling-policy=disable_non_proxied_udp");
    if (!flags.contains(noUdp))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.isEmpty() ? noUdp : flags + ' ' + noUdp);
}
} // namespace

QWebEngineProfile *PreviewPage::newProfile(QWebEngineUrlRequestInterceptor *interceptor)
{
    stopWebRtcUdp();
    auto *profile = new QWebEngineProfile;
    restrict(profile->settings());
    profile->setUrlRequestInterceptor(interceptor);
    return profile;
}

PreviewPage::PreviewPage(QWebEngineProfile *profile, QWidget *view,
                         std::function<void(const QString &)> alertShown)
    : QWebEnginePage(profile, view)
    , m_alertShown(std::move(alertShown))
{
    new UserInputWatcher(view, this);
    // A link for another window: the user's opens where a link in the page does; a script's
    // goes nowhere.
    connect(this, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest &request) {
                if (!request.isUserInitiated())
                    return;
                const QUrl url = request.requestedUrl();
                if (isLocal(url))
                    QMetaObject::invokeMethod(
                        this, [this, url] { setUrl(url); }, Qt::QueuedConnection);
                else
                    QDesktopServices::openUrl(url);
            });
}

bool PreviewPage::isLocal(const QUrl &url)
{
    static const QStringList LocalSchemes{QStringLiteral("file"), QStringLiteral("about"),
                                          QStringLiteral("data"), QStringLiteral("blob"),
                                          QStringLiteral("qrc")};
    return LocalSchemes.contains(url.scheme());
}

void PreviewPage::noteUserInput()
{
    m_userInput.start();
}

// The half-typed page's script errors, and whatever else it logs, go nowhere: the editor has
// no console.
void PreviewPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &, int,
                                           const QString &)
{}

void PreviewPage::javaScriptAlert(const QUrl &, const QString &message)
{
    if (m_alertShown)
        m_alertShown(message);
}

bool PreviewPage::javaScriptConfirm(const QUrl &, const QString &)
{
    return true;
}

bool PreviewPage::javaScriptPrompt(const QUrl &, const QString &, const QString &, QString *)
{
    return false;
}

bool PreviewPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (isLocal(url))
        return true;
    const bool byTheUser = type == NavigationTypeLinkClicked && isMainFrame &&
                           m_userInput.isValid() && m_userInput.elapsed() < UserInputCounts.count();
    if (byTheUser)
        QDesktopServices::openUrl(url);
    return false;
}

// The engine lets a local page read every local file, or load none at all: here a local file
// is loaded only as what a page's own resource is, in a form that a script cannot read as text.
bool OwnResources::mayLoad(const QUrl &url, QWebEngineUrlRequestInfo::ResourceType type)
{
    if (!url.isLocalFile())
        return PreviewPage::isLocal(url);
    const QString suffix = QFileInfo(url.path()).suffix().toLower();
    switch (type) {
    case QWebEngineUrlRequestInfo::ResourceTypeMainFrame:
        return true;
    // The page can read a frame's document: other pages only, never a text or system file.
    case QWebEngineUrlRequestInfo::ResourceTypeSubFrame:
        return suffix.startsWith(QLatin1String("htm")) || suffix == QLatin1String("xhtml");
    // The page can read the rules of its style sheets.
    case QWebEngineUrlRequestInfo::ResourceTypeStylesheet:
        return suffix == QLatin1String("css");
    case QWebEngineUrlRequestInfo::ResourceTypeScript:
        return suffix == QLatin1String("js") || suffix == QLatin1String("mjs");
    case QWebEngineUrlRequestInfo::ResourceTypeImage:
    case QWebEngineUrlRequestInfo::ResourceTypeFontResource:
    case QWebEngineUrlRequestInfo::ResourceTypeMedia:
    case QWebEngineUrlRequestInfo::ResourceTypeFavicon:
        return true;
    default: // fetch, XHR, workers, prefetches, pings, plugins
        return false;
    }
}

void OwnResources::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    if (!mayLoad(info.requestUrl(), info.resourceType()))
        info.block(true);
}
