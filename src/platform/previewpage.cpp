#include "previewpage.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QWebEngineNewWindowRequest>

#include <chrono>

namespace {
// A navigation this soon after the user's click or key press is the user's.
constexpr std::chrono::milliseconds UserInputCounts(1000);
} // namespace

PreviewPage::PreviewPage(QWebEngineProfile *profile, QObject *parent,
                         std::function<void(const QString &)> alertShown)
    : QWebEnginePage(profile, parent)
    , m_alertShown(std::move(alertShown))
{
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
