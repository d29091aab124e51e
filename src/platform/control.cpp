#include "platform/control.h"

#include "platform/units.h"

#include <QWidget>

#include <algorithm>

Control::Control(QWidget *widget)
    : m_widget(widget)
{}

void Control::setLeft(double twips)
{
    m_left = twips;
    apply();
}

void Control::setTop(double twips)
{
    m_top = twips;
    apply();
}

void Control::setWidth(double twips)
{
    m_width = std::max(0.0, twips);
    apply();
}

void Control::setHeight(double twips)
{
    m_height = std::max(0.0, twips);
    apply();
}

void Control::Move(double left, double top, double width, double height)
{
    m_left = left;
    m_top = top;
    m_width = std::max(0.0, width);
    m_height = std::max(0.0, height);
    apply();
}

bool Control::Visible() const
{
    return !m_widget->isHidden();
}

void Control::setVisible(bool visible)
{
    m_widget->setVisible(visible);
}

void Control::setAccessibleName(const QString &name)
{
    m_widget->setAccessibleName(name);
}

void Control::apply()
{
    const int left = Units::toPixelsX(m_left);
    const int top = Units::toPixelsY(m_top);
    const int right = Units::toPixelsX(m_left + m_width);
    const int bottom = Units::toPixelsY(m_top + m_height);
    m_widget->setGeometry(left, top, std::max(0, right - left), std::max(0, bottom - top));
}
