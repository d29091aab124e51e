#include "doubles/realbrowserwindow.h"

#include <QDir>
#include <QMainWindow>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTimer>
#include <QWebEngineLoadingInfo>

#include <signal.h>

// The preview with the real browser engine goes on whatever the page does: typing during a
// reload, a script that never ends, a renderer that dies, files of the page that change on disk,
// reloads that must not blank the page.
class TestPreviewSurvival : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void reloadsFollowTheTyping();
    void backAfterTheNextChange_data();
    void backAfterTheNextChange();
    void filesOfThePage_data();
    void filesOfThePage();
    void reloadNeverBlanks();
};

namespace {
QStringList consoleMessages;
QtMessageHandler defaultHandler = nullptr;

void recordConsole(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (context.category && QLatin1String(context.category) == QLatin1String("js"))
        consoleMessages.append(message);
    defaultHandler(type, context, message);
}

struct PreviewWindow : RealBrowserWindow
{
    // Opens the page, the caret at its "|" or at its end.
    void open(QByteArray page)
    {
        const qsizetype caret = page.indexOf('|');
        page.replace("|", "");
        tw.loadPage(page);
        tw.form->Text1.setSelStart(caret < 0 ? int(tw.form->Text1.Text().size()) : int(caret));
    }
    // What the page shows once the browser has shown all that it was asked to.
    QString shown()
    {
        return settle() ? evaluate(QStringLiteral("document.body.innerText")).toString()
                        : QStringLiteral("<still loading>");
    }
};
} // namespace

void TestPreviewSurvival::initTestCase()
{
    defaultHandler = qInstallMessageHandler(recordConsole);
}

// Neither a page's broken script nor a half-typed one reaches the console.
void TestPreviewSurvival::cleanup()
{
    QVERIFY2(consoleMessages.isEmpty(), qPrintable(consoleMessages.join(u'\n')));
    consoleMessages.clear();
}

// Keys typed while a reload runs are all shown by one update after it, made in place, and the
// scroll position stays; Home leaves the page.
void TestPreviewSurvival::reloadsFollowTheTyping()
{
    PreviewWindow w;
    QByteArray page;
    for (int i = 0; i < 300; ++i)
        page += "<p>line " + QByteArray::number(i) + "</p>\r\n";
    w.open(page);
    QVERIFY(w.shown().endsWith(QLatin1String("line 299")));
    w.evaluate(QStringLiteral("window.scrollTo(0, 2000)"));
    QTRY_COMPARE(w.scrollY(), 2000);

    QSignalSpy loads(w.browser.loadingView(), &QWebEngineView::loadStarted);
    connect(
        w.browser.loadingView(), &QWebEngineView::loadStarted, this,
        [&w] { w.tw.type(QStringLiteral("cdefghijklmnopqrstu")); }, Qt::SingleShotConnection);
    w.tw.type(QStringLiteral("b"));
    QVERIFY(QTest::qWaitFor([&] { return !w.tw.form->livePreview.updater().isUpdating(); },
                            RealBrowserWindow::Timeout));
    QVERIFY(w.shown().endsWith(QLatin1String("line 299\n\nbcdefghijklmnopqrstu")));
    QCOMPARE(loads.size(), 1);
    QCOMPARE(w.tw.form->livePreview.updater().counts().patches, 1);
    QTRY_COMPARE(w.scrollY(), 2000);
    w.browser.GoHome();
    QCOMPARE(w.browser.LocationURL(), QStringLiteral("about:blank"));
}

void TestPreviewSurvival::backAfterTheNextChange_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("typed");   // at the caret, then the caret goes back after it
    QTest::addColumn<bool>("killed");     // the renderer is ended from outside
    QTest::addColumn<QString>("mending"); // typed after the first "{ n", or before "</script>"

    // A Windows-1252 page without a charset, shown as such after every load.
    const QByteArray start = "<p>\xE0\x80</p>";
    const QByteArray loop = "<script>let n = 3; while (n) { n } document.body.append('done')";
    const QString mended = QStringLiteral("--");
    QTest::addRow("a script loops at open")
        << start + "<script>missing();</script>" + loop + "</script>" << QString() << false
        << mended;
    QTest::addRow("a loop typed") << start + "|" << QString::fromLatin1(loop + "</script>") << false
                                  << mended;
    QTest::addRow("the renderer killed")
        << start + "<script>let n = 3; while (n) { n-- }</script>" << QString() << true
        << QStringLiteral(" document.body.append('done')");
}

// The preview shows the page again after the next change, scripts and all, and the status line
// told why it stopped.
void TestPreviewSurvival::backAfterTheNextChange()
{
    QFETCH(QByteArray, page);
    QFETCH(QString, typed);
    QFETCH(bool, killed);
    QFETCH(QString, mending);

    PreviewWindow w;
    w.open(page);
    w.tw.type(typed);
    if (killed) {
        QVERIFY(w.settle());
        ::kill(pid_t(w.browser.webView()->page()->renderProcessPid()), SIGKILL);
    }
    QTRY_VERIFY_WITH_TIMEOUT(w.tw.form->window.window()->statusBar()->currentMessage().contains(
                                 QLatin1String("stopped")),
                             RealBrowserWindow::Timeout);
    QVERIFY(w.settle());
    const QString text = w.tw.form->Text1.Text();
    w.tw.form->Text1.setSelStart(int(killed ? text.indexOf(QLatin1String("</script>"))
                                            : text.indexOf(QLatin1String("{ n")) + 3));
    w.tw.type(mending);
    QTRY_COMPARE_WITH_TIMEOUT(w.shown(), QStringLiteral("à€\n\ndone"), RealBrowserWindow::Timeout);
}

void TestPreviewSurvival::filesOfThePage_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("before"); // null: not there when the page is shown
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("shown"); // a script on the page that is true once it shows
    QTest::addColumn<bool>("reloads");

    QTest::addRow("an image made after")
        << QByteArray("<img src=\"new/pic.svg\">") << "new/pic.svg" << QByteArray()
        << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" height=\"1\" width=\"3\"/>")
        << "document.images[0].naturalWidth === 3" << false;
    // Of the same size: the time it was written tells the change.
    QTest::addRow("a style sheet changed")
        << QByteArray("<link rel=\"stylesheet\" href=\"s.css\"><p>x</p>") << "s.css"
        << QByteArray("p { color: rgb(1, 2, 3) }") << QByteArray("p { color: rgb(4, 5, 6) }")
        << "getComputedStyle(document.querySelector('p')).color === 'rgb(4, 5, 6)'" << false;
    QTest::addRow("a script changed")
        << QByteArray("<script src=\"s.js\"></script>") << "s.js"
        << QByteArray("document.title = 'one'") << QByteArray("document.title = 'two'")
        << "document.title === 'two'" << true;
}

// A file the page uses that appears or changes on disk shows in the preview; an image or a style
// sheet without a reload of the page.
void TestPreviewSurvival::filesOfThePage()
{
    QFETCH(QByteArray, page);
    QFETCH(QString, file);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(QString, shown);
    QFETCH(bool, reloads);

    PreviewWindow w;
    const QString path = w.tw.folder.filePath(file);
    if (!before.isNull())
        TestWindow::writeFile(path, before);
    w.open(page);
    w.tw.type(QStringLiteral(" "));
    QVERIFY(w.settle());
    QCOMPARE(w.evaluate(shown), QVariant(false));
    w.evaluate(QStringLiteral("window.sameDocument = true"));
    QDir().mkpath(QFileInfo(path).path());
    TestWindow::writeFile(path, after);
    QTRY_COMPARE_WITH_TIMEOUT(w.evaluate(shown), QVariant(true), RealBrowserWindow::Timeout);
    QCOMPARE(w.evaluate(QStringLiteral("window.sameDocument === true")).toBool(), !reloads);
}

// Reloads of a page whose scripts build it: the page shown stays whole until the new one has
// painted, where the old one was scrolled to, and a reload follows the one before at once.
void TestPreviewSurvival::reloadNeverBlanks()
{
    PreviewWindow w;
    w.open("<p>a|</p><div style=\"height:5000px\"></div>"
           "<script>document.body.append('built')</script>");
    w.tw.type(QStringLiteral("bcd"));
    QVERIFY(w.settle());
    w.evaluate(QStringLiteral("window.scrollTo(0, 2000); window.before = true"));
    QTRY_COMPARE(w.scrollY(), 2000);

    int looks = 0;
    int blanks = 0;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        w.browser.webView()->page()->runJavaScript(
            QStringLiteral("document.body && document.body.textContent.startsWith('abcd') && "
                           "document.body.textContent.includes(')built') ? window.scrollY : -1"),
            [&](const QVariant &scrollY) {
                // a page swapped away meanwhile does not answer
                if (scrollY.isValid())
                    blanks += int(scrollY.toInt() != 2000), ++looks;
            });
    });
    look.start(20);
    // Each reload is asked for as soon as the page it replaced begins to be emptied; none may
    // wait out the 5 s a stalled load is given.
    int reloads = 6;
    qint64 longest = 0;
    QElapsedTimer reload;
    for (QWebEngineView *view : {w.browser.webView(), w.browser.loadingView()}) {
        QObject::connect(view->page(), &QWebEnginePage::loadingChanged, &look,
                         [&](const QWebEngineLoadingInfo &info) {
                             if (info.url() != QUrl(QStringLiteral("about:blank")) ||
                                 info.status() != QWebEngineLoadingInfo::LoadStartedStatus)
                                 return;
                             longest = std::max(longest, reload.restart());
                             if (--reloads > 0)
                                 QTimer::singleShot(0, &look, [&] { w.browser.Refresh(); });
                         });
    }
    reload.start();
    w.browser.Refresh();
    QTRY_VERIFY_WITH_TIMEOUT(reloads == 0 && w.settle(), RealBrowserWindow::Timeout);
    QVERIFY2(longest < 4000, qPrintable(QString::number(longest)));
    QTRY_VERIFY(looks > 10);
    look.stop();
    QCOMPARE(w.evaluate(QStringLiteral("typeof window.before")).toString(),
             QStringLiteral("undefined"));
    QCOMPARE(blanks, 0);
}

QTEST_MAIN(TestPreviewSurvival)
#include "tst_previewsurvival.moc"
