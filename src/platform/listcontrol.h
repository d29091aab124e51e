#pragma once

#include "platform/control.h"

#include <QColor>
#include <QString>

#include <functional>

class QListWidget;

// A pop-up word list. Showing it never takes the focus from the editor.
class ListControl : public Control
{
public:
    using KeyDownHandler = std::function<void(int &keyCode, int shift)>;

    explicit ListControl(QWidget *parent);

    void AddItem(const QString &item);
    int ListCount() const;
    QString List(int index) const;
    int ListIndex() const;
    // Selects the item and scrolls it into view; -1 clears the selection.
    void setListIndex(int index);
    QString Text() const;
    void SetFocus();
    // The item text and the selected item get colours that read on it, whatever the palette.
    void setBackColor(const QColor &color);

    void onKeyDown(KeyDownHandler handler) { m_keyDown = std::move(handler); }

    QListWidget *list() const;

private:
    friend class ListWidget;
    bool keyDown(int &keyCode, int shift);
    void applyColours();

    KeyDownHandler m_keyDown;
    QColor m_backColor;
};
