#include "platform/listcontrol.h"

#include "platform/contrast.h"
#include "platform/keycodes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>

class ListWidget : public QListWidget
{
public:
    ListWidget(ListControl *control, QWidget *parent)
        : QListWidget(parent)
        , m_control(control)
    {}

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::ApplicationPaletteChange)
            m_control->applyColours();
        return QListWidget::event(event);
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        int keyCode = KeyCodes::virtualKey(*event);
        if (keyCode != 0 && !m_control->keyDown(keyCode, KeyCodes::shiftMask(*event)))
            return;
        QListWidget::keyPressEvent(event);
    }

private:
    ListControl *m_control;
};

ListControl::ListControl(QWidget *parent)
    : Control(new ListWidget(this, parent))
{
    list()->setSelectionMode(QAbstractItemView::SingleSelection);
    list()->setUniformItemSizes(true);
    list()->hide();
}

QListWidget *ListControl::list() const
{
    return static_cast<QListWidget *>(widget());
}

void ListControl::AddItem(const QString &item)
{
    list()->addItem(item);
}

int ListControl::ListCount() const
{
    return list()->count();
}

QString ListControl::List(int index) const
{
    const QListWidgetItem *item = list()->item(index);
    return item ? item->text() : QString();
}

int ListControl::ListIndex() const
{
    const QListWidgetItem *item = list()->currentItem();
    return item && item->isSelected() ? list()->row(item) : -1;
}

void ListControl::setListIndex(int index)
{
    QListWidget *widget = list();
    if (index < 0 || index >= widget->count()) {
        widget->setCurrentRow(-1);
        widget->clearSelection();
        return;
    }
    widget->setCurrentRow(index);
    widget->scrollToItem(widget->item(index));
}

QString ListControl::Text() const
{
    const int index = ListIndex();
    return index < 0 ? QString() : List(index);
}

void ListControl::SetFocus()
{
    list()->setFocus(Qt::OtherFocusReason);
}

void ListControl::setBackColor(const QColor &color)
{
    m_backColor = color;
    applyColours();
}

// Text of the designed light backgrounds reads at 7:1 (the enhanced level), in the selected
// item too, which is painted inactive while the editor keeps the focus. The colours aim a little
// higher, as the thin strokes of smoothed text seldom reach their full colour.
void ListControl::applyColours()
{
    if (!m_backColor.isValid())
        return;
    constexpr double Wanted = 8;
    QPalette palette = QApplication::palette(list());
    palette.setColor(QPalette::Base, m_backColor);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(
            group, QPalette::Text,
            Contrast::readable(palette.color(group, QPalette::Text), m_backColor, Wanted));
        palette.setColor(group, QPalette::Highlight,
                         Contrast::readable(palette.color(group, QPalette::Highlight),
                                            palette.color(group, QPalette::HighlightedText),
                                            Wanted));
    }
    list()->setPalette(palette);
}

bool ListControl::keyDown(int &keyCode, int shift)
{
    if (m_keyDown)
        m_keyDown(keyCode, shift);
    return keyCode != 0;
}
