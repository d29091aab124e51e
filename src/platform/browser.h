#pragma once

#include <QPoint>
#include <QString>
#include <QVariant>

#include <functional>

class QWidget;

// The embedded browser that shows the preview. Loads are asynchronous: no call waits for one.
class Browser
{
public:
    Browser() = default;
    virtual ~Browser() = default;
    Browser(const Browser &) = delete;
    Browser &operator=(const Browser &) = delete;

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

    // A load runs, or a reload waits for its turn.
    virtual bool isLoading() const = 0;
    // Runs `script` on the document shown, in a script world of the program's own that the
    // page's scripts neither see nor touch; `done` gets the script's value, or an invalid
    // QVariant where no document answered.
    virtual void runScript(const QString &script, std::function<void(const QVariant &)> done) = 0;
    // Called each time a load ends (finished, failed or given up on).
    virtual void onLoadEnded(std::function<void()> handler) = 0;

    // Why the browser stopped the page shown or being loaded, and started it again.
    enum class Stop
    {
        ScriptHung,   // a script of the page kept its renderer from answering
        RendererDied, // the renderer ended by itself, out of memory or crashed
    };

    // Hears the text of each alert of the page shown, which opens no box.
    void onAlert(std::function<void(const QString &)> handler)
    {
        m_alertShown = std::move(handler);
    }
    // Hears each time the browser stopped a page.
    void onStopped(std::function<void(Stop)> handler) { m_stopped = std::move(handler); }

    // Hears each Ctrl+click of the user on the page shown, at a point of its view; the page
    // gets none of it.
    void onPointedAt(std::function<void(const QPoint &)> handler)
    {
        m_pointedAt = std::move(handler);
    }

protected:
    void alert(const QString &text) const
    {
        if (m_alertShown)
            m_alertShown(text);
    }
    void pointedAt(const QPoint &point) const
    {
        if (m_pointedAt)
            m_pointedAt(point);
    }
    void stopped(Stop why) const
    {
        if (m_stopped)
            m_stopped(why);
    }

private:
    std::function<void(const QString &)> m_alertShown;
    std::function<void(const QPoint &)> m_pointedAt;
    std::function<void(Stop)> m_stopped;
};
