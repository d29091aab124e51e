#pragma once

#include "platform/messagebox.h"

class QtMessageBox : public MessageBox
{
public:
    std::optional<int> askNumber(const QString &prompt, const QString &title, int value,
                                 int minimum, int maximum) override;

protected:
    int show(const QString &prompt, int buttons, const QString &title) override;
};
