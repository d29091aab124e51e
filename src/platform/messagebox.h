#pragma once

#include <QString>

#include <optional>

// Modal message boxes. Button-and-icon codes: 0 OK; 35 Yes, No and Cancel with a question
// icon; 48 OK with an exclamation icon; 64 OK with an information icon.
class MessageBox
{
public:
    enum Result
    {
        Ok = 1,
        Cancel = 2,
        Yes = 6,
        No = 7
    };

    MessageBox() = default;
    virtual ~MessageBox() = default;
    MessageBox(const MessageBox &) = delete;
    MessageBox &operator=(const MessageBox &) = delete;

    // Returns the button pressed; closing the box without a choice answers Cancel where the
    // box has one. A box given no title carries the program's, "VLM".
    int MsgBox(const QString &prompt, int buttons = 0, const QString &title = QString())
    {
        return show(prompt, buttons, title.isEmpty() ? QStringLiteral("VLM") : title);
    }

    // Asks for a whole number from `minimum` to `maximum`, offering `value`; nothing when the
    // user cancels.
    virtual std::optional<int> askNumber(const QString &prompt, const QString &title, int value,
                                         int minimum, int maximum) = 0;

protected:
    virtual int show(const QString &prompt, int buttons, const QString &title) = 0;
};
