#pragma once

class QKeyEvent;

// The virtual key codes, shift masks and character codes that the key handlers work with.
namespace KeyCodes {
enum Key
{
    Backspace = 8,
    Tab = 9,
    Enter = 13,
    Escape = 27,
    Space = 32,
    Left = 37,
    Up = 38,
    Right = 39,
    Down = 40,
    Delete = 46,
};

enum ShiftMask
{
    ShiftKey = 1,
    CtrlKey = 2,
    AltKey = 4
};

// The virtual key code of the event's key, 0 for a key the handlers have no code for.
int virtualKey(const QKeyEvent &event);
int shiftMask(const QKeyEvent &event);
// The character the key types (8 Backspace, 13 Enter, 27 Escape or a printable character),
// 0 when it types none.
int character(const QKeyEvent &event);
// Alt+Backspace undoes; Ctrl+Y and Ctrl+Shift+Z redo (Ctrl+Z is a menu's shortcut).
bool isUndo(const QKeyEvent &event);
bool isRedo(const QKeyEvent &event);
} // namespace KeyCodes
