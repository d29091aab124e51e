#include "fakemessagebox.h"

#include <algorithm>

int FakeMessageBox::show(const QString &prompt, int buttons, const QString &title)
{
    if (whileShown)
        whileShown();
    shown.append({prompt, buttons, title});
    if (!answers.isEmpty())
        return answers.takeFirst();
    return (buttons & 0x0F) == 0 ? Ok : Cancel;
}

std::optional<int> FakeMessageBox::askNumber(const QString &prompt, const QString &title, int,
                                             int minimum, int maximum)
{
    shown.append({prompt, -1, title});
    if (numbers.isEmpty())
        return std::nullopt;
    return std::clamp(numbers.takeFirst(), minimum, maximum);
}
