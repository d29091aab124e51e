#include "platform/browsercontrol.h"

#include "platform/browser.h"

#include <QVBoxLayout>
#include <QWidget>

BrowserControl::BrowserControl(QWidget *parent, Browser &browser)
    : Control(new QWidget(parent))
    , m_browser(browser)
{
    auto *layout = new QVBoxLayout(widget());
    layout->setContentsMargins(0, 0, 0, 0);
    if (QWidget *view = m_browser.view())
        layout->addWidget(view);
}

void BrowserControl::Navigate(const QString &target)
{
    m_browser.Navigate(target);
}

void BrowserControl::Refresh()
{
    m_browser.Refresh();
}

void BrowserControl::GoHome()
{
    m_browser.GoHome();
}

QString BrowserControl::LocationURL() const
{
    return m_browser.LocationURL();
}

bool BrowserControl::isLoading() const
{
    return m_browser.isLoading();
}

void BrowserControl::runScript(const QString &script, std::function<void(const QVariant &)> done)
{
    m_browser.runScript(script, std::move(done));
}

void BrowserControl::onLoadEnded(std::function<void()> handler)
{
    m_browser.onLoadEnded(std::move(handler));
}

void BrowserControl::onStopped(std::function<void(Browser::Stop)> handler)
{
    m_browser.onStopped(std::move(handler));
}
