#pragma once

#include "core/textencoding.h"

#include <QElapsedTimer>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class BrowserControl;
class EditControl;

// Brings the preview the browser shows up to date with the preview file: in place at once,
// leaving alone what the page's scripts made; and where the page has scripts or other active
// content, by a fresh load once typing pauses, so that at rest the preview is what a load of
// the file shows. A change that touches active content is loaded at once. While an update
// runs, further changes wait and are all made by one update after it, so the preview is never
// more than one update behind.
class PreviewUpdater
{
public:
    struct Counts
    {
        int patches = 0; // updates made in place
        int parts = 0;   // ... of them by parsing the changed part of the body alone
        int reloads = 0; // loads of the preview file
    };
    // What an update in place took, in milliseconds: finding the change and judging it here,
    // parsing and comparing in the page.
    struct Timing
    {
        double change = 0;
        double parse = 0;
        double compare = 0;
        bool part = false;
    };

    PreviewUpdater(const EditControl &Text1, BrowserControl &browser);
    ~PreviewUpdater();
    PreviewUpdater(const PreviewUpdater &) = delete;
    PreviewUpdater &operator=(const PreviewUpdater &) = delete;

    // The browser starts loading the preview file, which holds `head` and then the editor's
    // text.
    void loading(const QString &head, const TextEncoding &encoding);
    // The browser starts showing a document that this does not know.
    void forget();
    // The preview file, shown in the browser, now holds `head` and then the editor's text.
    void changed(const QString &head, const TextEncoding &encoding);

    // An update runs or waits.
    bool isUpdating() const;
    // The script world is given the source of a document just loaded, ahead of the first
    // change, which then needs to parse only its part.
    bool isPriming() const { return m_priming; }
    // A fresh load is due once typing pauses.
    bool restDue() const { return m_rest.isActive(); }

    // The script world keeps the source of the preview file holding this text.
    bool scriptHolds(const QString &text) const
    {
        return m_scriptHasSource && !m_patching && m_scriptText == text;
    }
    // What the preview file holds ahead of the text.
    const QString &head() const { return m_head; }

    // Off, every update reloads, as a comparison for the benchmark.
    void setInPlace(bool enabled) { m_inPlace = enabled; }
    const Counts &counts() const { return m_counts; }
    // Hears each update made in place, for the benchmark.
    void onPatched(std::function<void(const Timing &)> handler) { m_patched = std::move(handler); }

private:
    bool busy() const;
    void run();
    void reload();
    void patch();
    void prime();
    void dropPrime();
    void patchEnded(const QString &result);
    void loadEnded();
    void restReached();
    QString patchScript();

    const EditControl &m_text1;
    BrowserControl &m_browser;
    std::shared_ptr<int> m_alive = std::make_shared<int>();
    QTimer m_patience;
    QTimer m_rest;

    QString m_text;       // the page text in the preview file now
    QString m_loadedText; // ... and when it was last loaded, until the script world has it
    QString m_head;       // what the preview file holds ahead of the text now
    QString m_loadedHead; // ... and held when it was last loaded
    QString m_scriptText; // the text whose source the browser's script world keeps
    TextEncoding m_encoding;
    bool m_known = false;           // the document shown comes from a load of ours
    bool m_active = false;          // the text last loaded has active content
    bool m_mustReload = false;      // a change since that load touched active content
    bool m_changedInPlace = false;  // the document shown was changed in place since that load
    bool m_scriptHasSource = false; // the script world keeps the source of `m_scriptText`
    bool m_unanswered = false;      // the last update in place got no answer
    bool m_patching = false;
    bool m_priming = false;
    bool m_pending = false;
    bool m_inPlace = true;
    int m_patchSerial = 0;
    double m_changeMs = 0;
    Counts m_counts;
    std::function<void(const Timing &)> m_patched;
};
