#pragma once

#include "browser.h"

#include <QPointer>
#include <QWebEngineView>

class QWebEngineProfile;

// The browser over Qt WebEngine, in a private profile that keeps nothing on disk.
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

    QWebEngineView *webView() const { return m_view; }

private:
    QWebEngineProfile *m_profile;
    QPointer<QWebEngineView> m_view;
};
