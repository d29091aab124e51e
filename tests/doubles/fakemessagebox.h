#pragma once

#include "platform/messagebox.h"

#include <QList>
#include <QStringList>

#include <algorithm>
#include <functional>

// Answers from a script, OK (or Cancel where the box has one) once the script is used up,
// and records every box shown.
class FakeMessageBox : public MessageBox
{
public:
    struct Shown
    {
        QString prompt;
        int buttons;
        QString title;
    };

    QList<int> answers;
    QList<Shown> shown;
    std::function<void()> whileShown; // runs while each box is up
    // Numbers asked for are answered from here, cancelled once it is used up.
    QList<int> numbers;

    std::optional<int> askNumber(const QString &prompt, const QString &title, int, int minimum,
                                 int maximum) override
    {
        shown.append({prompt, -1, title});
        if (numbers.isEmpty())
            return std::nullopt;
        return std::clamp(numbers.takeFirst(), minimum, maximum);
    }

protected:
    int show(const QString &prompt, int buttons, const QString &title) override
    {
        if (whileShown)
            whileShown();
        shown.append({prompt, buttons, title});
        if (!answers.isEmpty())
            return answers.takeFirst();
        return (buttons & 0x0F) == 0 ? Ok : Cancel;
    }
};
