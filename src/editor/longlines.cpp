#include "editor/longlines.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {
// Pieces are cut at about this length, and cut again once typing has made one twice as long:
// a piece lays out in about a millisecond.
constexpr int PieceLength = 500;
constexpr QChar Separator = u'\n';

bool piecesEnabled = true;

// The mark of a block that continues the line above it. A line break typed inside a piece
// makes a new block without it: Qt leaves a block's user data with the part before the break.
class Continuation : public QTextBlockUserData
{};

bool continues(const QTextBlock &block)
{
    return block.isValid() && dynamic_cast<const Continuation *>(block.userData()) != nullptr;
}

void mark(QTextBlock block, bool continuation = true)
{
    block.setUserData(continuation ? new Continuation : nullptr);
}
} // namespace

LongLines::LongLines(QTextDocument *document)
    : m_document(document)
{
    QObject::connect(
        m_document, &QTextDocument::contentsChange, m_document,
        [this](int position, int /*removed*/, int added) { documentChanged(position, added); });
}

void LongLines::setEnabled(bool enabled)
{
    piecesEnabled = enabled;
}

bool LongLines::isPiece(const QTextBlock &block)
{
    return continues(block) || continues(block.next());
}

void LongLines::setPlainText(const QString &shown,
                             const std::function<void(const QString &)> &writeWhole)
{
    QString text;
    QList<int> continuations;
    int blockNumber = 0;
    qsizetype start = 0;
    while (piecesEnabled) {
        qsizetype end = shown.indexOf(Separator, start);
        end = end < 0 ? shown.size() : end;
        if (end - start >= FoldedLength) {
            if (continuations.isEmpty())
                text = shown.left(start);
            int breaks = 0;
            text += inPieces(QStringView(shown).mid(start, end - start), &breaks);
            for (int piece = 1; piece <= breaks; ++piece)
                continuations.append(blockNumber + piece);
            blockNumber += breaks;
        } else if (!continuations.isEmpty()) {
            text += QStringView(shown).mid(start, end - start);
        }
        if (end == shown.size())
            break;
        if (!continuations.isEmpty())
            text += Separator;
        ++blockNumber;
        start = end + 1;
    }
    if (continuations.isEmpty()) {
        writeWhole(shown);
    } else {
        // The marks are in place before anyone hears of the new text.
        writeWhole(QString());
        QTextCursor cursor(m_document);
        cursor.beginEditBlock();
        cursor.insertText(text);
        for (const int number : std::as_const(continuations))
            mark(m_document->findBlockByNumber(number));
        cursor.endEditBlock();
    }
    refresh();
}

int LongLines::shift(int blockNumber) const
{
    if (!m_anyPieces)
        return blockNumber;
    const auto continuations =
        std::upper_bound(m_continuations.cbegin(), m_continuations.cend(), blockNumber) -
        m_continuations.cbegin();
    return blockNumber - 2 * int(continuations);
}

bool LongLines::isPieceBreakAt(int position) const
{
    if (!m_anyPieces)
        return false;
    const QTextBlock block = m_document->findBlock(position);
    return position == block.position() + block.length() - 1 && continues(block.next());
}

// The separator before the block where a change begins is the one that was there: the block
// keeps its mark, whichever of the blocks that a removal joined Qt kept. The numbers of the
// marked blocks are then counted again if the change made or removed blocks.
void LongLines::documentChanged(int position, int added)
{
    if (!m_anyPieces)
        return;
    const QTextBlock block = m_document->findBlock(position);
    const bool continued =
        std::binary_search(m_continuations.cbegin(), m_continuations.cend(), block.blockNumber());
    if (continues(block) != continued)
        mark(block, continued);
    if (m_document->blockCount() != m_blockCount ||
        block != m_document->findBlock(position + added))
        refresh();
}

void LongLines::refresh()
{
    m_continuations.clear();
    int number = 0;
    for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next(), ++number) {
        if (continues(block))
            m_continuations.append(number);
    }
    m_blockCount = number;
    m_anyPieces = !m_continuations.isEmpty();
}

// From the last block to the first, so that each rewrite leaves the positions above it.
bool LongLines::settle(int from, int to)
{
    if (!piecesEnabled)
        return false;
    bool changed = false;
    for (int position = to;;) {
        QTextBlock block = m_document->findBlock(position);
        if (!block.isValid())
            block = m_document->lastBlock();
        const int blockStart = block.position();
        changed = settleBlock(block) || changed;
        if (blockStart <= from)
            return changed;
        position = blockStart - 1;
    }
}

// The line's length is summed only as far as it matters, so that a keystroke in a line of
// megabytes looks at a few pieces.
bool LongLines::settleBlock(const QTextBlock &block)
{
    QTextBlock first = block;
    QTextBlock last = block;
    int length = block.length() - 1;
    int pieces = 1;
    while (length < FoldedLength && continues(first)) {
        first = first.previous();
        length += first.length() - 1;
        ++pieces;
    }
    while (length < FoldedLength && continues(last.next())) {
        last = last.next();
        length += last.length() - 1;
        ++pieces;
    }
    const bool wanted = length >= FoldedLength;
    if (wanted != (pieces > 1)) {
        rewrite(first, last, wanted);
        return true;
    }
    const int pieceLength = block.length() - 1;
    if (!wanted || (pieceLength > 0 && pieceLength <= 2 * PieceLength))
        return false;
    // A piece grown long is cut again; an empty one joins a neighbour.
    if (pieceLength > 0)
        rewrite(block, block, true);
    else if (continues(block))
        rewrite(block.previous(), block, true);
    else
        rewrite(block, block.next(), true);
    return true;
}

void LongLines::rewrite(const QTextBlock &first, const QTextBlock &last, bool pieces)
{
    const int from = first.position();
    const int to = last.position() + last.length() - 1;
    const int firstNumber = first.blockNumber();
    QString line;
    for (QTextBlock block = first;; block = block.next()) {
        line += block.text();
        if (block == last)
            break;
    }
    int breaks = 0;
    const QString text = pieces ? inPieces(line, &breaks) : line;
    QTextCursor cursor(m_document);
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    cursor.beginEditBlock();
    cursor.insertText(text);
    for (int piece = 1; piece <= breaks; ++piece)
        mark(m_document->findBlockByNumber(firstNumber + piece));
    cursor.endEditBlock();
    refresh();
}

QString LongLines::inPieces(QStringView line, int *pieceBreaks)
{
    QString text;
    text.reserve(line.size() + line.size() / (PieceLength / 2) + 1);
    *pieceBreaks = 0;
    qsizetype start = 0;
    while (line.size() - start > PieceLength) {
        qsizetype end = start + PieceLength;
        const qsizetype tagEnd = line.mid(end - PieceLength / 2, PieceLength / 2).lastIndexOf(u'>');
        if (tagEnd >= 0)
            end += tagEnd + 1 - PieceLength / 2;
        else if (line.at(end - 1).isHighSurrogate())
            --end;
        text += line.mid(start, end - start);
        text += Separator;
        ++*pieceBreaks;
        start = end;
    }
    text += line.mid(start);
    return text;
}

void LongLines::beforeKey(QPlainTextEdit &editor, const QKeyEvent &event) const
{
    QTextCursor cursor = editor.textCursor();
    if (!m_anyPieces || cursor.hasSelection())
        return;
    const int position = cursor.position();
    if (event.key() == Qt::Key_Backspace && position > 0 && isPieceBreakAt(position - 1))
        cursor.setPosition(position - 1);
    else if (event.key() == Qt::Key_Delete && isPieceBreakAt(position))
        cursor.setPosition(position + 1);
    else
        return;
    editor.setTextCursor(cursor);
}

// Both sides of a separator between pieces are the same place in the text; Home and End go to
// the ends of the whole line.
void LongLines::afterKey(QPlainTextEdit &editor, const QKeyEvent &event, int positionBefore) const
{
    if (!m_anyPieces)
        return;
    QTextCursor cursor = editor.textCursor();
    const int position = cursor.position();
    const auto mode = event.modifiers().testFlag(Qt::ShiftModifier) ? QTextCursor::KeepAnchor
                                                                    : QTextCursor::MoveAnchor;
    const bool control = event.modifiers().testFlag(Qt::ControlModifier);
    if (event.key() == Qt::Key_Home && !control) {
        QTextBlock first = cursor.block();
        while (continues(first))
            first = first.previous();
        cursor.setPosition(first.position(), mode);
    } else if (event.key() == Qt::Key_End && !control) {
        QTextBlock last = cursor.block();
        while (continues(last.next()))
            last = last.next();
        cursor.setPosition(last.position() + last.length() - 1, mode);
    } else if ((event.key() == Qt::Key_Left || event.key() == Qt::Key_Right) &&
               isPieceBreakAt(position) && position != positionBefore) {
        if (position > positionBefore)
            cursor.movePosition(QTextCursor::NextCharacter, mode);
        else
            cursor.movePosition(
                control ? QTextCursor::PreviousWord : QTextCursor::PreviousCharacter, mode);
    }
    if (cursor.position() != position)
        editor.setTextCursor(cursor);
}
