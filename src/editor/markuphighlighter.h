#pragma once

#include "core/markupscanner.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QTextCharFormat>
#include <QTimer>

#include <array>

class QPlainTextEdit;
class QTextBlock;
class QTextDocument;

// Colours the markup in a plain text editor: tags, attributes, values, comments, character
// references, the doctype, scripts and styles. Only the colour changes (never the text, the
// caret, the font or the geometry), and only where it is seen: the lines an edit touches and
// the lines shown are coloured before they are painted, and the rest of a long page is scanned
// a little at a time while the editor is idle.
//
// Each line keeps what it was scanned with in its block's user state: the state it began in,
// the state it ended in, and whether its colours are applied.
class MarkupHighlighter : public QObject
{
public:
    explicit MarkupHighlighter(QPlainTextEdit *editor);
    ~MarkupHighlighter() override;

    // Off, the editor shows plain text and the highlighter costs nothing.
    void setEnabled(bool enabled);

    // The designed colour of a kind, as shown on a white background.
    static QColor colour(MarkupScanner::Kind kind);
    // The colour shown on this background: the designed one where it reads there (4.5:1),
    // otherwise one of its hue that does.
    static QColor colour(MarkupScanner::Kind kind, const QColor &background);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Record
    {
        MarkupScanner::State start = MarkupScanner::PageStart;
        MarkupScanner::State end = MarkupScanner::PageStart;
        bool coloured = false;
    };

    QTextDocument *document() const;
    // Takes the colours for the editor's background and colours the text anew with them.
    void chooseColours();
    void documentChanged(int position, int removed, int added);
    void colourShownLines();
    // Brings the states of the lines up to `blockNumber` up to date.
    void scanThrough(int blockNumber);
    void scanWhileIdle();
    // Colours the lines from `first` to `last` that need it; their layouts are redone once.
    void colourLines(const QTextBlock &first, const QTextBlock &last);
    // Returns whether the line's colours changed.
    bool applyColours(QTextBlock &block, const Record &record);
    int shownLineCount() const;

    static bool hasRecord(const QTextBlock &block);
    static Record recordOf(const QTextBlock &block);
    static void setRecord(QTextBlock &block, const Record &record);

    QPointer<QPlainTextEdit> m_editor;
    bool m_enabled = false;
    bool m_applying = false;
    // Lines before this one carry states that follow from the lines above them.
    int m_scannedLines = 0;
    // Lines in [m_keptFrom, m_keptTo) were up to date before the last edit above them: once the
    // scan reaches one of them in the state it recorded, all of them are up to date again.
    int m_keptFrom = 0;
    int m_keptTo = 0;
    int m_blockCount = 1;
    QTimer m_idleScan;
    std::array<QTextCharFormat, MarkupScanner::KindCount> m_formats;
    QList<MarkupScanner::Span> m_spans;
};
