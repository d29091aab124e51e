#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <functional>

class QKeyEvent;
class QPlainTextEdit;
class QTextBlock;
class QTextDocument;

// A line of many thousands of characters (minified markup) would be laid out whole, and so
// slowly, on every keystroke in it. Such a line is shown as pieces of about five hundred
// characters instead, one document block each. Each piece after the first carries a mark in
// its block, and the block separator before it stands for no character of the text; a line
// break the user types makes a block without the mark. Pieces end after a ">" where there is
// one near, so that tags stay whole on screen.
class LongLines
{
public:
    // A line this long or longer is shown in pieces; the markup colours leave it plain.
    static constexpr int FoldedLength = 20000;

    explicit LongLines(QTextDocument *document);

    // Off, every line is shown whole (only to measure what the pieces save).
    static void setEnabled(bool enabled);

    // Whether the block holds a piece of a long line.
    static bool isPiece(const QTextBlock &block);

    // Shows `shown`, the document's form of a whole text, with its long lines in pieces;
    // `writeWhole` puts a whole text in the document.
    void setPlainText(const QString &shown, const std::function<void(const QString &)> &writeWhole);
    // Model position less document position at the start of the block: one for each line
    // break above, less one for each separator between pieces.
    int shift(int blockNumber) const;
    // Whether the document's separator at `position` only parts two pieces.
    bool isPieceBreakAt(int position) const;
    // Puts the lines of the blocks between the two document positions in pieces or back
    // together, where their length now asks for it; returns whether the document changed.
    bool settle(int from, int to);

    // Deleting next to a separator between pieces deletes the character beyond it.
    void beforeKey(QPlainTextEdit &editor, const QKeyEvent &event) const;
    // A step left or right over a separator between pieces moves by one character, as it
    // does everywhere else.
    void afterKey(QPlainTextEdit &editor, const QKeyEvent &event, int positionBefore) const;

private:
    void documentChanged(int position, int added);
    void refresh();
    bool settleBlock(const QTextBlock &block);
    void rewrite(const QTextBlock &first, const QTextBlock &last, bool inPieces);
    static QString inPieces(QStringView line, int *pieceBreaks);

    QTextDocument *m_document;
    // Pages without long lines never count their blocks.
    bool m_anyPieces = false;
    // The numbers of the blocks that continue a line, in order.
    QList<int> m_continuations;
    int m_blockCount = 0;
};
