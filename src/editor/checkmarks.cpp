#include "editor/checkmarks.h"

#include "editor/editcontrol.h"

#include <QHelpEvent>
#include <QPlainTextEdit>
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
    control.editor()->viewport()->installEventFilter(this);
}

void CheckMarks::set(Layer layer, const QList<Mark> &marks)
{
    QPlainTextEdit *editor = m_control.editor();
    if (!editor)
        return;
    const QTextCharFormat format = formatOf(layer);
    const int last = editor->document()->characterCount() - 1;
    QList<QTextEdit::ExtraSelection> &selections = m_layers[layer];
    selections.clear();
    m_messages[layer].clear();
    for (const Mark &mark : marks) {
        QTextCursor cursor(editor->document());
        const int start = std::min(m_control.documentPosition(mark.start), last);
        const int end = m_control.documentPosition(mark.start + std::max(mark.length, 1));
        cursor.setPosition(start);
        cursor.setPosition(std::clamp(end, std::min(start + 1, last), last),
                           QTextCursor::KeepAnchor);
        selections.append({cursor, format});
        m_messages[layer].append(mark.message);
    }
    show();
}

QList<CheckMarks::Mark> CheckMarks::marks(Layer layer) const
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
