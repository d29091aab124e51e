#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <functional>
#include <memory>

class BrowserControl;
class EditControl;
class PreviewUpdater;

// Keeps the place of the caret in view in the preview: after a key, a click or a command that
// left the text as it was, where the text before the caret lies outside what the preview
// shows, the preview scrolls to it. Typing never scrolls, and a place the document shown does not
// hold is left alone.
class CaretFollower
{
public:
    // `headText` gives what the preview file holds ahead of the text, as the browser reads it.
    CaretFollower(const EditControl &Text1, BrowserControl &browser, const PreviewUpdater &updater,
                  std::function<QString()> headText);
    ~CaretFollower();
    CaretFollower(const CaretFollower &) = delete;
    CaretFollower &operator=(const CaretFollower &) = delete;

    // A key, a click or a command may move the caret: it is looked at once they are done.
    void caretMayMove();
    // The text changed: the caret moved with it.
    void textChanged() { ++m_changes; }

    // What each follow found, for the benchmark: "scrolled", "shown", "lost".
    void onFollowed(std::function<void(const QString &)> handler)
    {
        m_followed = std::move(handler);
    }

private:
    void look();
    void follow(bool withSource);
    void followEnded(const QString &result);

    const EditControl &m_text1;
    BrowserControl &m_browser;
    const PreviewUpdater &m_updater;
    std::function<QString()> m_headText;
    std::shared_ptr<int> m_alive = std::make_shared<int>();
    QTimer m_look;
    int m_changes = 0;
    int m_changesBefore = 0;
    int m_caret = 0;
    bool m_following = false;
    QElapsedTimer m_followStarted;
    bool m_pending = false;
    std::function<void(const QString &)> m_followed;
};
