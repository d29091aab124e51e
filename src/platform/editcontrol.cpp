#include "editcontrol.h"

#include "keycodes.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {
constexpr QChar CR = u'\r';
constexpr QChar LF = u'\n';
constexpr QChar ParagraphSeparator = QChar::ParagraphSeparator;

// The document holds one separator where the model holds a CR LF, a lone CR or a lone LF.
QString documentForm(const QString &modelText)
{
    QString text = modelText;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(CR, LF);
    return text;
}

bool isLoneBreakAt(const QString &text, int index)
{
    const QChar c = text.at(index);
    if (c == CR)
        return index + 1 >= text.size() || text.at(index + 1) != LF;
    if (c == LF)
        return index == 0 || text.at(index - 1) != CR;
    return false;
}

int loneBreaksIn(const QString &text, int from, int to)
{
    int count = 0;
    for (int i = std::max(0, from); i < std::min(int(text.size()), to); ++i)
        count += isLoneBreakAt(text, i) ? 1 : 0;
    return count;
}

// Model characters taken by the line break at `index`: 2 for CR LF, 1 for a lone CR or LF.
int breakLengthAt(const QString &text, int index)
{
    const QChar c = text.at(index);
    if (c == CR)
        return index + 1 < text.size() && text.at(index + 1) == LF ? 2 : 1;
    return c == LF ? 1 : 0;
}

// The same for the line break that ends right before `end`, not reaching before `floor`.
int breakLengthBefore(const QString &text, int end, int floor)
{
    const QChar c = text.at(end - 1);
    if (c == LF)
        return end - 2 >= floor && text.at(end - 2) == CR ? 2 : 1;
    return c == CR ? 1 : 0;
}
} // namespace

class EditorWidget : public QPlainTextEdit
{
public:
    EditorWidget(EditControl *control, QWidget *parent)
        : QPlainTextEdit(parent)
        , m_control(control)
    {}

    void defaultKeyPress(QKeyEvent *event) { QPlainTextEdit::keyPressEvent(event); }

protected:
    void keyPressEvent(QKeyEvent *event) override { m_control->keyPressed(event); }

    void mouseReleaseEvent(QMouseEvent *event) override
    {
        QPlainTextEdit::mouseReleaseEvent(event);
        m_control->clicked();
    }

    void focusInEvent(QFocusEvent *event) override
    {
        QPlainTextEdit::focusInEvent(event);
        m_control->gotFocus();
    }

    bool canInsertFromMimeData(const QMimeData *source) const override { return source->hasText(); }

    // Pasted text keeps its own line breaks, and rich text arrives as its plain text.
    void insertFromMimeData(const QMimeData *source) override
    {
        if (source->hasText())
            m_control->pasted(source->text());
    }

private:
    EditControl *m_control;
};

EditControl::EditControl(QWidget *parent)
    : Control(new EditorWidget(this, parent))
    , m_editor(static_cast<EditorWidget *>(widget()))
{
    m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QObject::connect(m_editor->document(), &QTextDocument::contentsChange, m_editor,
                     [this](int position, int removed, int added) {
                         documentChanged(position, removed, added);
                     });
    // A change made by the user is announced once the document has laid out the new text, so
    // that the change event finds the caret's place up to date.
    QObject::connect(m_editor->document(), &QTextDocument::contentsChanged, m_editor, [this] {
        if (!m_inKey)
            announceChange();
    });
}

EditControl::~EditControl() = default;

QPlainTextEdit *EditControl::editor() const
{
    return m_editor;
}

void EditControl::setText(const QString &text)
{
    m_writing = true;
    m_editor->setPlainText(documentForm(text));
    m_writing = false;
    m_text = text;
    m_documentLength = m_editor->document()->characterCount() - 1;
    m_loneBreaks = loneBreaksIn(m_text, 0, int(m_text.size()));
    m_anchor = {};
    changed();
}

int EditControl::SelStart() const
{
    return modelPosition(m_editor->textCursor().selectionStart());
}

void EditControl::setSelStart(int start)
{
    QTextCursor cursor = m_editor->textCursor();
    cursor.setPosition(documentPosition(std::clamp(start, 0, int(m_text.size()))));
    m_editor->setTextCursor(cursor);
}

int EditControl::SelLength() const
{
    const QTextCursor cursor = m_editor->textCursor();
    return modelPosition(cursor.selectionEnd()) - modelPosition(cursor.selectionStart());
}

void EditControl::setSelLength(int length)
{
    QTextCursor cursor = m_editor->textCursor();
    const int start = modelPosition(cursor.selectionStart());
    const int end = std::clamp(start + length, start, int(m_text.size()));
    cursor.setPosition(cursor.selectionStart());
    cursor.setPosition(documentPosition(end), QTextCursor::KeepAnchor);
    m_editor->setTextCursor(cursor);
}

QString EditControl::SelText() const
{
    const QTextCursor cursor = m_editor->textCursor();
    const int start = modelPosition(cursor.selectionStart());
    return m_text.mid(start, modelPosition(cursor.selectionEnd()) - start);
}

void EditControl::setSelText(const QString &text)
{
    replaceSelection(text);
    changed();
}

void EditControl::replaceSelection(const QString &text)
{
    QTextCursor cursor = m_editor->textCursor();
    const int documentStart = cursor.selectionStart();
    const int modelStart = modelPosition(documentStart);
    const int modelEnd = modelPosition(cursor.selectionEnd());
    m_writing = true;
    cursor.insertText(documentForm(text));
    m_editor->setTextCursor(cursor);
    m_writing = false;
    m_documentLength = m_editor->document()->characterCount() - 1;
    replaceModel(modelStart, modelEnd, text, documentStart);
}

void EditControl::pasted(const QString &text)
{
    replaceSelection(text);
    m_editor->ensureCursorVisible();
    changed();
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
    int keyCode = KeyCodes::virtualKey(*event);
    if (keyCode != 0 && m_keyDown) {
        m_keyDown(keyCode, KeyCodes::shiftMask(*event));
        if (keyCode == 0)
            return;
    }
    int keyAscii = KeyCodes::character(*event);
    if (keyAscii != 0 && m_keyPress) {
        const int typed = keyAscii;
        m_keyPress(keyAscii);
        if (keyAscii == 0)
            return;
        if (keyAscii != typed) {
            const int key = keyAscii == KeyCodes::Enter       ? int(Qt::Key_Return)
                            : keyAscii == KeyCodes::Backspace ? int(Qt::Key_Backspace)
                            : keyAscii == KeyCodes::Escape    ? int(Qt::Key_Escape)
                                                              : 0;
            QKeyEvent replaced(QEvent::KeyPress, key, Qt::NoModifier,
                               QString(QChar(char16_t(keyAscii))));
            defaultKeyPress(&replaced);
            return;
        }
    }
    defaultKeyPress(event);
}

// A typed change is announced after the control has handled the key in full, the caret
// scrolled into view included.
void EditControl::defaultKeyPress(QKeyEvent *event)
{
    const bool outer = m_inKey;
    m_inKey = true;
    m_editor->defaultKeyPress(event);
    m_inKey = outer;
    announceChange();
}

void EditControl::announceChange()
{
    if (!m_changePending)
        return;
    m_changePending = false;
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

// A change made by the user (typing, deleting, dropping): bring the model up to date. The
// document reports the changed range generously at times (a whole-text range for a change of
// format), so only the part that really differs is replaced, and the kinds of the line breaks
// outside it are kept.
void EditControl::documentChanged(int position, int removed, int added)
{
    if (m_writing)
        return;
    const int newLength = m_editor->document()->characterCount() - 1;
    removed = std::clamp(removed, 0, m_documentLength - position);
    added = std::clamp(added, 0, newLength - position);
    m_documentLength = newLength;

    QTextCursor range(m_editor->document());
    range.setPosition(position);
    range.setPosition(position + added, QTextCursor::KeepAnchor);
    const QString inserted = range.selectedText();

    int modelStart = modelPosition(position);
    int modelEnd = modelAfter(modelStart, removed);
    int first = 0;
    while (first < inserted.size() && modelStart < modelEnd) {
        const int breakLength = breakLengthAt(m_text, modelStart);
        if (breakLength ? inserted.at(first) != ParagraphSeparator
                        : inserted.at(first) != m_text.at(modelStart))
            break;
        modelStart += breakLength ? breakLength : 1;
        ++first;
    }
    int last = int(inserted.size());
    while (last > first && modelEnd > modelStart) {
        const int breakLength = breakLengthBefore(m_text, modelEnd, modelStart);
        if (breakLength ? inserted.at(last - 1) != ParagraphSeparator
                        : inserted.at(last - 1) != m_text.at(modelEnd - 1))
            break;
        modelEnd -= breakLength ? breakLength : 1;
        --last;
    }
    if (first == last && modelStart == modelEnd)
        return;

    QString text = inserted.mid(first, last - first);
    text.replace(ParagraphSeparator, QLatin1String("\r\n"));
    replaceModel(modelStart, modelEnd, text, position + first);
    m_changePending = true;
}

void EditControl::replaceModel(int modelStart, int modelEnd, QString text, int documentStart)
{
    // A lone CR meeting a lone LF would read as one CR LF while the document shows two
    // breaks; making the CR a CR LF keeps both breaks and the count of positions consistent.
    if (modelStart > 0 && m_text.at(modelStart - 1) == CR &&
        (text.isEmpty() ? modelEnd < m_text.size() && m_text.at(modelEnd) == LF : text.at(0) == LF))
        text.prepend(LF);
    if (!text.isEmpty() && text.back() == CR && modelEnd < m_text.size() &&
        m_text.at(modelEnd) == LF)
        text.append(LF);

    m_loneBreaks -= loneBreaksIn(m_text, modelStart - 1, modelEnd + 1);
    m_text.replace(modelStart, modelEnd - modelStart, text);
    m_loneBreaks += loneBreaksIn(m_text, modelStart - 1, modelStart + int(text.size()) + 1);
    if (m_anchor.model > modelStart)
        m_anchor = {documentStart, modelStart};
}

int EditControl::modelAfter(int modelStart, int documentCharacters) const
{
    int model = modelStart;
    for (int i = 0; i < documentCharacters && model < m_text.size(); ++i) {
        const int breakLength = breakLengthAt(m_text, model);
        model += breakLength ? breakLength : 1;
    }
    return model;
}

// With every break a CR LF, a position gains one per line before it. Otherwise walk from the
// last position converted, which is near: edits and carets stay close to each other.
int EditControl::modelPosition(int documentPosition) const
{
    if (m_loneBreaks == 0)
        return documentPosition + m_editor->document()->findBlock(documentPosition).blockNumber();
    Anchor anchor = m_anchor;
    if (anchor.document > documentPosition && documentPosition < anchor.document / 2)
        anchor = {};
    while (anchor.document < documentPosition && anchor.model < m_text.size()) {
        const int breakLength = breakLengthAt(m_text, anchor.model);
        anchor.model += breakLength ? breakLength : 1;
        ++anchor.document;
    }
    while (anchor.document > documentPosition) {
        const int breakLength = breakLengthBefore(m_text, anchor.model, 0);
        anchor.model -= breakLength ? breakLength : 1;
        --anchor.document;
    }
    m_anchor = anchor;
    return anchor.model;
}

// A position inside a CR LF goes to the start of that line break.
int EditControl::documentPosition(int modelPosition) const
{
    if (m_loneBreaks == 0) {
        const QTextDocument *document = m_editor->document();
        int lo = 0;
        int hi = document->blockCount() - 1;
        while (lo < hi) { // the last block whose model start is at or before the position
            const int mid = (lo + hi + 1) / 2;
            const QTextBlock block = document->findBlockByNumber(mid);
            if (block.position() + mid <= modelPosition)
                lo = mid;
            else
                hi = mid - 1;
        }
        const QTextBlock block = document->findBlockByNumber(lo);
        return block.position() +
               std::min(modelPosition - block.position() - lo, block.length() - 1);
    }
    Anchor anchor = m_anchor;
    if (anchor.model > modelPosition && modelPosition < anchor.model / 2)
        anchor = {};
    while (anchor.model < modelPosition) {
        const int breakLength = breakLengthAt(m_text, anchor.model);
        const int next = anchor.model + (breakLength ? breakLength : 1);
        if (next > modelPosition)
            break;
        anchor.model = next;
        ++anchor.document;
    }
    while (anchor.model > modelPosition) {
        const int breakLength = breakLengthBefore(m_text, anchor.model, 0);
        anchor.model -= breakLength ? breakLength : 1;
        --anchor.document;
    }
    m_anchor = anchor;
    return anchor.document;
}
