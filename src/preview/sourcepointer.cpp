#include "preview/sourcepointer.h"

#include "preview/javascript.h"
#include "preview/livepreview.h"

#include "core/markupscanner.h"
#include "editor/editcontrol.h"
#include "platform/browsercontrol.h"
#include "system/previewfile.h"

#include <QPlainTextEdit>
#include <QPoint>

namespace {
const QString Mark = QStringLiteral("data-velmora-at");
} // namespace

SourcePointer::SourcePointer(EditControl &Text1, BrowserControl &WebBrowser1,
                             const LivePreview &preview)
    : m_text1(Text1)
    , m_browser(WebBrowser1)
    , m_preview(preview)
{}

QString SourcePointer::markStartTags(QStringView text)
{
    const QList<MarkupScanner::StartTag> tags = MarkupScanner::startTags(text);
    QString marked;
    marked.reserve(text.size() + tags.size() * (Mark.size() + 10));
    qsizetype from = 0;
    for (const MarkupScanner::StartTag &tag : tags) {
        marked += text.mid(from, tag.nameEnd - from);
        marked += u' ' + Mark + u'=' + QString::number(tag.start) + u' ';
        from = tag.nameEnd;
    }
    marked += text.mid(from);
    return marked;
}

// Only a preview that shows the page as it is now pairs with its source.
void SourcePointer::pointedAt(const QPoint &point)
{
    if (!m_browser.LocationURL().contains(PreviewFile::Suffix) ||
        m_preview.updater().isUpdating() || m_browser.isLoading())
        return;
    const QString text = m_text1.Text();
    const QString arguments =
        QStringLiteral("{x:%1,y:%2,mark:'%3',source:%4}")
            .arg(point.x())
            .arg(point.y())
            .arg(Mark, javaScriptString(m_preview.headText() + markStartTags(text) +
                                        QStringLiteral("\r\n")));
    const std::weak_ptr<int> alive = m_alive;
    m_browser.runScript(javaScriptResource(QStringLiteral(":/preview/previewsource.js")) + u'(' +
                            arguments + u')',
                        [this, alive, text](const QVariant &result) {
                            bool found = false;
                            const int place = result.toInt(&found);
                            if (alive.expired() || !found || place < 0 || m_text1.Text() != text)
                                return;
                            m_text1.setSelStart(place);
                            m_text1.editor()->ensureCursorVisible();
                            m_text1.SetFocus();
                        });
}
