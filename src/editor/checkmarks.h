#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QTextEdit>

#include <array>

class EditControl;

// Marks over the editor's text: the pair of tags around the caret, the page's problems and its
// misspelt words. Only the marks in and near the part of the page shown are placed in the
// editor, where they follow the text as it is edited until they are set afresh: a page may
// have thousands, and each placed mark costs the editor on every edit and repaint. A
// problem's message shows as the tooltip of its place.
class CheckMarks : public QObject
{
public:
    enum Layer
    {
        TagPair,
        Problems,
        Spelling,
        LayerCount
    };

    // Positions are the model's; `length` at least one character is marked.
    struct Mark
    {
        int start = 0;
        int length = 0;
        QString message;
    };

    explicit CheckMarks(EditControl &control);

    // `marks` in order of their starts.
    void set(Layer layer, const QList<Mark> &marks);
    // All marks of a layer as they were set.
    const QList<Mark> &marks(Layer layer) const { return m_marks[layer]; }
    // The marks placed in the editor, where they stand now.
    QList<Mark> shown(Layer layer) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place(Layer layer);
    void show();

    EditControl &m_control;
    std::array<QList<Mark>, LayerCount> m_marks;
    std::array<QList<QTextEdit::ExtraSelection>, LayerCount> m_layers;
    std::array<QStringList, LayerCount> m_messages;
};
