#pragma once

#include "platform/control.h"
#include "platform/fonts.h"

#include <QFont>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

class QCheckBox;
class QFont;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// A single-line text box.
class TextBox : public Control
{
public:
    explicit TextBox(QWidget *parent);
    QString Text() const;
    void setText(const QString &text);
    void SetFocus();
    // Runs when the focus arrives (a click, Tab, the program), not when it comes back to the
    // box with its window or after a menu.
    void onGotFocus(std::function<void()> handler) { m_gotFocus = std::move(handler); }
    QLineEdit *lineEdit() const;

private:
    friend class LineEditWidget;
    std::function<void()> m_gotFocus;
};

class Label : public Control
{
public:
    Label(QWidget *parent, const QString &caption);
    QString Caption() const;
    // The control the caption names, for screen readers and the caption's access key.
    void setBuddy(Control &control);
};

class Button : public Control
{
public:
    Button(QWidget *parent, const QString &caption);
    QString Caption() const;
    void onClick(const std::function<void()> &handler);
    QPushButton *button() const;
};

class CheckBox : public Control
{
public:
    CheckBox(QWidget *parent, const QString &caption);
    QString Caption() const;
    // 0 unchecked, 1 checked, 2 greyed
    int Value() const;
    void setValue(int value);
    QCheckBox *checkBox() const;
};

// A container of controls with a border and no caption. Disabled and wholly above its
// parent's top edge, it is hidden, so that its controls are not reported as showing.
class Frame : public Control
{
public:
    explicit Frame(QWidget *parent);
    bool Enabled() const;
    void setEnabled(bool enabled);
};

// Fires every `Interval` milliseconds while enabled; an interval of 0 never fires.
class Timer
{
public:
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    int Interval() const { return m_interval; }
    void setInterval(int milliseconds);
    void onTimer(const std::function<void()> &handler);
    bool isRunning() const;

private:
    void update();

    QTimer m_timer;
    bool m_enabled = true;
    int m_interval = 0;
};
