#pragma once

#include <QPlainTextEdit>

class QMenu;

// The editor's widget: hands keys, clicks, focus and the clipboard to its client, and offers
// the client's editing commands in its context menu.
class EditorWidget : public QPlainTextEdit
{
public:
    class Client
    {
    public:
        enum class Command
        {
            Undo,
            Redo,
            Cut,
            Copy,
            Paste,
            SelectAll
        };

        virtual void keyPressed(QKeyEvent *event) = 0;
        virtual void clicked() = 0;
        virtual void gotFocus() = 0;
        virtual QMimeData *copiedText() const = 0;
        virtual bool canInsert(const QMimeData *source) const = 0;
        virtual void pasted(const QMimeData *source) = 0;
        virtual void dropped(const QMimeData *source, int documentPosition, bool moved) = 0;
        virtual bool canRun(Command command) const = 0;
        virtual void run(Command command) = 0;
        // Commands of the client's own at the top of the menu, for the place in the document
        // the menu was opened at.
        virtual void extendContextMenu(QMenu &menu, int documentPosition) = 0;

        Client(const Client &) = delete;
        Client &operator=(const Client &) = delete;

    protected:
        Client() = default;
        ~Client() = default;
    };

    EditorWidget(Client *client, QWidget *parent);

    void defaultKeyPress(QKeyEvent *event) { QPlainTextEdit::keyPressEvent(event); }
    // Only the user's own events can change the document's text behind the model's back;
    // changes reported outside them are changes of format.
    bool inUserEvent() const { return m_userEvents > 0; }

protected:
    bool event(QEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    Client *m_client;
    int m_userEvents = 0;
};
