#pragma once

#include "testwindow.h"

#include "preview/engine/webenginebrowser.h"

#include <QTest>
#include <QWebEnginePage>

#include <memory>
#include <optional>

// The window on the real browser engine, with what tests ask of the page it shows.
struct RealBrowserWindow
{
    static constexpr int Timeout = 30000;

    WebEngineBrowser browser;
    TestWindow tw{&browser};

    // The value of a script run on the page shown, or "<no answer>".
    QVariant evaluate(const QString &script)
    {
        auto result = std::make_shared<std::optional<QVariant>>();
        browser.webView()->page()->runJavaScript(
            script, [result](const QVariant &value) { *result = value; });
        if (!QTest::qWaitFor([&] { return result->has_value(); }, Timeout))
            return QStringLiteral("<no answer>");
        return result->value();
    }
    // Waits until every load and in-place update asked for is done, and the preview is at rest.
    bool settle()
    {
        PreviewUpdater &updater = tw.form->livePreview.updater();
        return QTest::qWaitFor(
            [&] { return !browser.isLoading() && !updater.isUpdating() && !updater.restDue(); },
            Timeout);
    }
    int scrollY() { return evaluate(QStringLiteral("window.scrollY")).toInt(); }
    // Where the element the selector finds is: its centre, or just inside its top left.
    QPoint pointOf(const QString &selector, bool centre = true)
    {
        const QVariantList at =
            evaluate(QStringLiteral("(function () { var r = document.querySelector(\"%1\")"
                                    ".getBoundingClientRect(); return %2; })()")
                         .arg(selector,
                              centre ? QStringLiteral("[r.x + r.width / 2, r.y + r.height / 2]")
                                     : QStringLiteral("[r.left + 3, r.top + 3]")))
                .toList();
        return at.size() == 2 ? QPoint(at[0].toInt(), at[1].toInt()) : QPoint(-1, -1);
    }
};
