#pragma once

#include "platform/messagebox.h"

class QtMessageBox : public MessageBox
{
protected:
    int show(const QString &prompt, int buttons, const QString &title) override;
};
