#pragma once

#include "platform/browser.h"
#include "platform/control.h"

#include <QString>
#include <QVariant>

#include <functional>

// The preview pane: the browser's view at a place and size in the window.
class BrowserControl : public Control
{
public:
    BrowserControl(QWidget *parent, Browser &browser);

    void Navigate(const QString &target);
    void Refresh();
    void GoHome();
    QString LocationURL() const;

    bool isLoading() const;
    void runScript(const QString &script, std::function<void(const QVariant &)> done);
    void onLoadEnded(std::function<void()> handler);
    void onStopped(std::function<void(Browser::Stop)> handler);

private:
    Browser &m_browser;
};
