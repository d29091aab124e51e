#include "doubles/realbrowserwindow.h"

#include <QDir>
#include <QMainWindow>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>

#include <signal.h>

// The preview goes on whatever the page does: a script that never ends, a renderer that dies,
// files of the page that change on disk, reloads that must not blank the page.
class TestPreviewSurvival : public QObject
{
    Q_OBJECT

private slots:
    void backAfterTheNextChange_data();
    void backAfterTheNextChange();
    void filesOfThePage_data();
    void filesOfThePage();
    void reloadNeverBlanks();
};

namespace {
const QString Caret = QStringLiteral("|");

struct SurvivalWindow : RealBrowserWindow
{
    // Opens the page, the caret at its "|".
    void open(QString page)
    {
        const int caret = int(page.indexOf(Caret));
        page.remove(Caret);
        tw.loadPage(page.toUtf8());
        tw.form->Text1.setSelStart(caret < 0 ? int(page.size()) : caret);
    }
    bool bodyHas(const QString &text)
    {
        return evaluate(QStringLiteral("document.body ? document.body.textContent : ''"))
            .toString()
            .contains(text);
    }
};
} // namespace

void TestPreviewSurvival::backAfterTheNextChange_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("typed");   // at the caret, then the caret goes back after it
    QTest::addColumn<bool>("killed");     // the renderer is ended from outside
    QTest::addColumn<QString>("mending"); // typed after the first "{ n"

    const QString looping = QStringLiteral("<script>let n = 3; while (n) { n }");
    const QString mended = QStringLiteral("--");
    QTest::addRow("a script loops at open")
        << "<p>a</p>" + looping + " document.body.append('done')</script>" << QString() << false
        << mended;
    QTest::addRow("a loop typed") << "<p>a</p>|"
                                  << looping + " document.body.append('done')</script>" << false
                                  << mended;
    QTest::addRow("the renderer killed")
        << "<p>a</p><script>let n = 3; while (n) { n-- }</script>|" << QString() << true
        << QStringLiteral(" document.body.append('done')");
}

// The preview shows the page again after the next change, scripts and all, and the status line
// told why it stopped.
void TestPreviewSurvival::backAfterTheNextChange()
{
    QFETCH(QString, page);
    QFETCH(QString, typed);
    QFETCH(bool, killed);
    QFETCH(QString, mending);

    SurvivalWindow w;
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
    w.tw.form->Text1.setSelStart(int(text.indexOf(QLatin1String("{ n")) + 3));
    if (killed)
        w.tw.form->Text1.setSelStart(int(text.indexOf(QLatin1String("</script>"))));
    w.tw.type(mending);
    QTRY_VERIFY_WITH_TIMEOUT(w.bodyHas(QStringLiteral("done")), RealBrowserWindow::Timeout);
    QVERIFY(w.bodyHas(QStringLiteral("a")));
}

void TestPreviewSurvival::filesOfThePage_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("before"); // null: not there when the page is shown
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("shown"); // a script on the page that gives "yes" once it shows
    QTest::addColumn<bool>("reloads");

    const auto svg = [](int width) {
        return QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" height=\"1\" width=\"") +
               QByteArray::number(width) + "\"/>";
    };
    const QString imageWidth =
        QStringLiteral("document.images[0].naturalWidth === 3 ? 'yes' : 'no'");
    QTest::addRow("an image made after")
        << "<img src=\"new/pic.svg\">"
        << "new/pic.svg" << QByteArray() << svg(3) << imageWidth << false;
    QTest::addRow("an image changed") << "<img src=\"pic.svg\">"
                                      << "pic.svg" << svg(1) << svg(3) << imageWidth << false;
    QTest::addRow("a style sheet changed")
        << "<link rel=\"stylesheet\" href=\"s.css\"><p>x</p>"
        << "s.css" << QByteArray("p { color: rgb(1, 2, 3) }")
        << QByteArray("p { color: rgb(4, 5, 6) }")
        << "getComputedStyle(document.querySelector('p')).color === 'rgb(4, 5, 6)' ? 'yes' : 'no'"
        << false;
    QTest::addRow("a script changed")
        << "<script src=\"s.js\"></script>"
        << "s.js" << QByteArray("document.title = 'one'") << QByteArray("document.title = 'two'")
        << "document.title === 'two' ? 'yes' : 'no'" << true;
}

// A file the page uses that appears or changes on disk shows in the preview; an image or a style
// sheet without a reload of the page.
void TestPreviewSurvival::filesOfThePage()
{
    QFETCH(QString, page);
    QFETCH(QString, file);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(QString, shown);
    QFETCH(bool, reloads);

    SurvivalWindow w;
    const QString path = w.tw.folder.filePath(file);
    if (!before.isNull())
        TestWindow::writeFile(path, before);
    w.open(page);
    w.tw.type(QStringLiteral(" "));
    QVERIFY(w.settle());
    QCOMPARE(w.evaluate(shown).toString(), QStringLiteral("no"));
    w.evaluate(QStringLiteral("window.sameDocument = true"));
    QDir().mkpath(QFileInfo(path).path());
    TestWindow::writeFile(path, after);
    QTRY_COMPARE_WITH_TIMEOUT(w.evaluate(shown).toString(), QStringLiteral("yes"),
                              RealBrowserWindow::Timeout);
    QCOMPARE(w.evaluate(QStringLiteral("window.sameDocument === true")).toBool(), !reloads);
}

// Reloads of a page whose scripts build it: the page shown stays whole until the new one has
// painted, where the old one was scrolled to.
void TestPreviewSurvival::reloadNeverBlanks()
{
    SurvivalWindow w;
    w.open(QStringLiteral("<p>a|</p><div style=\"height:5000px\"></div>"
                          "<script>document.body.append('built')</script>"));
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
    for (int reload = 0; reload < 4; ++reload) {
        w.browser.Refresh();
        QVERIFY(w.settle());
    }
    QTRY_VERIFY(looks > 10);
    look.stop();
    QCOMPARE(w.evaluate(QStringLiteral("typeof window.before")).toString(),
             QStringLiteral("undefined"));
    QCOMPARE(blanks, 0);
}

QTEST_MAIN(TestPreviewSurvival)
#include "tst_previewsurvival.moc"
