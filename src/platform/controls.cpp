#include "platform/controls.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

class LineEditWidget : public QLineEdit
{
public:
    LineEditWidget(TextBox *control, QWidget *parent)
        : QLineEdit(parent)
        , m_control(control)
    {}

protected:
    // The focus coming back after a menu, a message box or another window is no arrival.
    void focusInEvent(QFocusEvent *event) override
    {
        QLineEdit::focusInEvent(event);
        const Qt::FocusReason reason = event->reason();
        const bool returned = reason == Qt::ActiveWindowFocusReason ||
                              reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason;
        if (!returned && m_control->m_gotFocus)
            m_control->m_gotFocus();
    }

private:
    TextBox *m_control;
};

TextBox::TextBox(QWidget *parent)
    : Control(new LineEditWidget(this, parent))
{}

QLineEdit *TextBox::lineEdit() const
{
    return static_cast<QLineEdit *>(widget());
}

QString TextBox::Text() const
{
    return lineEdit()->text();
}

void TextBox::setText(const QString &text)
{
    lineEdit()->setText(text);
}

void TextBox::SetFocus()
{
    lineEdit()->setFocus(Qt::OtherFocusReason);
}

Label::Label(QWidget *parent, const QString &caption)
    : Control(new QLabel(caption, parent))
{}

QString Label::Caption() const
{
    return static_cast<QLabel *>(widget())->text();
}

void Label::setBuddy(Control &control)
{
    static_cast<QLabel *>(widget())->setBuddy(control.widget());
}

Button::Button(QWidget *parent, const QString &caption)
    : Control(new QPushButton(caption, parent))
{
    button()->setAutoDefault(false);
}

QPushButton *Button::button() const
{
    return static_cast<QPushButton *>(widget());
}

QString Button::Caption() const
{
    return button()->text();
}

void Button::onClick(const std::function<void()> &handler)
{
    QObject::connect(button(), &QPushButton::clicked, button(), [handler] { handler(); });
}

CheckBox::CheckBox(QWidget *parent, const QString &caption)
    : Control(new QCheckBox(caption, parent))
{}

QCheckBox *CheckBox::checkBox() const
{
    return static_cast<QCheckBox *>(widget());
}

QString CheckBox::Caption() const
{
    return checkBox()->text();
}

int CheckBox::Value() const
{
    switch (checkBox()->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void CheckBox::setValue(int value)
{
    checkBox()->setCheckState(value == 1   ? Qt::Checked
                              : value == 2 ? Qt::PartiallyChecked
                                           : Qt::Unchecked);
}

class FrameWidget : public QGroupBox
{
public:
    using QGroupBox::QGroupBox;

protected:
    void moveEvent(QMoveEvent *event) override
    {
        QGroupBox::moveEvent(event);
        showWhereSeen();
    }
    void changeEvent(QEvent *event) override
    {
        QGroupBox::changeEvent(event);
        if (event->type() == QEvent::EnabledChange)
            showWhereSeen();
    }

private:
    void showWhereSeen() { setVisible(isEnabled() || geometry().bottom() >= 0); }
};

Frame::Frame(QWidget *parent)
    : Control(new FrameWidget(parent))
{}

bool Frame::Enabled() const
{
    return widget()->isEnabled();
}

void Frame::setEnabled(bool enabled)
{
    widget()->setEnabled(enabled);
}

void Timer::setEnabled(bool enabled)
{
    m_enabled = enabled;
    update();
}

void Timer::setInterval(int milliseconds)
{
    m_interval = milliseconds;
    update();
}

void Timer::onTimer(const std::function<void()> &handler)
{
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [handler] { handler(); });
}

bool Timer::isRunning() const
{
    return m_timer.isActive();
}

void Timer::update()
{
    if (m_enabled && m_interval > 0)
        m_timer.start(m_interval);
    else
        m_timer.stop();
}
