#include "platform/qtkeysender.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace {
const QEvent::Type QueuedKeys = QEvent::Type(QEvent::registerEventType());

class QueuedKeysEvent : public QEvent
{
public:
    explicit QueuedKeysEvent(const QString &keys)
        : QEvent(QueuedKeys)
        , keys(keys)
    {}
    QString keys;
};

void press(QWidget *target, int key, const QString &text)
{
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &up);
}
} // namespace

void QtKeySender::SendKeys(const QString &keys, bool wait)
{
    if (wait)
        deliver(keys);
    else
        QApplication::postEvent(this, new QueuedKeysEvent(keys));
}

void QtKeySender::customEvent(QEvent *event)
{
    if (event->type() == QueuedKeys)
        deliver(static_cast<QueuedKeysEvent *>(event)->keys);
}

// The focus is looked up when the strokes arrive: a handler may have moved it after queuing.
void QtKeySender::deliver(const QString &keys)
{
    for (int i = 0; i < keys.size(); ++i) {
        QWidget *target = QApplication::focusWidget();
        if (!target)
            return;
        if (keys.at(i) == u'{') {
            const int close = int(keys.indexOf(u'}', i + 1));
            if (close < 0)
                return;
            const QString name = keys.mid(i + 1, close - i - 1);
            i = close;
            if (name == QLatin1String("Up"))
                press(target, Qt::Key_Up, QString());
            else if (name == QLatin1String("Down"))
                press(target, Qt::Key_Down, QString());
            else if (name == QLatin1String("Del") || name == QLatin1String("Delete"))
                press(target, Qt::Key_Delete, QString());
            continue;
        }
        const QChar c = keys.at(i);
        press(target, int(c.toUpper().unicode()), QString(c)); // Qt's key codes are the ASCII codes
    }
}
