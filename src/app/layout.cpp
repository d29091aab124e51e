#include "app/layout.h"

#include "editor/editcontrol.h"
#include "platform/browsercontrol.h"
#include "platform/controls.h"
#include "platform/mainwindow.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {
constexpr double Easing = 0.1;
constexpr int TickMilliseconds = 10;
// The lower row of buttons sits this far below the upper one.
constexpr double RowGap = 600;
// Keeps the panel's bottom edge clear of the editor.
constexpr double PanelMargin = 4;
constexpr double GuardFloor = 5;
constexpr double PreviewGuardStep = 10;
constexpr double EditorGuardStep = 200;
// Close enough to the target to stop moving.
constexpr double Arrived = 1;

// A tenth of the way to the target, as a single-precision value like the controls' own.
double eased(double value, double target)
{
    return float(value + Easing * (target - value));
}

bool near(double value, double target)
{
    return std::abs(value - target) <= Arrived;
}

// Each returns whether the value has arrived.
bool easeTop(Control &control, double target)
{
    control.setTop(eased(control.Top(), target));
    return near(control.Top(), target);
}

bool easeWidth(Control &control, double target)
{
    control.setWidth(eased(control.Width(), target));
    return near(control.Width(), target);
}

// A height never goes below zero, whatever its target.
bool easeHeight(Control &control, double target)
{
    control.setHeight(std::max(0.0, eased(control.Height(), target)));
    return near(control.Height(), std::max(0.0, target));
}
// Captions get no smaller than this, fitting or not.
constexpr double SmallestPoints = 6;
constexpr double PointStep = 0.5;

// The caption of a label or button and the width its text may take.
std::pair<QString, int> captionRoom(QWidget *widget)
{
    // A label ends where the box it names begins.
    if (const auto *label = qobject_cast<QLabel *>(widget)) {
        const QWidget *buddy = label->buddy();
        const int width = label->contentsRect().width();
        return {label->text(), buddy && buddy->x() > label->x()
                                   ? std::min(width, buddy->x() - label->x())
                                   : width};
    }
    const auto *button = qobject_cast<QAbstractButton *>(widget);
    if (!button)
        return {QString(), 0};
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QStyle::SubElement contents = qobject_cast<const QCheckBox *>(button)
                                            ? QStyle::SE_CheckBoxContents
                                            : QStyle::SE_PushButtonContents;
    return {button->text(), button->style()->subElementRect(contents, &option, button).width()};
}
} // namespace

void fitCaptions(std::initializer_list<Control *> controls)
{
    for (Control *control : controls) {
        QWidget *widget = control->widget();
        const auto [caption, room] = captionRoom(widget);
        QFont font = widget->font();
        while (QFontMetrics(font).horizontalAdvance(caption) > room &&
               font.pointSizeF() - PointStep >= SmallestPoints)
            font.setPointSizeF(font.pointSizeF() - PointStep);
        if (font != widget->font())
            widget->setFont(font);
    }
}

Layout::Layout(MainWindow &window, BrowserControl &preview, EditControl &editor, Frame &panel,
               Button &command1, Button &command2, Button &command3, Button &command4, Timer &timer)
    : m_window(window)
    , m_preview(preview)
    , m_editor(editor)
    , m_panel(panel)
    , m_command1(command1)
    , m_command2(command2)
    , m_command3(command3)
    , m_command4(command4)
    , m_timer(timer)
{}

double Layout::resize()
{
    const double half = m_window.ScaleHeight() / 2;
    const double panelHeight = m_panel.Height();
    // In a window too short for it the open panel takes nothing from the editor.
    const double taken = m_panel.Enabled() && half > panelHeight ? panelHeight / 2 : 0;
    m_editor.setHeight(half - taken);
    m_editor.setWidth(m_window.ScaleWidth());
    start();
    m_timer.setInterval(TickMilliseconds);
    return taken;
}

void Layout::start()
{
    m_timer.setEnabled(true);
}

void Layout::tick()
{
    const double width = m_window.ScaleWidth();
    const double height = m_window.ScaleHeight();
    const double panelHeight = m_panel.Height();
    const bool open = m_panel.Enabled();

    // Keep both heights off zero in a minimised or very short window.
    const double previewHeight = m_preview.Height();
    if (previewHeight + Easing * (height / 2 - previewHeight) < GuardFloor)
        m_preview.setHeight(previewHeight + PreviewGuardStep);
    const double editorHeight = m_editor.Height();
    if (editorHeight + Easing * (height / 2 - editorHeight) < GuardFloor)
        m_editor.setHeight(editorHeight + EditorGuardStep);

    const double allowance = open ? panelHeight + PanelMargin : 0;
    const double upper = (height - allowance) / 2;

    bool settled = easeWidth(m_preview, width);
    const double previewTarget = std::max(0.0, upper);
    // Where the guard lifts the preview even at its target, it bounces between 5 and 15 twips
    // for good: that is as still as it gets.
    const bool guarded = previewTarget + Easing * (height / 2 - previewTarget) < GuardFloor;
    settled &= easeHeight(m_preview, upper) ||
               (guarded && m_preview.Height() <= GuardFloor + PreviewGuardStep);
    if (open)
        settled &= easeTop(m_panel, upper + 2);
    settled &= easeTop(m_command1, upper);
    settled &= easeTop(m_command2, upper);
    settled &= easeTop(m_command3, upper + RowGap);
    settled &= easeTop(m_command4, upper + RowGap);
    settled &= easeTop(m_editor, upper + allowance);
    if (!open)
        settled &= easeTop(m_panel, -panelHeight);

    if (settled)
        m_timer.setEnabled(false);
}
