#include "platform/keycodes.h"

#include <QKeyEvent>

namespace KeyCodes {
int virtualKey(const QKeyEvent &event)
{
    const int key = event.key();
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z))
        return key; // Qt uses the same codes for digits and upper-case letters
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return 112 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace:
        return Backspace;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return Enter;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_Escape:
        return Escape;
    case Qt::Key_Space:
        return Space;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return Left;
    case Qt::Key_Up:
        return Up;
    case Qt::Key_Right:
        return Right;
    case Qt::Key_Down:
        return Down;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return Delete;
    default:
        return 0;
    }
}

int shiftMask(const QKeyEvent &event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    return (modifiers & Qt::ShiftModifier ? ShiftKey : 0) |
           (modifiers & Qt::ControlModifier ? CtrlKey : 0) |
           (modifiers & Qt::AltModifier ? AltKey : 0);
}

int character(const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Backspace:
        return Backspace;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return Enter;
    case Qt::Key_Escape:
        return Escape;
    case Qt::Key_Space: // with Ctrl held the event carries no text
        return Space;
    default:
        break;
    }
    const QString text = event.text();
    if (text.size() == 1 && text.at(0).isPrint())
        return text.at(0).unicode();
    return 0;
}

bool isUndo(const QKeyEvent &event)
{
    return event.key() == Qt::Key_Backspace && event.modifiers() == Qt::AltModifier;
}

bool isRedo(const QKeyEvent &event)
{
    return (event.key() == Qt::Key_Y && event.modifiers() == Qt::ControlModifier) ||
           (event.key() == Qt::Key_Z &&
            event.modifiers() == (Qt::ControlModifier | Qt::ShiftModifier));
}
} // namespace KeyCodes
