#pragma once

#include <QElapsedTimer>
#include <QWebEnginePage>
#include <QWebEngineUrlRequestInterceptor>

#include <functional>

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
    // The user clicked or pressed a key in the preview just now.
    void noteUserInput();

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &, int,
                                  const QString &) override;
    void javaScriptAlert(const QUrl &, const QString &message) override;
    // Also the question before the page unloads: yes, so that the next reload goes ahead.
    bool javaScriptConfirm(const QUrl &, const QString &) override;
    bool javaScriptPrompt(const QUrl &, const QString &, const QString &, QString *) override;
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;

private:
    std::function<void(const QString &)> m_alertShown;
    QElapsedTimer m_userInput;
};

// Lets the preview load its own resources from this machine, and nothing from the network.
class OwnResources : public QWebEngineUrlRequestInterceptor
{
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    static bool mayLoad(const QUrl &url, QWebEngineUrlRequestInfo::ResourceType type);
    void interceptRequest(QWebEngineUrlRequestInfo &info) override;
};
