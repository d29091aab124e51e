#include "editor/textmodel.h"

#include "core/linebreaks.h"

#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {
constexpr QChar CR = u'\r';
constexpr QChar LF = u'\n';
} // namespace

using namespace LineBreaks;

TextModel::TextModel(QTextDocument *document, WholeWriter writeWhole)
    : m_document(document)
    , m_writeWhole(std::move(writeWhole))
    , m_longLines(document)
{
    if (!m_writeWhole)
        m_writeWhole = [document](const QString &shown) { document->setPlainText(shown); };
}

void TextModel::setText(const QString &text)
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
        replace(int(prefix), int(m_text.size() - suffix),
                text.mid(prefix, text.size() - prefix - suffix));
    } else {
        const QScopedValueRollback writing(m_writing, true);
        m_text = text;
        m_longLines.setPlainText(shownForm(m_text), m_writeWhole);
        m_history.clear();
    }
}

// The model first, then the document from it. The document's range is widened to whole line
// breaks on both sides: its ends are then exact, and a CR and an LF that come to meet show as
// the one line break they now are.
void TextModel::replace(int start, int end, const QString &text)
{
    const int from = start > 0 && m_text.at(start - 1) == CR ? start - 1 : start;
    const int to = end < m_text.size() && m_text.at(end) == LF ? end + 1 : end;
    const int documentFrom = documentPosition(from);
    const int documentTo = documentPosition(to);
    record(start, m_text.mid(start, end - start), text);
    m_text.replace(start, end - start, text);
    const int newTo = to + int(text.size()) - (end - start);
    const QString shown = shownForm(QStringView(m_text).mid(from, newTo - from));
    writeDocument(documentFrom, documentTo, shown);
    settle(documentFrom, documentFrom + int(shown.size()));
}

void TextModel::writeDocument(int from, int to, const QString &shown)
{
    QTextCursor cursor(m_document);
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    const QScopedValueRollback writing(m_writing, true);
    cursor.insertText(shown);
}

bool TextModel::settle(int from, int to)
{
    const QScopedValueRollback writing(m_writing, true);
    return m_longLines.settle(from, to);
}

bool TextModel::settleChange()
{
    return settle(m_changedFrom, m_changedTo);
}

// The count of removed units is not needed: the end of the changed range is found from the
// text that follows the change, which also knows the removed separators between pieces.
bool TextModel::takeDocumentChange(int position, int /*removed*/, int added)
{
    if (m_writing)
        return false;
    const int newLength = m_document->characterCount() - 1;
    added = std::clamp(added, 0, std::max(0, newLength - position));

    QTextCursor range(m_document);
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
        return false;

    QString text;
    bool reshow = false;
    for (const QChar c : QStringView(inserted).mid(first, last - first)) {
        const bool lineBreak = c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
        text += lineBreak ? QStringView(u"\r\n") : QStringView(&c, 1);
        reshow = reshow || c == QChar::LineSeparator || (!lineBreak && isShownAsSymbol(c));
    }
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
    m_changedFrom = position;
    m_changedTo = position + added;
    return true;
}

void TextModel::record(int position, const QString &removed, const QString &inserted)
{
    if (!m_applyingHistory)
        m_history.record(position, removed, inserted);
}

TextModel::Selection TextModel::undo()
{
    return applyHistory(true);
}

TextModel::Selection TextModel::redo()
{
    return applyHistory(false);
}

TextModel::Selection TextModel::applyHistory(bool undoing)
{
    const EditHistory::Step &step = undoing ? m_history.undo() : m_history.redo();
    const QScopedValueRollback applying(m_applyingHistory, true);
    if (undoing) {
        for (auto edit = step.edits.rbegin(); edit != step.edits.rend(); ++edit)
            replace(edit->position, edit->position + int(edit->inserted.size()), edit->removed);
    } else {
        for (const EditHistory::Edit &edit : step.edits)
            replace(edit.position, edit.position + int(edit.removed.size()), edit.inserted);
    }
    return undoing ? step.before : step.after;
}

// Every line break before the position is a CR LF, one character longer in the model; a
// separator between pieces of a long line is none.
int TextModel::modelPosition(int documentPosition) const
{
    return documentPosition +
           m_longLines.shift(m_document->findBlock(documentPosition).blockNumber());
}

int TextModel::documentPosition(int modelPosition) const
{
    int lo = 0;
    int hi = m_document->blockCount() - 1;
    while (lo < hi) { // the last line whose model start is at or before the position
        const int mid = (lo + hi + 1) / 2;
        if (m_document->findBlockByNumber(mid).position() + m_longLines.shift(mid) <= modelPosition)
            lo = mid;
        else
            hi = mid - 1;
    }
    const QTextBlock block = m_document->findBlockByNumber(lo);
    return block.position() +
           std::min(modelPosition - block.position() - m_longLines.shift(lo), block.length() - 1);
}
