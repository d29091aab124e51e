#include "preview/engine/webenginebrowser.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

// The real embedded browser: loading a file, reloading it after a rewrite, going home.
class TestBrowser : public QObject
{
    Q_OBJECT

private slots:
    void navigateRefreshAndGoHome();

private:
    static QString bodyText(QWebEngineView *view);
    static void write(const QString &path, const QByteArray &bytes);
};

QString TestBrowser::bodyText(QWebEngineView *view)
{
    QString text;
    bool done = false;
    view->page()->runJavaScript(QStringLiteral("document.body ? document.body.innerText : ''"),
                                [&](const QVariant &result) {
                                    text = result.toString();
                                    done = true;
                                });
    if (!QTest::qWaitFor([&] { return done; }, 10000))
        return QStringLiteral("<no answer>");
    return text;
}

void TestBrowser::write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

void TestBrowser::navigateRefreshAndGoHome()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("my page.html_VLM_temp.html"));
    write(path, "<p>first</p>");

    WebEngineBrowser browser;
    browser.view()->resize(400, 300);
    browser.view()->show();
    QSignalSpy loaded(browser.loadingView(), &QWebEngineView::loadFinished);

    browser.Navigate(path);
    QVERIFY(browser.LocationURL().startsWith(QStringLiteral("file://")));
    QVERIFY(browser.LocationURL().contains(QStringLiteral("my page.html_VLM_temp.html")));
    QVERIFY(loaded.wait(20000));
    QCOMPARE(loaded.takeFirst().at(0).toBool(), true);
    QTRY_COMPARE_WITH_TIMEOUT(bodyText(browser.webView()), QStringLiteral("first"), 20000);

    write(path, "<p>second</p>");
    browser.Refresh();
    QTRY_COMPARE_WITH_TIMEOUT(bodyText(browser.webView()), QStringLiteral("second"), 20000);
    QVERIFY(browser.LocationURL().contains(QStringLiteral("_VLM_temp.html")));

    browser.GoHome();
    QCOMPARE(browser.LocationURL(), QStringLiteral("about:blank"));
    QTRY_COMPARE_WITH_TIMEOUT(bodyText(browser.webView()), QString(), 20000);
}

QTEST_MAIN(TestBrowser)
#include "tst_browser.moc"
