#pragma once

#include <QPlainTextEdit>

class EditControl;

// The editor's widget: hands keys, clicks, focus and the clipboard to its EditControl, and
// offers the editing commands in its context menu.
class EditorWidget : public QPlainTextEdit
{
public:
    EditorWidget(EditControl *control, QWidget *parent);

    void defaultKeyPress(QKeyEvent *event) { QPlainTextEdit::keyPressEvent(event); }

protected:
    bool event(QEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    EditControl *m_control;
};
