#pragma once

#include "platform/control.h"

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

// A container of controls with a border and no caption.
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

namespace Fonts {
// Where Debian's fonts-wine keeps the faces the window was designed with, out of the system's
// font configuration.
QString designedFacesFolder();
// Registers the designed faces found in the folder, all or those of one family, with the
// application; returns the families registered. Missing or unreadable files are skipped: the
// fallbacks of `designed` stand in.
QStringList addDesignedFaces(const QString &folder, const QString &family = QString());
// The named face at the given size, or the system's fixed-pitch or general face at that size
// where the named one is not installed. A family not yet known is first looked for among the
// designed faces of designedFacesFolder().
QFont designed(const QString &family, double points, bool fixedPitch);
void apply(Control &control, const QFont &font);
} // namespace Fonts
