#pragma once

#include "platform/browser.h"
#include "preview/engine/previewpage.h"

#include <QPointer>
#include <QTimer>
#include <QWebEngineView>

class QWebEngineProfile;

// The browser over Qt WebEngine, in a private profile that keeps nothing on disk, with a page
// that keeps the previewed page to itself. A reload asked for while a load runs follows that
// load, and one reload stands for all the requests made meanwhile, so the preview never falls
// behind the typing by more than one load.
class WebEngineBrowser : public Browser
{
public:
    WebEngineBrowser();
    ~WebEngineBrowser() override;

    QWidget *view() override;
    void Navigate(const QString &target) override;
    void Refresh() override;
    void GoHome() override;
    QString LocationURL() const override;

    bool isLoading() const override { return m_loading; }
    void runScript(const QString &script, std::function<void(const QVariant &)> done) override;
    void onLoadEnded(std::function<void()> handler) override { m_loadEnded = std::move(handler); }

    QWebEngineView *webView() const { return m_view; }

private:
    void loadStarting();
    void loadEnded();

    OwnResources m_ownResources;
    QWebEngineProfile *m_profile;
    QPointer<QWebEngineView> m_view;
    QTimer m_patience;
    bool m_loading = false;
    bool m_reloadPending = false;
    std::function<void()> m_loadEnded;
};
