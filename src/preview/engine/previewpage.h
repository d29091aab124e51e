#pragma once

#include <QElapsedTimer>
#include <QWebEnginePage>
#include <QWebEngineUrlRequestInterceptor>

#include <functional>
#include <memory>
#include <optional>

// The page of the preview: a hand-written page, maybe half-typed, maybe from elsewhere. Its
// scripts run, but it cannot interrupt the typing with a box, take the focus, open windows,
// send the browser elsewhere or reach the network by itself. A link the user follows stays in
// the preview when it leads to a local file and opens in the system's browser otherwise.
class PreviewPage : public QWebEnginePage
{
public:
    // A page of `view`, which tells it of the user's input.
    PreviewPage(QWebEngineProfile *profile, QWidget *view,
                std::function<void(const QString &)> alertShown);

    // A profile whose settings and request interceptor keep its pages to themselves.
    static QWebEngineProfile *newProfile(QWebEngineUrlRequestInterceptor *interceptor);
    // Whether a page at this address is the user's own, on this machine, and may be shown.
    static bool isLocal(const QUrl &url);
    // The user clicked at this point of the preview, or pressed a key in it, just now.
    void noteUserInput(std::optional<QPoint> point);
    // Hears the user's Ctrl+clicks, at their points of the view.
    void onPointedAt(std::function<void(const QPoint &)> handler)
    {
        m_pointedAt = std::move(handler);
    }
    void pointAt(const QPoint &point) const;
    // The addresses that a click in the preview opens in the system's browser.
    static bool opensOutside(const QUrl &url);
    // Told whenever a script of the page opens a box (answered at once): its renderer is
    // waiting on this side then, not stuck.
    void onDialog(std::function<void()> handler) { m_dialog = std::move(handler); }

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &, int,
                                  const QString &) override;
    void javaScriptAlert(const QUrl &, const QString &message) override;
    // Also the question before the page unloads: yes, so that the next reload goes ahead.
    bool javaScriptConfirm(const QUrl &, const QString &) override;
    bool javaScriptPrompt(const QUrl &, const QString &, const QString &, QString *) override;
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;

private:
    void linkFound(const QUrl &link);
    void follow(const QUrl &url);

    void dialogShown() const;

    std::function<void(const QString &)> m_alertShown;
    std::function<void(const QPoint &)> m_pointedAt;
    std::function<void()> m_dialog;
    QElapsedTimer m_userInput;
    std::optional<QUrl> m_userLink; // the link the user's last click or key was on, once known
    QList<QUrl> m_asked;            // navigations asked for before it was known
    std::shared_ptr<int> m_alive = std::make_shared<int>(); // gone before the engine's part
};

// Lets the preview load its own resources from this machine, and nothing from the network.
class OwnResources : public QWebEngineUrlRequestInterceptor
{
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    static bool mayLoad(const QUrl &url, QWebEngineUrlRequestInfo::ResourceType type);
    void interceptRequest(QWebEngineUrlRequestInfo &info) override;
};
