#pragma once

#include <QString>
#include <QStringView>

#include <memory>

class BrowserControl;
class EditControl;
class LivePreview;
class QPoint;

// From the preview back to the source: a Ctrl+click on an element of the preview puts the
// editor's caret at the "<" of the element's start tag, in view, and gives the editor the
// focus. An element without a tag of its own (one a script made, or one the parser implied)
// stands for the nearest one that has one.
class SourcePointer
{
public:
    SourcePointer(EditControl &Text1, BrowserControl &WebBrowser1, const LivePreview &preview);

    // The user Ctrl+clicked the preview at this point of its view.
    void pointedAt(const QPoint &point);

    // The page text with each start tag marked by an attribute that holds the place of its
    // "<": `<p class=a>` at 7 becomes `<p data-velmora-at=7 class=a>`.
    static QString markStartTags(QStringView text);

private:
    EditControl &m_text1;
    BrowserControl &m_browser;
    const LivePreview &m_preview;
    std::shared_ptr<int> m_alive = std::make_shared<int>();
};
