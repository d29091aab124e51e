#pragma once

#include <QString>

// Synthesized keystrokes into the control that has the focus: "{Up}", "{Down}", "{Del}" and
// single characters such as "=".
class KeySender
{
public:
    KeySender() = default;
    virtual ~KeySender() = default;
    KeySender(const KeySender &) = delete;
    KeySender &operator=(const KeySender &) = delete;

    // Without waiting, the strokes are handled after the key being handled now, its character
    // included; with waiting, before the call returns.
    virtual void SendKeys(const QString &keys, bool wait = false) = 0;
};
