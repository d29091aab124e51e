#include "preview/caretfollower.h"

#include "preview/javascript.h"
#include "preview/previewupdater.h"

#include "editor/editcontrol.h"
#include "platform/browsercontrol.h"
#include "system/previewfile.h"

#include <chrono>

namespace {
// A follow that has not answered by then is given up: its document went away.
constexpr std::chrono::milliseconds FollowAnswerTimeout(5000);
} // namespace

CaretFollower::CaretFollower(const EditControl &Text1, BrowserControl &browser,
                             const PreviewUpdater &updater, std::function<QString()> headText)
    : m_text1(Text1)
    , m_browser(browser)
    , m_updater(updater)
    , m_headText(std::move(headText))
{
    m_look.setSingleShot(true);
    m_look.setInterval(0);
    QObject::connect(&m_look, &QTimer::timeout, &m_look, [this] { look(); });
}

CaretFollower::~CaretFollower() = default;

void CaretFollower::caretMayMove()
{
    if (!m_look.isActive())
        m_changesBefore = m_changes;
    m_look.start();
}

void CaretFollower::look()
{
    m_caret = m_text1.SelStart();
    if (m_changes != m_changesBefore)
        return; // typed, or changed by a command
    // A follow that never answered does not hold up the next one.
    if (m_following && m_followStarted.elapsed() < FollowAnswerTimeout.count())
        m_pending = true;
    else
        follow(false);
}

// Only a preview that shows the page as it is now can tell where the caret is.
void CaretFollower::follow(bool withSource)
{
    m_pending = false;
    if (!m_browser.LocationURL().contains(PreviewFile::Suffix) || m_updater.isUpdating() ||
        m_browser.isLoading())
        return;
    const QString &text = m_text1.Text();
    QString arguments;
    if (!withSource && m_updater.scriptHolds(text)) {
        arguments = QStringLiteral("{caret:%1,length:%2}")
                        .arg(m_caret)
                        .arg(m_updater.head().size() + text.size() + 2);
    } else {
        const QString head = m_headText();
        arguments = QStringLiteral("{caret:%1,headLength:%2,source:%3}")
                        .arg(m_caret)
                        .arg(head.size())
                        .arg(javaScriptString(head + text + QStringLiteral("\r\n")));
    }
    m_following = true;
    m_followStarted.start();
    const std::weak_ptr<int> alive = m_alive;
    m_browser.runScript(javaScriptResource(QStringLiteral(":/preview/previewcaret.js")) + u'(' +
                            arguments + u')',
                        [this, alive, withSource](const QVariant &result) {
                            if (alive.expired())
                                return;
                            m_following = false;
                            if (result.toString() == QLatin1String("stale") && !withSource)
                                follow(true);
                            else
                                followEnded(result.toString());
                        });
}

void CaretFollower::followEnded(const QString &result)
{
    if (m_followed)
        m_followed(result);
    if (m_pending)
        follow(false);
}
