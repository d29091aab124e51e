#pragma once

class QString;
class QWidget;

// Geometry of a control in twips. The control remembers the exact values it was given, as the
// layout eases towards targets finer than a pixel; the widget gets them rounded to pixels.
// Sizes below zero are clamped, as the toolkit rejects them.
class Control
{
public:
    explicit Control(QWidget *widget);
    virtual ~Control() = default;
    Control(const Control &) = delete;
    Control &operator=(const Control &) = delete;

    double Left() const { return m_left; }
    double Top() const { return m_top; }
    double Width() const { return m_width; }
    double Height() const { return m_height; }
    void setLeft(double twips);
    void setTop(double twips);
    void setWidth(double twips);
    void setHeight(double twips);
    void Move(double left, double top, double width, double height);

    bool Visible() const;
    void setVisible(bool visible);
    // What a screen reader calls the control.
    void setAccessibleName(const QString &name);

    QWidget *widget() const { return m_widget; }

private:
    void apply();

    QWidget *m_widget;
    double m_left = 0;
    double m_top = 0;
    double m_width = 0;
    double m_height = 0;
};
