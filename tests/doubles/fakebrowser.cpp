#include "fakebrowser.h"

#include <QUrl>

void FakeBrowser::Navigate(const QString &target)
{
    calls.append(QStringLiteral("Navigate ") + target);
    m_location =
        target == QLatin1String("about:blank") ? target : QUrl::fromLocalFile(target).toString();
}

void FakeBrowser::Refresh()
{
    calls.append(QStringLiteral("Refresh"));
}

void FakeBrowser::GoHome()
{
    calls.append(QStringLiteral("GoHome"));
    m_location = QStringLiteral("about:blank");
}
