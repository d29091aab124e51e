#pragma once

#include "platform/messagebox.h"

#include <QList>
#include <QStringList>

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

protected:
    int show(const QString &prompt, int buttons, const QString &title) override;
};
