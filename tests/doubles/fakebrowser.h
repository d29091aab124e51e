#pragma once

#include "platform/browser.h"

#include <QStringList>

// Records the calls and answers LocationURL as a browser would after them.
class FakeBrowser : public Browser
{
public:
    QWidget *view() override { return nullptr; }
    void Navigate(const QString &target) override;
    void Refresh() override;
    void GoHome() override;
    QString LocationURL() const override { return m_location; }

    // Follows a link inside the page.
    void followLink(const QString &url) { m_location = url; }

    QStringList calls; // "Navigate <target>", "Refresh", "GoHome"

private:
    QString m_location;
};
