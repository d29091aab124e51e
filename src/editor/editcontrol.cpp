#include "editor/editcontrol.h"

#include "core/linebreaks.h"
#include "editor/editorwidget.h"
#include "platform/keycodes.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>

namespace {
constexpr QChar CR = u'\r';
constexpr QChar LF = u'\n';
} // namespace

using namespace LineBreaks;

const QString EditControl::ModelTextMimeType = QStringLiteral("application/x-velmora-text");

EditControl::EditControl(QWidget *parent)
    : Control(new EditorWidget(this, parent))
    , m_editor(static_cast<EditorWidget *>(widget()))
    , m_longLines(m_editor)
{
    m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_editor->setUndoRedoEnabled(false); // the history is kept in model text
    QObject::connect(
        m_editor->document(), &QTextDocument::contentsChange, m_editor,
        [this](int position, int /*removed*/, int added) { documentChanged(position, added); });
    // A change made by the user is announced once the document has laid out the new text, so
    // that the change event finds the caret's place up to date.
    QObject::connect(m_editor->document(), &QTextDocument::contentsChanged, m_editor, [this] {
        if (!m_inKey)
            announceChange();
    });
    const auto userMoved = [this] {
        if (!m_writing)
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
    if (m_history.inStep()) {
        // Only what differs is replaced, so that the step keeps little and the view its place.
        const qsizetype shorter = std::min(m_text.size(), text.size());
        qsizetype prefix = 0;
        while (prefix < shorter && m_text.at(prefix) == text.at(prefix))
            ++prefix;
        qsizetype suffix = 0;
        while (suffix < shorter - prefix &&
               m_text.at(m_text.size() - 1 - suffix) == text.at(text.size() - 1 - suffix))
            ++suffix;
        replaceModel(int(prefix), int(m_text.size() - suffix),
                     text.mid(prefix, text.size() - prefix - suffix));
    } else {
        const QScopedValueRollback writing(m_writing, true);
        m_text = text;
        m_longLines.setPlainText(shownForm(m_text));
        m_documentLength = m_editor->document()->characterCount() - 1;
        m_history.clear();
    }
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
    return m_text.mid(selected.start, selected.length);
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
    const int start = modelPosition(cursor.selectionStart());
    return {start, modelPosition(cursor.selectionEnd()) - start};
}

// The document's selection covers the model's; a position inside a CR LF shows at the start
// of that line break.
void EditControl::select(Selection selection)
{
    const int length = int(m_text.size());
    selection.start = std::clamp(selection.start, 0, length);
    selection.length = std::clamp(selection.length, 0, length - selection.start);
    QTextCursor cursor = m_editor->textCursor();
    const QScopedValueRollback writing(m_writing, true);
    cursor.setPosition(documentPosition(selection.start));
    cursor.setPosition(documentPosition(selection.start + selection.length),
                       QTextCursor::KeepAnchor);
    m_editor->setTextCursor(cursor);
    m_programSelection = selection;
}

void EditControl::replaceSelection(const QString &text)
{
    const Selection selected = selection();
    replaceModel(selected.start, selected.start + selected.length, text);
    select({selected.start + int(text.size()), 0});
}

// The model first, then the document from it. The document's range is widened to whole line
// breaks on both sides: its ends are then exact, and a CR and an LF that come to meet show as
// the one line break they now are.
void EditControl::replaceModel(int start, int end, const QString &text)
{
    const int from = start > 0 && m_text.at(start - 1) == CR ? start - 1 : start;
    const int to = end < m_text.size() && m_text.at(end) == LF ? end + 1 : end;
    const int documentFrom = documentPosition(from);
    const int documentTo = documentPosition(to);
    record(start, m_text.mid(start, end - start), text);
    m_text.replace(start, end - start, text);
    const int newTo = to + int(text.size()) - (end - start);
    writeDocument(documentFrom, documentTo, shownForm(QStringView(m_text).mid(from, newTo - from)));
}

void EditControl::writeDocument(int from, int to, const QString &shown)
{
    QTextCursor cursor(m_editor->document());
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    const QScopedValueRollback writing(m_writing, true);
    cursor.insertText(shown);
    m_documentLength = m_editor->document()->characterCount() - 1;
    settleLongLines(from, from + int(shown.size()));
}

// Putting lines in pieces or together again moves no character of the text, nor the selection.
void EditControl::settleLongLines(int from, int to)
{
    const Selection kept = selection();
    const QScopedValueRollback writing(m_writing, true);
    if (!m_longLines.settle(from, to))
        return;
    m_documentLength = m_editor->document()->characterCount() - 1;
    select(kept);
}

// A change the user made in the document (typing, deleting, an input method, a drop): the
// model takes the same change.
void EditControl::documentChanged(int position, int added)
{
    if (m_writing || m_userEvents == 0)
        return;
    const int newLength = m_editor->document()->characterCount() - 1;
    added = std::clamp(added, 0, std::max(0, newLength - position));
    m_documentLength = newLength;

    QTextCursor range(m_editor->document());
    range.setPosition(position);
    range.setPosition(position + added, QTextCursor::KeepAnchor);
    // A separator between pieces of a long line stands for no character of the model.
    QString inserted = range.selectedText();
    QList<int> pieceBreaks;
    for (qsizetype i = inserted.size() - 1; i >= 0; --i) {
        if (inserted.at(i) == QChar::ParagraphSeparator &&
            m_longLines.isPieceBreakAt(position + int(i))) {
            inserted.remove(i, 1);
            pieceBreaks.prepend(int(i));
        }
    }
    const auto documentAt = [&](int index) {
        for (const int pieceBreak : std::as_const(pieceBreaks))
            index += pieceBreak <= index ? 1 : 0;
        return position + index;
    };
    // The model's changed range ends where the text that the change left behind begins.
    int start = modelPosition(position);
    int end = std::max(start, int(m_text.size()) - modelPosition(newLength) +
                                  modelPosition(position + added));

    // The document reports generous ranges at times: only what really differs is replaced,
    // so that the lone line breaks around it keep their kind.
    int first = 0;
    while (first < inserted.size() && start < end &&
           inserted.at(first) == shownUnitAt(m_text, start)) {
        start += unitLength(m_text, start);
        ++first;
    }
    int last = int(inserted.size());
    while (last > first && end > start) {
        const int unit = end - start >= 2 && isCrLfAt(m_text, end - 2) ? 2 : 1;
        if (inserted.at(last - 1) != shownUnitAt(m_text, end - unit))
            break;
        end -= unit;
        --last;
    }
    if (first == last && start == end)
        return;

    QString text;
    bool reshow = false;
    for (const QChar c : QStringView(inserted).mid(first, last - first)) {
        const bool lineBreak = c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
        text += lineBreak ? QStringView(u"\r\n") : QStringView(&c, 1);
        reshow = reshow || c == QChar::LineSeparator || (!lineBreak && isShownAsSymbol(c));
    }
    m_programSelection.reset();
    record(start, m_text.mid(start, end - start), text);
    m_text.replace(start, end - start, text);

    // The document shows what the model now holds: a line separator from an input method is
    // a line break, and a lone CR that came to meet a lone LF is one CR LF.
    const int after = start + int(text.size());
    const bool joinsBefore = start > 0 && isCrLfAt(m_text, start - 1);
    const bool joinsAfter = !text.isEmpty() && isCrLfAt(m_text, after - 1);
    if (reshow || joinsBefore || joinsAfter) {
        const int from = joinsBefore ? start - 1 : start;
        const int to = joinsAfter || (joinsBefore && text.isEmpty()) ? after + 1 : after;
        writeDocument(documentAt(first) - (start - from), documentAt(last) + (to - after),
                      shownForm(QStringView(m_text).mid(from, to - from)));
    }
    m_changePending = true;
    m_changedFrom = position;
    m_changedTo = position + added;
}

void EditControl::record(int position, const QString &removed, const QString &inserted)
{
    if (!m_applyingHistory)
        m_history.record(position, removed, inserted);
}

EditControl::UndoStep::UndoStep(EditControl &control)
    : m_control(control)
{
    m_control.m_history.begin(m_control.selection());
}

EditControl::UndoStep::~UndoStep()
{
    m_control.m_history.end(m_control.selection());
}

// The queued key arrives before anything posted after it: the join ends there.
void EditControl::joinNextKeyToStep()
{
    m_history.joinNext();
    QTimer::singleShot(0, m_editor, [this] { m_history.stopJoining(); });
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
    {
        const EditHistory::Step &step = undoing ? m_history.undo() : m_history.redo();
        const QScopedValueRollback applying(m_applyingHistory, true);
        if (undoing) {
            for (auto edit = step.edits.rbegin(); edit != step.edits.rend(); ++edit)
                replaceModel(edit->position, edit->position + int(edit->inserted.size()),
                             edit->removed);
        } else {
            for (const EditHistory::Edit &edit : step.edits)
                replaceModel(edit.position, edit.position + int(edit.removed.size()),
                             edit.inserted);
        }
        select(undoing ? step.before : step.after);
    }
    m_editor->ensureCursorVisible();
    changed();
}

QMimeData *EditControl::copiedText() const
{
    const QString text = SelText();
    auto *mime = new QMimeData;
    mime->setText(withLfBreaks(text));
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
    select({0, int(m_text.size())});
}

void EditControl::pasted(const QMimeData *source)
{
    QString text;
    if (source->hasFormat(ModelTextMimeType)) {
        const QByteArray exact = source->data(ModelTextMimeType);
        text = QString(reinterpret_cast<const QChar *>(exact.constData()), exact.size() / 2);
    } else if (source->hasText()) {
        text = withCrLfBreaks(source->text());
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
    int at = modelPosition(documentPosition);
    if (moved) {
        const Selection from = selection();
        if (at >= from.start && at <= from.start + from.length)
            return;
        if (at > from.start)
            at -= from.length;
        replaceModel(from.start, from.start + from.length, QString());
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
    cursor.setPosition(documentPosition(std::clamp(index, 0, int(m_text.size()))));
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
    m_longLines.beforeKey(*event);
    const int before = m_editor->textCursor().position();
    m_editor->defaultKeyPress(event);
    m_longLines.afterKey(*event, before);
    m_inKey = outer;
    announceChange();
}

void EditControl::announceChange()
{
    if (!m_changePending)
        return;
    m_changePending = false;
    settleLongLines(m_changedFrom, m_changedTo);
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

// Every line break before the position is a CR LF, one character longer in the model; a
// separator between pieces of a long line is none.
int EditControl::modelPosition(int documentPosition) const
{
    return documentPosition +
           m_longLines.shift(m_editor->document()->findBlock(documentPosition).blockNumber());
}

int EditControl::documentPosition(int modelPosition) const
{
    const QTextDocument *document = m_editor->document();
    int lo = 0;
    int hi = document->blockCount() - 1;
    while (lo < hi) { // the last line whose model start is at or before the position
        const int mid = (lo + hi + 1) / 2;
        if (document->findBlockByNumber(mid).position() + m_longLines.shift(mid) <= modelPosition)
            lo = mid;
        else
            hi = mid - 1;
    }
    const QTextBlock block = document->findBlockByNumber(lo);
    return block.position() +
           std::min(modelPosition - block.position() - m_longLines.shift(lo), block.length() - 1);
}
