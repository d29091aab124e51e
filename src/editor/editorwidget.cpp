#include "editor/editorwidget.h"

#include "editor/editcontrol.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QScopedValueRollback>

EditorWidget::EditorWidget(EditControl *control, QWidget *parent)
    : QPlainTextEdit(parent)
    , m_control(control)
{}

// Only the user's own events can change the document's text behind the model's back; changes
// reported outside them are changes of format.
bool EditorWidget::event(QEvent *event)
{
    const QScopedValueRollback userEvent(m_control->m_userEvents, m_control->m_userEvents + 1);
    return QPlainTextEdit::event(event);
}

bool EditorWidget::viewportEvent(QEvent *event)
{
    const QScopedValueRollback userEvent(m_control->m_userEvents, m_control->m_userEvents + 1);
    return QPlainTextEdit::viewportEvent(event);
}

void EditorWidget::keyPressEvent(QKeyEvent *event)
{
    m_control->keyPressed(event);
}

void EditorWidget::mouseReleaseEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    m_control->clicked();
}

void EditorWidget::focusInEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusInEvent(event);
    m_control->gotFocus();
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
    m_control->dropped(event->mimeData(), cursorForPosition(event->position().toPoint()).position(),
                       moved);
    event->acceptProposedAction();
}

void EditorWidget::contextMenuEvent(QContextMenuEvent *event)
{
    EditControl &control = *m_control;
    QMenu menu(this);
    const auto add = [&](const QString &caption, const QKeySequence &shortcut, bool enabled,
                         void (EditControl::*command)()) {
        QAction *action = menu.addAction(caption, [&control, command] {
            const EditControl::UndoStep step(control);
            (control.*command)();
        });
        action->setShortcut(shortcut);
        action->setEnabled(enabled);
    };
    const bool selected = control.SelLength() > 0;
    const QMimeData *clipboard = QGuiApplication::clipboard()->mimeData();
    add(QStringLiteral("&Undo"), QKeySequence(Qt::ALT | Qt::Key_Backspace), control.canUndo(),
        &EditControl::undo);
    add(QStringLiteral("&Redo"), QKeySequence(Qt::CTRL | Qt::Key_Y), control.canRedo(),
        &EditControl::redo);
    menu.addSeparator();
    add(QStringLiteral("Cu&t"), QKeySequence::Cut, selected, &EditControl::cut);
    add(QStringLiteral("&Copy"), QKeySequence::Copy, selected, &EditControl::copy);
    add(QStringLiteral("&Paste"), QKeySequence::Paste,
        clipboard && canInsertFromMimeData(clipboard), &EditControl::paste);
    menu.addSeparator();
    add(QStringLiteral("Select &All"), QKeySequence::SelectAll, !control.Text().isEmpty(),
        &EditControl::selectAll);
    if (control.m_contextMenu) {
        const QTextCursor at = event->reason() == QContextMenuEvent::Mouse
                                   ? cursorForPosition(event->pos())
                                   : textCursor();
        control.m_contextMenu(menu, control.modelPosition(at.position()));
    }
    menu.exec(event->globalPos());
}

QMimeData *EditorWidget::createMimeDataFromSelection() const
{
    return m_control->copiedText();
}

bool EditorWidget::canInsertFromMimeData(const QMimeData *source) const
{
    return source->hasText() || source->hasFormat(EditControl::ModelTextMimeType);
}

void EditorWidget::insertFromMimeData(const QMimeData *source)
{
    m_control->pasted(source);
}
