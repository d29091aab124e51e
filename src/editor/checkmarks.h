#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QTextEdit>

#include <array>

class EditControl;

// Marks over the editor's text: the pair of tags around the caret, the page's problems and its
// misspelt words. Each mark follows the text as it is edited until it is set afresh; a
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

    void set(Layer layer, const QList<Mark> &marks);
    // Where the marks of a layer stand now, in order.
    QList<Mark> marks(Layer layer) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void show();

    EditControl &m_control;
    std::array<QList<QTextEdit::ExtraSelection>, LayerCount> m_layers;
    std::array<QStringList, LayerCount> m_messages;
};
