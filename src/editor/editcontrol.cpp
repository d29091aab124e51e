#include "editor/editcontrol.h"

#include "core/linebreaks.h"
#include "platform/keycodes.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTextCursor>
#include <QTimer>

#include <algorithm>

const QString EditControl::ModelTextMimeType = QStringLiteral("application/x-velmora-text");

EditControl::EditControl(QWidget *parent)
    : Control(new EditorWidget(this, parent))
    , m_editor(static_cast<EditorWidget *>(widget()))
    , m_model(m_editor->document(), [this](const QString &shown) { m_editor->setPlainText(shown); })
{
    m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_editor->setUndoRedoEnabled(false); // the history is kept in model text
    QObject::connect(m_editor->document(), &QTextDocument::contentsChange, m_editor,
                     [this](int position, int removed, int added) {
                         // A change the user made in the document: the model takes the same.
                         if (m_editor->inUserEvent() &&
                             m_model.takeDocumentChange(position, removed, added)) {
                             m_programSelection.reset();
                             m_changePending = true;
                         }
                     });
    // A change made by the user is announced once the document has laid out the new text, so
    // that the change event finds the caret's place up to date.
    QObject::connect(m_editor->document(), &QTextDocument::contentsChanged, m_editor, [this] {
        if (!m_inKey)
            announceChange();
    });
    const auto userMoved = [this] {
        if (!m_selecting && !m_model.writing())
            m_programSelection.reset();
    };
    QObject::connect(m_editor, &QPlainTextEdit::cursorPositionChanged, m_editor, userMoved);
    QObject::connect(m_editor, &QPlainTextEdit::selectionChanged, m_editor, userMoved);
}

// The widget calls back into its control: it does not outlive it.
EditControl::~EditControl()
{
    delete m_editor;
}

QPlainTextEdit *EditControl::editor() const
{
    return m_editor;
}

void EditControl::setText(const QString &text)
{
    m_model.setText(text);
    select({0, 0});
    changed();
}

int EditControl::SelStart() const
{
    return selection().start;
}

void EditControl::setSelStart(int start)
{
    select({start, 0});
}

int EditControl::SelLength() const
{
    return selection().length;
}

void EditControl::setSelLength(int length)
{
    select({SelStart(), length});
}

QString EditControl::SelText() const
{
    const Selection selected = selection();
    return Text().mid(selected.start, selected.length);
}

void EditControl::setSelText(const QString &text)
{
    replaceSelection(text);
    changed();
}

EditControl::Selection EditControl::selection() const
{
    if (m_programSelection)
        return *m_programSelection;
    const QTextCursor cursor = m_editor->textCursor();
    const int start = m_model.modelPosition(cursor.selectionStart());
    return {start, m_model.modelPosition(cursor.selectionEnd()) - start};
}

// The document's selection covers the model's; a position inside a CR LF shows at the start
// of that line break.
void EditControl::select(Selection selection)
{
    const int length = int(Text().size());
    selection.start = std::clamp(selection.start, 0, length);
    selection.length = std::clamp(selection.length, 0, length - selection.start);
    QTextCursor cursor = m_editor->textCursor();
    const QScopedValueRollback selecting(m_selecting, true);
    cursor.setPosition(m_model.documentPosition(selection.start));
    cursor.setPosition(m_model.documentPosition(selection.start + selection.length),
                       QTextCursor::KeepAnchor);
    m_editor->setTextCursor(cursor);
    m_programSelection = selection;
}

void EditControl::replaceSelection(const QString &text)
{
    const Selection selected = selection();
    m_model.replace(selected.start, selected.start + selected.length, text);
    select({selected.start + int(text.size()), 0});
}

EditControl::UndoStep::UndoStep(EditControl &control)
    : m_control(control)
{
    m_control.m_model.history().begin(m_control.selection());
}

EditControl::UndoStep::~UndoStep()
{
    m_control.m_model.history().end(m_control.selection());
}

// The queued key arrives before anything posted after it: the join ends there.
void EditControl::joinNextKeyToStep()
{
    m_model.history().joinNext();
    QTimer::singleShot(0, m_editor, [this] { m_model.history().stopJoining(); });
}

void EditControl::undo()
{
    applyHistory(true);
}

void EditControl::redo()
{
    applyHistory(false);
}

void EditControl::applyHistory(bool undoing)
{
    if (undoing ? !canUndo() : !canRedo())
        return;
    select(undoing ? m_model.undo() : m_model.redo());
    m_editor->ensureCursorVisible();
    changed();
}

QMimeData *EditControl::copiedText() const
{
    const QString text = SelText();
    auto *mime = new QMimeData;
    mime->setText(LineBreaks::withLfBreaks(text));
    mime->setData(ModelTextMimeType,
                  QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2));
    return mime;
}

void EditControl::copy()
{
    if (SelLength() > 0)
        QGuiApplication::clipboard()->setMimeData(copiedText());
}

void EditControl::cut()
{
    if (SelLength() == 0)
        return;
    copy();
    setSelText(QString());
}

void EditControl::paste()
{
    if (const QMimeData *source = QGuiApplication::clipboard()->mimeData())
        pasted(source);
}

void EditControl::selectAll()
{
    select({0, int(Text().size())});
}

bool EditControl::canInsert(const QMimeData *source) const
{
    return source->hasText() || source->hasFormat(ModelTextMimeType);
}

bool EditControl::canRun(Command command) const
{
    switch (command) {
    case Command::Undo:
        return canUndo();
    case Command::Redo:
        return canRedo();
    case Command::Cut:
    case Command::Copy:
        return SelLength() > 0;
    case Command::Paste: {
        const QMimeData *clipboard = QGuiApplication::clipboard()->mimeData();
        return clipboard && canInsert(clipboard);
    }
    case Command::SelectAll:
        return !Text().isEmpty();
    }
    return false;
}

void EditControl::run(Command command)
{
    const UndoStep step(*this);
    switch (command) {
    case Command::Undo:
        undo();
        break;
    case Command::Redo:
        redo();
        break;
    case Command::Cut:
        cut();
        break;
    case Command::Copy:
        copy();
        break;
    case Command::Paste:
        paste();
        break;
    case Command::SelectAll:
        selectAll();
        break;
    }
}

void EditControl::pasted(const QMimeData *source)
{
    QString text;
    if (source->hasFormat(ModelTextMimeType)) {
        const QByteArray exact = source->data(ModelTextMimeType);
        text = QString(reinterpret_cast<const QChar *>(exact.constData()), exact.size() / 2);
    } else if (source->hasText()) {
        text = LineBreaks::withCrLfBreaks(source->text());
    } else {
        return;
    }
    const UndoStep step(*this);
    replaceSelection(text);
    m_editor->ensureCursorVisible();
    changed();
}

// Text moved within the editor leaves its place first; dropped into itself it stays.
void EditControl::dropped(const QMimeData *source, int documentPosition, bool moved)
{
    const UndoStep step(*this);
    int at = m_model.modelPosition(documentPosition);
    if (moved) {
        const Selection from = selection();
        if (at >= from.start && at <= from.start + from.length)
            return;
        if (at > from.start)
            at -= from.length;
        m_model.replace(from.start, from.start + from.length, QString());
    }
    select({at, 0});
    pasted(source);
}

void EditControl::SetFocus()
{
    m_editor->setFocus(Qt::OtherFocusReason);
}

QString EditControl::FontName() const
{
    return m_editor->font().family();
}

void EditControl::setFontName(const QString &name)
{
    QFont font = m_editor->font();
    font.setFamily(name);
    m_editor->setFont(font);
}

double EditControl::FontSize() const
{
    return m_editor->font().pointSizeF();
}

void EditControl::setFontSize(double points)
{
    QFont font = m_editor->font();
    font.setPointSizeF(points);
    m_editor->setFont(font);
}

bool EditControl::FontBold() const
{
    return m_editor->font().bold();
}

void EditControl::setFontBold(bool bold)
{
    QFont font = m_editor->font();
    font.setBold(bold);
    m_editor->setFont(font);
}

QPoint EditControl::PosFromChar(int index) const
{
    QTextCursor cursor(m_editor->document());
    cursor.setPosition(m_model.documentPosition(std::clamp(index, 0, int(Text().size()))));
    return m_editor->cursorRect(cursor).topLeft();
}

void EditControl::keyPressed(QKeyEvent *event)
{
    if (KeyCodes::isUndo(*event)) {
        undo();
        return;
    }
    if (KeyCodes::isRedo(*event)) {
        redo();
        return;
    }
    const UndoStep step(*this);
    int keyCode = KeyCodes::virtualKey(*event);
    if (keyCode != 0 && m_keyDown) {
        m_keyDown(keyCode, KeyCodes::shiftMask(*event));
        if (keyCode == 0)
            return;
    }
    int keyAscii = KeyCodes::character(*event);
    const int typed = keyAscii;
    if (keyAscii != 0 && m_keyPress) {
        m_keyPress(keyAscii);
        if (keyAscii == 0)
            return;
    }
    // Enter and Space type the same whatever modifiers are held (Shift+Enter would type a soft
    // line break, Ctrl+Space nothing), and a character the handler replaced is typed instead.
    if (keyAscii != typed || keyAscii == KeyCodes::Enter || keyAscii == KeyCodes::Space) {
        const int key = keyAscii == KeyCodes::Enter       ? int(Qt::Key_Return)
                        : keyAscii == KeyCodes::Backspace ? int(Qt::Key_Backspace)
                        : keyAscii == KeyCodes::Escape    ? int(Qt::Key_Escape)
                        : keyAscii == KeyCodes::Space     ? int(Qt::Key_Space)
                                                          : 0;
        QKeyEvent plain(QEvent::KeyPress, key, Qt::NoModifier, QString(QChar(char16_t(keyAscii))));
        defaultKeyPress(&plain);
        return;
    }
    defaultKeyPress(event);
}

// A typed change is announced after the control has handled the key in full, the caret
// scrolled into view included.
void EditControl::defaultKeyPress(QKeyEvent *event)
{
    const bool outer = m_inKey;
    m_inKey = true;
    m_model.longLines().beforeKey(*m_editor, *event);
    const int before = m_editor->textCursor().position();
    m_editor->defaultKeyPress(event);
    m_model.longLines().afterKey(*m_editor, *event, before);
    m_inKey = outer;
    announceChange();
}

void EditControl::announceChange()
{
    if (!m_changePending)
        return;
    m_changePending = false;
    // Putting lines in pieces or together again moves no character of the text, nor the
    // selection.
    const Selection kept = selection();
    if (m_model.settleChange())
        select(kept);
    changed();
}

void EditControl::clicked()
{
    if (m_click)
        m_click();
}

void EditControl::gotFocus()
{
    if (m_gotFocus)
        m_gotFocus();
}

void EditControl::changed()
{
    if (m_change)
        m_change();
}

void EditControl::extendContextMenu(QMenu &menu, int documentPosition)
{
    if (m_contextMenu)
        m_contextMenu(menu, m_model.modelPosition(documentPosition));
}

int EditControl::modelPosition(int documentPosition) const
{
    return m_model.modelPosition(documentPosition);
}

int EditControl::documentPosition(int modelPosition) const
{
    return m_model.documentPosition(modelPosition);
}
