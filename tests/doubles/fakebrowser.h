#pragma once

#include "platform/browser.h"

#include <QStringList>
#include <QUrl>

// Records the calls and answers LocationURL as a browser would after them.
class FakeBrowser : public Browser
{
public:
    QWidget *view() override { return nullptr; }
    void Navigate(const QString &target) override
    {
        calls.append(QStringLiteral("Navigate ") + target);
        m_location = target == QLatin1String("about:blank")
                         ? target
                         : QUrl::fromLocalFile(target).toString();
    }
    void Refresh() override { calls.append(QStringLiteral("Refresh")); }
    void GoHome() override
    {
        calls.append(QStringLiteral("GoHome"));
        m_location = QStringLiteral("about:blank");
    }
    QString LocationURL() const override { return m_location; }
    bool isLoading() const override { return false; }
    // Answers as a browser that cannot run scripts, so that every update reloads.
    void runScript(const QString &, std::function<void(const QVariant &)> done) override
    {
        done(QVariant());
    }
    void onLoadEnded(std::function<void()>) override {}

    // Follows a link inside the page.
    void followLink(const QString &url) { m_location = url; }

    QStringList calls; // "Navigate <target>", "Refresh", "GoHome"

private:
    QString m_location;
};
