#include "preview/engine/previewpage.h"

#include "preview/engine/pagefolders.h"
#include "system/nativefile.h"

#include <QChildEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPointer>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWidget>

#include <chrono>
#include <sys/stat.h>

namespace {
// A navigation this soon after the user's click or key press is the user's.
constexpr std::chrono::milliseconds UserInputCounts(1000);

// The link at a point of the page, or the one that has the focus, read before the page's own
// handlers of the click or key have run.
const char *const LinkAtPoint = "(function () { var e = document.elementFromPoint(%1, %2);"
                                " var a = e && e.closest('a[href], area[href]');"
                                " return a ? a.href : ''; })()";
const char *const FocusedLink = "(function () { var e = document.activeElement;"
                                " var a = e && e.closest('a[href], area[href]');"
                                " return a ? a.href : ''; })()";

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
        case QEvent::MouseButtonDblClick: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            // A Ctrl+click asks for the source of what it points at: the page never sees it.
            if (mouse->button() == Qt::LeftButton && mouse->modifiers() == Qt::ControlModifier) {
                m_pointing = true;
                if (m_page && event->type() == QEvent::MouseButtonPress)
                    m_page->pointAt(mouse->position().toPoint());
                return true;
            }
            if (m_page)
                m_page->noteUserInput(mouse->position().toPoint());
            break;
        }
        case QEvent::MouseButtonRelease:
            if (m_pointing && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
                m_pointing = false;
                return true;
            }
            break;
        case QEvent::KeyPress:
            if (m_page)
                m_page->noteUserInput(std::nullopt);
            break;
        default:
            break;
        }
        return false;
    }

private:
    QPointer<PreviewPage> m_page; // the view deletes its children one by one
    bool m_pointing = false;      // the left button went down with Ctrl
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

// WebRTC reaches the network by UDP and by TCP to relays, which no request interceptor sees:
// UDP is switched off, and every connection that is left goes to a proxy that is not there,
// loopback addresses included, so that nothing, not even a name lookup, leaves the preview. The
// engine reads its switches when the first profile is made.
void keepOffTheNetwork()
{
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    for (const QByteArray &flag :
         {QByteArrayLiteral("--force-webrtc-ip-handling-policy=disable_non_proxied_udp"),
          QByteArrayLiteral("--proxy-server=127.0.0.1:9"),
          QByteArrayLiteral("--proxy-bypass-list=<-loopback>")}) {
        if (!flags.contains(flag))
            flags = flags.isEmpty() ? flag : flags + ' ' + flag;
    }
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
}

// The page may copy what the user selects, but writes nothing of its own to the clipboard.
const char *const NoClipboardWrites = R"((function () {
  var refuse = function () { return Promise.reject(new DOMException('', 'NotAllowedError')); };
  var execCommand = Document.prototype.execCommand;
  Document.prototype.execCommand = function (command) {
    var name = String(command).toLowerCase();
    return name === 'copy' || name === 'cut' ? false : execCommand.apply(this, arguments);
  };
  if (window.Clipboard) {
    Clipboard.prototype.write = refuse;
    Clipboard.prototype.writeText = refuse;
  }
  ['copy', 'cut'].forEach(function (type) {
    window.addEventListener(type, function (e) { e.stopImmediatePropagation(); }, true);
  });
})();)";

QWebEngineScript noClipboardWrites()
{
    QWebEngineScript script;
    script.setName(QStringLiteral("velmora-no-clipboard-writes"));
    script.setSourceCode(QString::fromUtf8(NoClipboardWrites));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(true);
    return script;
}

// A file that a browser shows as a page, and no other: not a text, a system file or a folder.
bool isPageFile(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    struct stat status
    {};
    return NativeFile::status(path, &status) && S_ISREG(status.st_mode) &&
           (suffix == QLatin1String("htm") || suffix == QLatin1String("html") ||
            suffix == QLatin1String("xhtml"));
}
} // namespace

QWebEngineProfile *PreviewPage::newProfile(QWebEngineUrlRequestInterceptor *interceptor)
{
    keepOffTheNetwork();
    PageFolders::registerScheme();
    auto *profile = new QWebEngineProfile;
    restrict(profile->settings());
    profile->setUrlRequestInterceptor(interceptor);
    profile->installUrlSchemeHandler(PageFolders::Scheme, new PageFolders(profile));
    return profile;
}

PreviewPage::PreviewPage(QWebEngineProfile *profile, QWidget *view,
                         std::function<void(const QString &)> alertShown)
    : QWebEnginePage(profile, view)
    , m_alertShown(std::move(alertShown))
{
    new UserInputWatcher(view, this);
    scripts().insert(noClipboardWrites());
    // A link for another window: the user's opens where a link in the page does; a script's
    // goes nowhere.
    connect(this, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest &request) {
                if (request.isUserInitiated())
                    follow(request.requestedUrl());
            });
}

bool PreviewPage::isLocal(const QUrl &url)
{
    static const QStringList LocalSchemes{
        QStringLiteral("file"), QStringLiteral("about"), QStringLiteral("data"),
        QStringLiteral("blob"), QStringLiteral("qrc"),   QString::fromLatin1(PageFolders::Scheme)};
    return LocalSchemes.contains(url.scheme());
}

void PreviewPage::noteUserInput(std::optional<QPoint> point)
{
    m_userInput.start();
    m_userLink.reset();
    m_asked.clear();
    const QString script = point ? QString::fromLatin1(LinkAtPoint).arg(point->x()).arg(point->y())
                                 : QString::fromLatin1(FocusedLink);
    // The engine answers a script still pending when the page is destroyed, after this class's
    // part of it is gone.
    const std::weak_ptr<int> alive = m_alive;
    runJavaScript(script, QWebEngineScript::ApplicationWorld, [this, alive](const QVariant &link) {
        if (!alive.expired())
            linkFound(QUrl(link.toString()));
    });
}

void PreviewPage::pointAt(const QPoint &point) const
{
    if (m_pointedAt)
        m_pointedAt(point);
}

// The navigations asked for before the link was known are decided now.
void PreviewPage::linkFound(const QUrl &link)
{
    m_userLink = link;
    const QList<QUrl> asked = std::exchange(m_asked, {});
    for (const QUrl &url : asked)
        follow(url);
}

// A navigation that the user's click or key may have asked for: one to the link that was
// clicked, once, goes where a link in the preview goes; any other goes nowhere.
void PreviewPage::follow(const QUrl &url)
{
    if (!m_userInput.isValid() || m_userInput.elapsed() >= UserInputCounts.count())
        return;
    if (!m_userLink) {
        m_asked.append(url);
        return;
    }
    if (m_userLink->isEmpty() || url != *m_userLink)
        return;
    m_userInput.invalidate();
    if (isLocal(url))
        QMetaObject::invokeMethod(
            this, [this, url] { setUrl(url); }, Qt::QueuedConnection);
    else if (opensOutside(url))
        QDesktopServices::openUrl(url);
}

// The half-typed page's script errors, and whatever else it logs, go nowhere: the editor has
// no console.
void PreviewPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &, int,
                                           const QString &)
{}

void PreviewPage::dialogShown() const
{
    if (m_dialog)
        m_dialog();
}

void PreviewPage::javaScriptAlert(const QUrl &, const QString &message)
{
    dialogShown();
    if (m_alertShown)
        m_alertShown(message);
}

bool PreviewPage::javaScriptConfirm(const QUrl &, const QString &)
{
    dialogShown();
    return true;
}

bool PreviewPage::javaScriptPrompt(const QUrl &, const QString &, const QString &, QString *)
{
    dialogShown();
    return false;
}

bool PreviewPage::opensOutside(const QUrl &url)
{
    static const QStringList Schemes{QStringLiteral("http"), QStringLiteral("https"),
                                     QStringLiteral("mailto")};
    return Schemes.contains(url.scheme());
}

bool PreviewPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    // A page on this machine is shown in the origin of its folder, and only a page is shown.
    if (url.isLocalFile() && isMainFrame) {
        if (isPageFile(PageFolders::file(url)))
            QMetaObject::invokeMethod(
                this, [this, url] { setUrl(PageFolders::address(PageFolders::file(url))); },
                Qt::QueuedConnection);
        return false;
    }
    if (url.scheme() == QLatin1String(PageFolders::Scheme) && isMainFrame)
        return isPageFile(PageFolders::file(url));
    if (isLocal(url))
        return true;
    if (type == NavigationTypeLinkClicked && isMainFrame && opensOutside(url))
        follow(url);
    return false;
}

// The engine lets a local page read every local file, or load none at all: here a local file
// is loaded only as what a page's own resource is, in a form that a script cannot read as text.
bool OwnResources::mayLoad(const QUrl &url, QWebEngineUrlRequestInfo::ResourceType type)
{
    const QString path = PageFolders::localFile(url);
    if (path.isEmpty())
        return PreviewPage::isLocal(url);
    const QString suffix = QFileInfo(path).suffix().toLower();
    switch (type) {
    case QWebEngineUrlRequestInfo::ResourceTypeMainFrame:
        return isPageFile(path);
    // The page can read a frame's document: other pages only, never a text or system file, nor
    // the unsaved typing in another page's preview.
    case QWebEngineUrlRequestInfo::ResourceTypeSubFrame:
        return (suffix.startsWith(QLatin1String("htm")) || suffix == QLatin1String("xhtml")) &&
               !path.contains(QLatin1String("_VLM_temp.html"));
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
    const QUrl url = info.requestUrl();
    const auto type = info.resourceType();
    if (!mayLoad(url, type)) {
        info.block(true);
        return;
    }
    if (url.scheme() == QLatin1String(PageFolders::Scheme) &&
        type != QWebEngineUrlRequestInfo::ResourceTypeMainFrame &&
        type != QWebEngineUrlRequestInfo::ResourceTypeSubFrame && !PageFolders::isWithinOrigin(url))
        info.redirect(PageFolders::fileAddress(PageFolders::file(url)));
}
