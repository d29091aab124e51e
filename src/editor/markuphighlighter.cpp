#include "editor/markuphighlighter.h"

#include "editor/longlines.h"
#include "platform/contrast.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <utility>

using MarkupScanner::Kind;
using MarkupScanner::State;

namespace {
constexpr int NoRecord = -1;
constexpr int ColouredFlag = 1 << 16;
// Lines scanned between looks at the clock while idle, and the time one round may take.
constexpr int IdleBatch = 256;
constexpr int IdleBudgetMs = 4;
// A longer line (minified markup) is left plain, its pieces too: thousands of colour runs would
// make every keystroke in it slow, and its state is still scanned for the lines below.
constexpr int LongLine = LongLines::FoldedLength;
} // namespace

MarkupHighlighter::MarkupHighlighter(QPlainTextEdit *editor)
    : m_editor(editor)
{
    chooseColours();
    m_editor->installEventFilter(this);
    m_idleScan.setSingleShot(true);
    m_idleScan.setInterval(0);
    connect(&m_idleScan, &QTimer::timeout, this, &MarkupHighlighter::scanWhileIdle);
    setEnabled(true);
}

MarkupHighlighter::~MarkupHighlighter() = default;

// Dark enough for text on white, apart enough to tell one from another.
QColor MarkupHighlighter::colour(Kind kind)
{
    switch (kind) {
    case Kind::TagDelimiter:
        return QColor(0x4b, 0x5a, 0x73);
    case Kind::TagName:
        return QColor(0x1f, 0x4f, 0xa3);
    case Kind::AttributeName:
        return QColor(0x8f, 0x44, 0x00);
    case Kind::AttributeValue:
        return QColor(0x13, 0x73, 0x33);
    case Kind::Comment:
        return QColor(0x6b, 0x72, 0x80);
    case Kind::CharacterReference:
        return QColor(0xb0, 0x17, 0x7a);
    case Kind::Doctype:
        return QColor(0x6f, 0x3f, 0xa8);
    case Kind::Script:
        return QColor(0x0b, 0x6b, 0x73);
    case Kind::Style:
        return QColor(0x9c, 0x2a, 0x2a);
    }
    return Qt::black;
}

QColor MarkupHighlighter::colour(Kind kind, const QColor &background)
{
    constexpr double Wanted = 4.5;
    return Contrast::readable(colour(kind), background, Wanted);
}

void MarkupHighlighter::chooseColours()
{
    const QColor background = m_editor->palette().color(QPalette::Base);
    for (int kind = 0; kind < MarkupScanner::KindCount; ++kind)
        m_formats[kind].setForeground(colour(Kind(kind), background));
    if (m_enabled) {
        setEnabled(false);
        setEnabled(true);
    }
}

QTextDocument *MarkupHighlighter::document() const
{
    return m_editor->document();
}

void MarkupHighlighter::setEnabled(bool enabled)
{
    if (!m_editor || enabled == m_enabled)
        return;
    m_enabled = enabled;
    QTextDocument *doc = document();
    int from = -1;
    int to = -1;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        if (hasRecord(block) && recordOf(block).coloured) {
            block.layout()->clearFormats();
            from = from < 0 ? block.position() : from;
            to = block.position() + block.length();
        }
        block.setUserState(NoRecord);
    }
    if (from >= 0) {
        m_applying = true;
        doc->markContentsDirty(from, to - from);
        m_applying = false;
    }
    m_scannedLines = 0;
    m_keptFrom = m_keptTo = 0;
    m_blockCount = doc->blockCount();
    m_idleScan.stop();
    if (enabled) {
        connect(doc, &QTextDocument::contentsChange, this, &MarkupHighlighter::documentChanged);
        m_editor->viewport()->installEventFilter(this);
        m_editor->viewport()->update();
    } else {
        disconnect(doc, &QTextDocument::contentsChange, this, &MarkupHighlighter::documentChanged);
        m_editor->viewport()->removeEventFilter(this);
    }
}

bool MarkupHighlighter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && m_editor && watched == m_editor->viewport())
        colourShownLines();
    else if (event->type() == QEvent::PaletteChange && m_editor && watched == m_editor)
        chooseColours();
    return QObject::eventFilter(watched, event);
}

// The lines an edit touched lose their records; the lines below keep theirs, to be taken up
// again by the scan where they still begin in the state they recorded.
void MarkupHighlighter::documentChanged(int position, int /*removed*/, int added)
{
    if (m_applying || !m_editor)
        return;
    QTextDocument *doc = document();
    QTextBlock first = doc->findBlock(position);
    QTextBlock last = doc->findBlock(position + added);
    if (!first.isValid())
        first = doc->lastBlock();
    if (!last.isValid())
        last = doc->lastBlock();
    const int firstNumber = first.blockNumber();
    const int lastNumber = last.blockNumber();
    const int blockCount = doc->blockCount();

    const bool editInScannedLines = firstNumber <= m_scannedLines;
    if (firstNumber < m_scannedLines) {
        m_keptFrom = lastNumber + 1;
        m_keptTo = m_scannedLines + blockCount - m_blockCount;
        m_scannedLines = firstNumber;
    } else if (firstNumber < m_keptTo) {
        m_keptTo = firstNumber;
    }
    m_blockCount = blockCount;
    for (QTextBlock block = first;; block = block.next()) {
        block.setUserState(NoRecord);
        if (block == last)
            break;
    }

    // A typed change is coloured before it is painted, together with what it opened or closed
    // on the lines shown below it; a change of the whole text waits for the paint.
    const int shown = shownLineCount();
    if (editInScannedLines && lastNumber - firstNumber <= 2 * shown) {
        scanThrough(lastNumber + shown);
        colourLines(first, doc->findBlockByNumber(std::min(lastNumber + shown, blockCount - 1)));
    } else if (!m_idleScan.isActive()) {
        m_idleScan.start();
    }
}

void MarkupHighlighter::colourShownLines()
{
    const QRect area = m_editor->viewport()->rect();
    if (area.isEmpty())
        return;
    const QTextBlock first = m_editor->cursorForPosition(area.topLeft()).block();
    const QTextBlock last = m_editor->cursorForPosition(area.bottomLeft()).block();
    scanThrough(last.blockNumber());
    colourLines(first, last);
}

void MarkupHighlighter::scanThrough(int blockNumber)
{
    QTextDocument *doc = document();
    blockNumber = std::min(blockNumber, doc->blockCount() - 1);
    if (m_scannedLines > blockNumber)
        return;
    int number = m_scannedLines;
    QTextBlock block = doc->findBlockByNumber(number);
    State state = number == 0 ? MarkupScanner::PageStart : recordOf(block.previous()).end;
    while (block.isValid() && number <= blockNumber) {
        Record record = recordOf(block);
        if (hasRecord(block) && record.start == state) {
            if (number >= m_keptFrom && number < m_keptTo) {
                number = m_keptTo;
                m_keptFrom = m_keptTo = 0;
                const QTextBlock lastKept = doc->findBlockByNumber(number - 1);
                state = recordOf(lastKept).end;
                block = lastKept.next();
                continue;
            }
        } else {
            record = {state, MarkupScanner::scanLine(block.text(), state), false};
            setRecord(block, record);
        }
        state = record.end;
        block = block.next();
        ++number;
    }
    m_scannedLines = number;
    if (m_scannedLines < doc->blockCount() && !m_idleScan.isActive())
        m_idleScan.start();
}

void MarkupHighlighter::scanWhileIdle()
{
    if (!m_editor || !m_enabled)
        return;
    QElapsedTimer clock;
    clock.start();
    const int blockCount = document()->blockCount();
    while (m_scannedLines < blockCount && clock.elapsed() < IdleBudgetMs)
        scanThrough(m_scannedLines + IdleBatch);
}

void MarkupHighlighter::colourLines(const QTextBlock &first, const QTextBlock &last)
{
    int from = -1;
    int to = -1;
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        if (hasRecord(block) && !recordOf(block).coloured && applyColours(block, recordOf(block))) {
            if (from < 0)
                from = block.position();
            to = block.position() + block.length();
        }
        if (block == last)
            break;
    }
    if (from < 0)
        return;
    // The layouts of these lines are redone once; the text stays as it is.
    m_applying = true;
    document()->markContentsDirty(from, to - from);
    m_applying = false;
}

bool MarkupHighlighter::applyColours(QTextBlock &block, const Record &record)
{
    m_spans.clear();
    if (block.length() <= LongLine && !LongLines::isPiece(block))
        MarkupScanner::scanLine(block.text(), record.start, &m_spans);
    QTextLayout *layout = block.layout();
    // Text being composed by an input method is shown inside the line; it keeps its own look.
    const int preeditStart = layout->preeditAreaPosition();
    const int preeditLength = int(layout->preeditAreaText().size());
    QList<QTextLayout::FormatRange> ranges;
    if (preeditLength > 0) {
        ranges = layout->formats();
        ranges.removeIf([&](const QTextLayout::FormatRange &range) {
            return range.start < preeditStart ||
                   range.start + range.length > preeditStart + preeditLength;
        });
    }
    ranges.reserve(ranges.size() + m_spans.size());
    for (const MarkupScanner::Span &span : std::as_const(m_spans)) {
        QTextLayout::FormatRange range;
        range.start = span.start;
        range.length = span.length;
        range.format = m_formats[int(span.kind)];
        if (preeditLength > 0) {
            if (range.start >= preeditStart)
                range.start += preeditLength;
            else if (range.start + range.length > preeditStart)
                range.length += preeditLength;
        }
        ranges.append(range);
    }
    Record coloured = record;
    coloured.coloured = true;
    setRecord(block, coloured);
    if (ranges == layout->formats())
        return false;
    layout->setFormats(ranges);
    return true;
}

int MarkupHighlighter::shownLineCount() const
{
    const int lineHeight = std::max(1, QFontMetrics(m_editor->font()).lineSpacing());
    return m_editor->viewport()->height() / lineHeight + 2;
}

bool MarkupHighlighter::hasRecord(const QTextBlock &block)
{
    return block.userState() != NoRecord;
}

MarkupHighlighter::Record MarkupHighlighter::recordOf(const QTextBlock &block)
{
    const int packed = block.userState();
    if (packed == NoRecord)
        return {};
    return {(packed >> 8) & 0xFF, packed & 0xFF, (packed & ColouredFlag) != 0};
}

void MarkupHighlighter::setRecord(QTextBlock &block, const Record &record)
{
    block.setUserState(record.end | record.start << 8 | (record.coloured ? ColouredFlag : 0));
}
