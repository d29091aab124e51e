#include "editor/checkmarks.h"

#include "editor/editcontrol.h"

#include <QHelpEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QToolTip>

namespace {
QTextCharFormat formatOf(CheckMarks::Layer layer)
{
    QTextCharFormat format;
    switch (layer) {
    case CheckMarks::TagPair:
        format.setBackground(QColor(255, 230, 150));
        break;
    case CheckMarks::Problems:
        format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        format.setUnderlineColor(QColor(220, 0, 0));
        break;
    default:
        format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        format.setUnderlineColor(QColor(0, 110, 220));
        break;
    }
    return format;
}
} // namespace

CheckMarks::CheckMarks(EditControl &control)
    : m_control(control)
{
    QPlainTextEdit *editor = control.editor();
    editor->viewport()->installEventFilter(this);
    const auto replace = [this] {
        for (const Layer layer : {TagPair, Problems, Spelling})
            place(layer);
        show();
    };
    // Queued: the view scrolls while the document is still being edited, and replacing the extra
    // selections then frees cursors the document is about to adjust.
    QObject::connect(editor->verticalScrollBar(), &QScrollBar::valueChanged, this, replace,
                     Qt::QueuedConnection);
    QObject::connect(editor->horizontalScrollBar(), &QScrollBar::valueChanged, this, replace,
                     Qt::QueuedConnection);
}

void CheckMarks::set(Layer layer, const QList<Mark> &marks)
{
    if (!m_control.editor())
        return;
    m_marks[layer] = marks;
    place(layer);
    show();
}

// Places the marks of the lines shown and of a screenful either side.
void CheckMarks::place(Layer layer)
{
    QPlainTextEdit *editor = m_control.editor();
    QTextDocument *document = editor->document();
    const QTextBlock top = editor->cursorForPosition(QPoint(0, 0)).block();
    const int shownLines =
        editor->viewport()->height() / std::max(1, editor->fontMetrics().height());
    const QTextBlock first =
        document->findBlockByNumber(std::max(0, top.blockNumber() - shownLines));
    const QTextBlock last = document->findBlockByNumber(
        std::min(document->blockCount() - 1, top.blockNumber() + 2 * shownLines + 1));
    const int from = m_control.modelPosition(first.position());
    const int to = m_control.modelPosition(last.position() + last.length() - 1);
    const QList<Mark> &marks = m_marks[layer];
    auto mark = std::lower_bound(marks.cbegin(), marks.cend(), from, [](const Mark &m, int at) {
        return m.start + std::max(m.length, 1) < at;
    });
    const QTextCharFormat format = formatOf(layer);
    const int end = document->characterCount() - 1;
    QList<QTextEdit::ExtraSelection> &selections = m_layers[layer];
    selections.clear();
    m_messages[layer].clear();
    for (; mark != marks.cend() && mark->start <= to; ++mark) {
        QTextCursor cursor(document);
        const int start = std::min(m_control.documentPosition(mark->start), end);
        const int stop = m_control.documentPosition(mark->start + std::max(mark->length, 1));
        cursor.setPosition(start);
        cursor.setPosition(std::clamp(stop, std::min(start + 1, end), end),
                           QTextCursor::KeepAnchor);
        selections.append({cursor, format});
        m_messages[layer].append(mark->message);
    }
}

QList<CheckMarks::Mark> CheckMarks::shown(Layer layer) const
{
    QList<Mark> found;
    for (qsizetype i = 0; i < m_layers[layer].size(); ++i) {
        const QTextCursor &cursor = m_layers[layer].at(i).cursor;
        const int start = m_control.modelPosition(cursor.selectionStart());
        found.append({start, m_control.modelPosition(cursor.selectionEnd()) - start,
                      m_messages[layer].at(i)});
    }
    return found;
}

void CheckMarks::show()
{
    QList<QTextEdit::ExtraSelection> all;
    for (const QList<QTextEdit::ExtraSelection> &layer : m_layers)
        all += layer;
    m_control.editor()->setExtraSelections(all);
}

bool CheckMarks::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QObject::eventFilter(watched, event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const int at = m_control.editor()->cursorForPosition(help->pos()).position();
    QStringList messages;
    for (const Layer layer : {Problems, Spelling}) {
        for (qsizetype i = 0; i < m_layers[layer].size(); ++i) {
            const QTextCursor &cursor = m_layers[layer].at(i).cursor;
            if (cursor.selectionStart() <= at && at < cursor.selectionEnd() &&
                !m_messages[layer].at(i).isEmpty())
                messages.append(m_messages[layer].at(i));
        }
    }
    if (messages.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), messages.join(u'\n'), m_control.editor());
    return true;
}
