#pragma once

#include "control.h"

#include <QString>

class Browser;

// The preview pane: the browser's view at a place and size in the window.
class BrowserControl : public Control
{
public:
    BrowserControl(QWidget *parent, Browser &browser);

    void Navigate(const QString &target);
    void Refresh();
    void GoHome();
    QString LocationURL() const;

private:
    Browser &m_browser;
};
