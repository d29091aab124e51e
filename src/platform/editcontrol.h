#pragma once

#include "control.h"

#include <QString>

#include <functional>

class QKeyEvent;
class QPlainTextEdit;
class QPoint;
class EditorWidget;

// The multi-line editor. Its text model is the page text with CR LF line breaks: `Text` reads
// and writes it whole, and `SelStart` and `SelLength` count its characters, a CR LF counting
// two. A lone LF or CR is kept as it is and shown as a line break; Enter typed by the user
// inserts CR LF. The model is kept current on every change, so reading `Text` costs nothing.
class EditControl : public Control
{
public:
    using Handler = std::function<void()>;
    using KeyDownHandler = std::function<void(int &keyCode, int shift)>;
    using KeyPressHandler = std::function<void(int &keyAscii)>;

    explicit EditControl(QWidget *parent);
    ~EditControl() override;

    const QString &Text() const { return m_text; }
    // Replaces the whole text and puts the caret at 0; the change event has run on return.
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

    void onChange(Handler handler) { m_change = std::move(handler); }
    void onKeyDown(KeyDownHandler handler) { m_keyDown = std::move(handler); }
    void onKeyPress(KeyPressHandler handler) { m_keyPress = std::move(handler); }
    void onClick(Handler handler) { m_click = std::move(handler); }
    void onGotFocus(Handler handler) { m_gotFocus = std::move(handler); }

    QPlainTextEdit *editor() const;

private:
    friend class EditorWidget;

    struct Anchor
    {
        int document = 0;
        int model = 0;
    };

    void keyPressed(QKeyEvent *event);
    void defaultKeyPress(QKeyEvent *event);
    void announceChange();
    void clicked();
    void gotFocus();
    void pasted(const QString &text);
    void documentChanged(int position, int removed, int added);
    void replaceModel(int modelStart, int modelEnd, QString text, int documentStart);
    void replaceSelection(const QString &text);
    void changed();
    int modelPosition(int documentPosition) const;
    int documentPosition(int modelPosition) const;
    int modelAfter(int modelStart, int documentCharacters) const;

    EditorWidget *m_editor;
    QString m_text;
    int m_documentLength = 0;
    int m_loneBreaks = 0;
    bool m_writing = false;
    bool m_inKey = false;
    bool m_changePending = false;
    mutable Anchor m_anchor;

    Handler m_change;
    KeyDownHandler m_keyDown;
    KeyPressHandler m_keyPress;
    Handler m_click;
    Handler m_gotFocus;
};
