#include "doubles/realbrowserwindow.h"

#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>

// The whole road with the real browser engine: a page opened, typed into with real keys, and
// what the browser then renders.
class TestPageBrowser : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pageWithoutCharset_data();
    void pageWithoutCharset();
    void reloadsFollowTheTyping();
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

struct PageWindow : RealBrowserWindow
{
    // Waits until the browser has shown all that it was asked to, and reads what it shows.
    QString settledText()
    {
        if (!settle())
            return QStringLiteral("<still loading>");
        return evaluate(QStringLiteral("document.body.innerText")).toString();
    }
    void typeAtEnd(const QString &text)
    {
        tw.form->Text1.setSelStart(int(tw.form->Text1.Text().size()));
        tw.type(text);
    }
};
} // namespace

void TestPageBrowser::initTestCase()
{
    defaultHandler = qInstallMessageHandler(recordConsole);
}

void TestPageBrowser::pageWithoutCharset_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("shown");

    QTest::addRow("short utf-8") << QByteArray("<p>\xC3\xA9</p>") << QStringLiteral("é");
    QTest::addRow("windows-1252") << QByteArray("<p>Gr\xFC\xDF\x65 \x80 \x93q\x94</p>")
                                  << QStringLiteral("Grüße € “q”");
    QTest::addRow("short windows-1252")
        << QByteArray("<p>\xE0\xE8\xF1\xE9\xF2</p>") << QStringLiteral("àèñéò");
}

// A page without a charset is shown right when opened and after typing; neither the page's broken
// script nor a half-typed one reaches the console.
void TestPageBrowser::pageWithoutCharset()
{
    QFETCH(QByteArray, page);
    QFETCH(QString, shown);

    PageWindow w;
    consoleMessages.clear();
    w.tw.loadPage(page + "<script>missing();</script>\r\n");
    QCOMPARE(w.settledText(), shown);
    w.typeAtEnd(QStringLiteral("<script>broken(</script><p>é</p>"));
    QCOMPARE(w.settledText(), shown + QStringLiteral("\n\né"));
    QVERIFY2(consoleMessages.isEmpty(), qPrintable(consoleMessages.join(u'\n')));
}

// Keys typed while a reload runs are all shown by one update after it, made in place, and the
// scroll position stays; Home leaves the page.
void TestPageBrowser::reloadsFollowTheTyping()
{
    PageWindow w;
    QByteArray page;
    for (int i = 0; i < 300; ++i)
        page += "<p>line " + QByteArray::number(i) + "</p>\r\n";
    w.tw.loadPage(page);
    QVERIFY(w.settledText().endsWith(QLatin1String("line 299")));
    w.evaluate(QStringLiteral("window.scrollTo(0, 2000)"));
    QTRY_COMPARE(w.evaluate(QStringLiteral("window.scrollY")).toInt(), 2000);

    QSignalSpy loads(w.browser.loadingView(), &QWebEngineView::loadStarted);
    connect(
        w.browser.loadingView(), &QWebEngineView::loadStarted, this,
        [&w] { w.tw.type(QStringLiteral("cdefghijklmnopqrstu")); }, Qt::SingleShotConnection);
    w.typeAtEnd(QStringLiteral("b"));
    QVERIFY(QTest::qWaitFor([&] { return !w.tw.form->livePreview.updater().isUpdating(); },
                            RealBrowserWindow::Timeout));
    QVERIFY(w.settledText().endsWith(QLatin1String("line 299\n\nbcdefghijklmnopqrstu")));
    QCOMPARE(loads.size(), 1);
    QCOMPARE(w.tw.form->livePreview.updater().counts().patches, 1);
    QTRY_COMPARE(w.evaluate(QStringLiteral("window.scrollY")).toInt(), 2000);
    w.browser.GoHome();
    QCOMPARE(w.browser.LocationURL(), QStringLiteral("about:blank"));
}

QTEST_MAIN(TestPageBrowser)
#include "tst_pagebrowser.moc"
