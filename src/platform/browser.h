#pragma once

#include <QString>

class QWidget;

// The embedded browser that shows the preview. Loads are asynchronous: no call waits for one.
class Browser
{
public:
    virtual ~Browser() = default;

    // The widget that shows the page, or nullptr where nothing is shown.
    virtual QWidget *view() = 0;
    // Loads a file path, or "about:blank".
    virtual void Navigate(const QString &target) = 0;
    // Loads the document shown again from its file.
    virtual void Refresh() = 0;
    // Shows the home page, "about:blank".
    virtual void GoHome() = 0;
    // The address shown; a local file's is its file URL.
    virtual QString LocationURL() const = 0;
};
