#pragma once

#include "core/textencoding.h"

#include <QString>
#include <QTimer>

#include <memory>

class BrowserControl;
class EditControl;

// Brings the preview the browser shows up to date with the preview file: in place, when the
// document then shows what a load of the file would show, otherwise by a reload. While an
// update runs, further changes wait and are all made by one update after it, so the preview
// is never more than one update behind.
class PreviewUpdater
{
public:
    struct Counts
    {
        int patches = 0; // updates made in place
        int reloads = 0; // loads of the preview file
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
    bool isUpdating() const { return busy() || m_pending; }

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

private:
    bool busy() const;
    void run();
    void reload();
    void patch();
    void patchEnded(const QString &result);
    void loadEnded();
    QString patchScript() const;

    const EditControl &m_text1;
    BrowserControl &m_browser;
    std::shared_ptr<int> m_alive = std::make_shared<int>();
    QTimer m_patience;

    QString m_text;       // the page text in the preview file now
    QString m_head;       // what the preview file holds ahead of the text now
    QString m_loadedHead; // ... and held when it was last loaded
    QString m_scriptText; // the text whose source the browser's script world keeps
    TextEncoding m_encoding;
    bool m_known = false;           // the document shown comes from a load of ours
    bool m_active = false;          // some version shown since that load has active content
    bool m_scriptHasSource = false; // the script world keeps the source of `m_scriptText`
    bool m_patching = false;
    bool m_pending = false;
    bool m_inPlace = true;
    int m_patchSerial = 0;
    Counts m_counts;
};
