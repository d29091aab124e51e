#pragma once

#include "platform/keysender.h"

#include <QObject>

class QtKeySender : public QObject, public KeySender
{
public:
    void SendKeys(const QString &keys, bool wait = false) override;

protected:
    void customEvent(QEvent *event) override;

private:
    static void deliver(const QString &keys);
};
