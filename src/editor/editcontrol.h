#pragma once

#include "editor/edithistory.h"
#include "editor/longlines.h"
#include "platform/control.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class QKeyEvent;
class QMimeData;
class QPlainTextEdit;
class QPoint;
class EditorWidget;

// The multi-line editor. Its text model is the page text: `Text` reads and writes it whole,
// and `SelStart` and `SelLength` count its characters, a CR LF counting two. The document
// shown holds one block separator for each CR LF and one character for every other model
// character; a lone CR or LF shows as a visible symbol on its line. So a model position is
// the document position plus the number of line breaks before it (a line of many thousand
// characters is shown in pieces, see LongLines).
//
// Line-break kinds are settled where text comes in: Enter with any modifier types CR LF, and
// text pasted or dropped from other programs gets CR LF for each of its line breaks. Our own
// copies carry the exact model text, so cut and paste give back the same bytes.
class EditControl : public Control
{
public:
    using Handler = std::function<void()>;
    using KeyDownHandler = std::function<void(int &keyCode, int shift)>;
    using KeyPressHandler = std::function<void(int &keyAscii)>;

    // The MIME type of the exact model text on the clipboard.
    static const QString ModelTextMimeType;

    explicit EditControl(QWidget *parent);
    ~EditControl() override;

    const QString &Text() const { return m_text; }
    // Replaces the whole text and puts the caret at 0; the change event has run on return.
    // Inside an UndoStep the replacement can be undone; otherwise it starts a new history.
    void setText(const QString &text);
    int SelStart() const;
    // Moves the caret; the selection becomes empty.
    void setSelStart(int start);
    int SelLength() const;
    void setSelLength(int length);
    QString SelText() const;
    // Replaces the selection, or inserts at the caret, and leaves the caret after the new text;
    // the change event has run on return.
    void setSelText(const QString &text);
    void SetFocus();

    QString FontName() const;
    void setFontName(const QString &name);
    double FontSize() const;
    void setFontSize(double points);
    bool FontBold() const;
    void setFontBold(bool bold);

    // Top-left of the cell of the character at `index`, in pixels from the top-left of the
    // control's inner area.
    QPoint PosFromChar(int index) const;

    // Each undo or redo runs the change event once.
    void undo();
    void redo();
    bool canUndo() const { return m_history.canUndo(); }
    bool canRedo() const { return m_history.canRedo(); }
    void cut();
    void copy();
    void paste();
    void selectAll();

    // The next key event's changes belong to the current step: a key the program queued to
    // finish what the user's key began.
    void joinNextKeyToStep();

    // Every change of the text made while one exists is one step of the undo history.
    class UndoStep
    {
    public:
        explicit UndoStep(EditControl &control);
        ~UndoStep();
        UndoStep(const UndoStep &) = delete;
        UndoStep &operator=(const UndoStep &) = delete;

    private:
        EditControl &m_control;
    };

    void onChange(Handler handler) { m_change = std::move(handler); }
    void onKeyDown(KeyDownHandler handler) { m_keyDown = std::move(handler); }
    void onKeyPress(KeyPressHandler handler) { m_keyPress = std::move(handler); }
    void onClick(Handler handler) { m_click = std::move(handler); }
    void onGotFocus(Handler handler) { m_gotFocus = std::move(handler); }

    QPlainTextEdit *editor() const;

private:
    friend class EditorWidget;

    using Selection = EditHistory::Selection;

    void keyPressed(QKeyEvent *event);
    void defaultKeyPress(QKeyEvent *event);
    void announceChange();
    void clicked();
    void gotFocus();
    QMimeData *copiedText() const;
    void pasted(const QMimeData *source);
    void dropped(const QMimeData *source, int documentPosition, bool moved);
    void changed();

    Selection selection() const;
    void select(Selection selection);
    void replaceSelection(const QString &text);
    void replaceModel(int start, int end, const QString &text);
    void documentChanged(int position, int added);
    void writeDocument(int from, int to, const QString &shown);
    void settleLongLines(int from, int to);
    void record(int position, const QString &removed, const QString &inserted);
    void applyHistory(bool undoing);
    int modelPosition(int documentPosition) const;
    int documentPosition(int modelPosition) const;

    QPointer<EditorWidget> m_editor; // null once the window has deleted its widgets
    LongLines m_longLines;
    QString m_text;
    int m_documentLength = 0;
    // The program's own selection, kept exactly (also inside a CR LF) until the user moves the
    // caret or edits.
    std::optional<Selection> m_programSelection;
    bool m_writing = false;
    int m_userEvents = 0;
    bool m_inKey = false;
    bool m_changePending = false;
    // The document range of the user's last change, whose lines may want to go in pieces.
    int m_changedFrom = 0;
    int m_changedTo = 0;

    EditHistory m_history;
    bool m_applyingHistory = false;

    Handler m_change;
    KeyDownHandler m_keyDown;
    KeyPressHandler m_keyPress;
    Handler m_click;
    Handler m_gotFocus;
};
