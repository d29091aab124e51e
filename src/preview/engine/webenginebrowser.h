#pragma once

#include "platform/browser.h"
#include "preview/engine/pagefiles.h"
#include "preview/engine/previewpage.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWebEngineView>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class QStackedLayout;
class QWebEngineProfile;

// The browser over Qt WebEngine, in a private profile that keeps nothing on disk, with pages
// that keep the previewed page to themselves.
//
// Two views lie one on the other: every load goes into the one underneath, which takes the
// place of the one shown once it has painted, scrolled where the shown one was, so that a load
// never shows a blank or half-built page, and the page shown answers until then. A reload asked
// for while a load runs follows that load, and one reload stands for all the requests made
// meanwhile, so the preview never falls behind the typing by more than one load.
//
// A page whose renderer stops answering (a script that never ends) or dies is stopped, and
// the page is loaded again, without its scripts unless a reload is already asked for: the
// preview goes on, and no runaway page keeps a core busy. When a file the page shown uses
// appears or changes, an image or a style sheet is fetched again in the page, anything else
// reloads it.
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

    bool isLoading() const override { return m_loading; }
    void runScript(const QString &script, std::function<void(const QVariant &)> done) override;
    void onLoadEnded(std::function<void()> handler) override { m_loadEnded = std::move(handler); }

    // The view that shows the page.
    QWebEngineView *webView() const { return m_panes[m_shown].view; }
    // The view underneath, that the next load goes into.
    QWebEngineView *loadingView() const { return m_panes[1 - m_shown].view; }

private:
    struct Call;
    struct Pane
    {
        QPointer<QWebEngineView> view;
        QPointer<PreviewPage> page;
        std::unique_ptr<PageRequests> requests;
        PageFiles::Files files;                   // the files its page asked for
        std::vector<std::shared_ptr<Call>> calls; // scripts not answered yet
        QElapsedTimer silent;                     // runs while a ping waits for its answer
        int pings = 0;
        qint64 slack = 0;      // ms more to answer in, for a page of megabytes
        bool answered = false; // since its load began
        bool stopping = false; // its renderer is being ended on purpose
        bool bypass = false;   // to load again past the renderer's cache once loaded
        // Emptied after it was shown; a load asked for before that ended waits for it.
        bool emptying = false;
        std::optional<QUrl> waiting;
    };

    Pane &shown() { return m_panes[m_shown]; }
    Pane &underneath() { return m_panes[1 - m_shown]; }
    void makePane(int index);
    void load(const QUrl &url, bool scripts);
    void loaded();
    void lookForPaint();
    void swap();
    void emptied(int index);
    void watchTick();
    void ping(int index);
    void lost(int index, Stop why);
    void stopRenderer(int index);
    static void flush(Pane &pane);
    void filesChanged(const PageFiles::Files &changed);

    OwnResources m_ownResources;
    QWebEngineProfile *m_profile;
    QPointer<QWidget> m_container;
    QStackedLayout *m_stack = nullptr;
    std::array<Pane, 2> m_panes;
    int m_shown = 0;
    PageFiles m_files;

    QUrl m_target; // of the load underneath
    bool m_loading = false;
    bool m_painting = false;
    bool m_reloadPending = false;
    bool m_filesChanged = false; // since the last load began
    int m_loadSerial = 0;
    int m_refetches = 0;
    QTimer m_patience;
    QTimer m_watch;
    QTimer m_paintPoll;
    QElapsedTimer m_paintWait;
    std::function<void()> m_loadEnded;
};
