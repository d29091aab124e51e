#include "editor/editorwidget.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QScopedValueRollback>

EditorWidget::EditorWidget(Client *client, QWidget *parent)
    : QPlainTextEdit(parent)
    , m_client(client)
{}

bool EditorWidget::event(QEvent *event)
{
    const QScopedValueRollback userEvent(m_userEvents, m_userEvents + 1);
    return QPlainTextEdit::event(event);
}

bool EditorWidget::viewportEvent(QEvent *event)
{
    const QScopedValueRollback userEvent(m_userEvents, m_userEvents + 1);
    return QPlainTextEdit::viewportEvent(event);
}

void EditorWidget::keyPressEvent(QKeyEvent *event)
{
    m_client->keyPressed(event);
}

void EditorWidget::mouseReleaseEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    m_client->clicked();
}

void EditorWidget::focusInEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusInEvent(event);
    m_client->gotFocus();
}

// Dropped here rather than by the widget, which would write the text inside an edit block of
// its own, whose change the model would take for the user's.
void EditorWidget::dropEvent(QDropEvent *event)
{
    QDragLeaveEvent leave; // ends the drop's feedback caret
    QPlainTextEdit::dragLeaveEvent(&leave);
    if (!canInsertFromMimeData(event->mimeData())) {
        event->ignore();
        return;
    }
    const bool moved = event->source() == this && event->dropAction() == Qt::MoveAction;
    m_client->dropped(event->mimeData(), cursorForPosition(event->position().toPoint()).position(),
                      moved);
    event->acceptProposedAction();
}

void EditorWidget::contextMenuEvent(QContextMenuEvent *event)
{
    using Command = Client::Command;
    QMenu menu(this);
    const auto add = [&](const QString &caption, const QKeySequence &shortcut, Command command) {
        QAction *action = menu.addAction(caption, [this, command] { m_client->run(command); });
        action->setShortcut(shortcut);
        action->setEnabled(m_client->canRun(command));
    };
    add(QStringLiteral("&Undo"), QKeySequence(Qt::ALT | Qt::Key_Backspace), Command::Undo);
    add(QStringLiteral("&Redo"), QKeySequence(Qt::CTRL | Qt::Key_Y), Command::Redo);
    menu.addSeparator();
    add(QStringLiteral("Cu&t"), QKeySequence::Cut, Command::Cut);
    add(QStringLiteral("&Copy"), QKeySequence::Copy, Command::Copy);
    add(QStringLiteral("&Paste"), QKeySequence::Paste, Command::Paste);
    menu.addSeparator();
    add(QStringLiteral("Select &All"), QKeySequence::SelectAll, Command::SelectAll);
    m_client->extendContextMenu(menu, event->reason() == QContextMenuEvent::Mouse
                                          ? cursorForPosition(event->pos()).position()
                                          : textCursor().position());
    menu.exec(event->globalPos());
}

QMimeData *EditorWidget::createMimeDataFromSelection() const
{
    return m_client->copiedText();
}

bool EditorWidget::canInsertFromMimeData(const QMimeData *source) const
{
    return m_client->canInsert(source);
}

void EditorWidget::insertFromMimeData(const QMimeData *source)
{
    m_client->pasted(source);
}
