#pragma once

#include "editor/editorwidget.h"
#include "editor/textmodel.h"
#include "platform/control.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class QKeyEvent;
class QMenu;
class QMimeData;
class QPlainTextEdit;
class QPoint;

// The multi-line editor. Its text model is the page text: `Text` reads and writes it whole,
// and `SelStart` and `SelLength` count its characters, a CR LF counting two.
//
// Line-break kinds are settled where text comes in: Enter with any modifier types CR LF, and
// text pasted or dropped from other programs gets CR LF for each of its line breaks. Our own
// copies carry the exact model text, so cut and paste give back the same bytes.
class EditControl : public Control, private EditorWidget::Client
{
public:
    using Handler = std::function<void()>;
    using KeyDownHandler = std::function<void(int &keyCode, int shift)>;
    using KeyPressHandler = std::function<void(int &keyAscii)>;
    // Adds commands to the context menu about to open for the model position it points at.
    using MenuHandler = std::function<void(QMenu &menu, int position)>;

    // The MIME type of the exact model text on the clipboard.
    static const QString ModelTextMimeType;

    explicit EditControl(QWidget *parent);
    ~EditControl() override;

    const QString &Text() const { return m_model.text(); }
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
    bool canUndo() const { return m_model.history().canUndo(); }
    bool canRedo() const { return m_model.history().canRedo(); }
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
    void onContextMenu(MenuHandler handler) { m_contextMenu = std::move(handler); }

    QPlainTextEdit *editor() const;
    // Between the model's positions and those of the document shown.
    int modelPosition(int documentPosition) const;
    int documentPosition(int modelPosition) const;

private:
    using Selection = EditHistory::Selection;

    void keyPressed(QKeyEvent *event) override;
    void clicked() override;
    void gotFocus() override;
    QMimeData *copiedText() const override;
    bool canInsert(const QMimeData *source) const override;
    void pasted(const QMimeData *source) override;
    void dropped(const QMimeData *source, int documentPosition, bool moved) override;
    bool canRun(Command command) const override;
    void run(Command command) override;
    void extendContextMenu(QMenu &menu, int documentPosition) override;

    void defaultKeyPress(QKeyEvent *event);
    void announceChange();
    void changed();

    Selection selection() const;
    void select(Selection selection);
    void replaceSelection(const QString &text);
    void applyHistory(bool undoing);

    QPointer<EditorWidget> m_editor; // null once the window has deleted its widgets
    TextModel m_model;
    // The program's own selection, kept exactly (also inside a CR LF) until the user moves the
    // caret or edits.
    std::optional<Selection> m_programSelection;
    bool m_selecting = false;
    bool m_inKey = false;
    bool m_changePending = false;

    Handler m_change;
    KeyDownHandler m_keyDown;
    KeyPressHandler m_keyPress;
    Handler m_click;
    Handler m_gotFocus;
    MenuHandler m_contextMenu;
};
