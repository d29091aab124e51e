#include "platform/controls.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFontDatabase>
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

Frame::Frame(QWidget *parent)
    : Control(new QGroupBox(parent))
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

namespace Fonts {
QString designedFacesFolder()
{
    return QStringLiteral("/usr/share/wine/fonts");
}

QStringList addDesignedFaces(const QString &folder, const QString &family)
{
    struct Face
    {
        const char *family;
        const char *file;
    };
    static constexpr Face faces[] = {
        {"Tahoma", "tahoma.ttf"}, {"Tahoma", "tahomabd.ttf"}, {"Fixedsys", "fixedsys.ttf"}};
    QStringList families;
    for (const Face &face : faces) {
        const QString path = QDir(folder).filePath(QString::fromLatin1(face.file));
        if ((!family.isEmpty() && family != QLatin1String(face.family)) || !QFileInfo::exists(path))
            continue;
        const int id = QFontDatabase::addApplicationFont(path);
        if (id >= 0)
            families += QFontDatabase::applicationFontFamilies(id);
    }
    families.removeDuplicates();
    return families;
}

QFont designed(const QString &family, double points, bool fixedPitch)
{
    if (!QFontDatabase::hasFamily(family))
        addDesignedFaces(designedFacesFolder(), family);
    QFont font;
    if (QFontDatabase::hasFamily(family))
        font = QFont(family);
    else
        font = QFontDatabase::systemFont(fixedPitch ? QFontDatabase::FixedFont
                                                    : QFontDatabase::GeneralFont);
    font.setPointSizeF(points);
    font.setBold(false);
    return font;
}

void apply(Control &control, const QFont &font)
{
    control.widget()->setFont(font);
}
} // namespace Fonts
