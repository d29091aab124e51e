#include "webenginebrowser.h"

#include <QWebEnginePage>
#include <QWebEngineProfile>

namespace {
const QString HomePage = QStringLiteral("about:blank");
}

WebEngineBrowser::WebEngineBrowser()
    : m_profile(new QWebEngineProfile)
    , m_view(new QWebEngineView)
{
    m_view->setPage(new QWebEnginePage(m_profile, m_view));
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
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
    m_view->setUrl(target == HomePage ? QUrl(HomePage) : QUrl::fromLocalFile(target));
}

void WebEngineBrowser::Refresh()
{
    m_view->reload();
}

void WebEngineBrowser::GoHome()
{
    m_view->setUrl(QUrl(HomePage));
}

QString WebEngineBrowser::LocationURL() const
{
    return m_view->url().toString();
}
