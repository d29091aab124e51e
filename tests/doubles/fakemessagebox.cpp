#include "fakemessagebox.h"

int FakeMessageBox::show(const QString &prompt, int buttons, const QString &title)
{
    if (whileShown)
        whileShown();
    shown.append({prompt, buttons, title});
    if (!answers.isEmpty())
        return answers.takeFirst();
    return (buttons & 0x0F) == 0 ? Ok : Cancel;
}
