#include "doubles/realbrowserwindow.h"

#include <QPlainTextEdit>
#include <QTest>
#include <QWebEnginePage>

// Typing into the real window with the real browser engine: the preview brought up to date in
// place shows what a load of the preview file shows, and pages that need a load get one.
class TestInPlacePreview : public QObject
{
    Q_OBJECT

private slots:
    void updateShowsWhatALoadShows_data();
    void updateShowsWhatALoadShows();
    void pageScriptRunsAfterEveryChange();
    void keysTypedDuringAnUpdateFollowIt();
};

namespace {
const QString Caret = QStringLiteral("|");
// Tall enough to scroll, so that the scroll position can be seen to stay.
const QString Filler = QStringLiteral("\r\n<div style=\"height:3000px\">end</div>\r\n");
const QString Backspace = QStringLiteral("\b");

struct TypingWindow : RealBrowserWindow
{
    // The document shown and the style rules in force, as text.
    QString shown()
    {
        return evaluate(QStringLiteral("new XMLSerializer().serializeToString(document) + '\\n' +"
                                       "Array.from(document.styleSheets, function (sheet) {"
                                       "  return Array.from(sheet.cssRules, function (rule) {"
                                       "    return rule.cssText; }).join('\\n'); }).join('\\n')"))
            .toString();
    }
    void type(const QString &keys)
    {
        for (const QChar key : keys) {
            if (key == Backspace.front())
                QTest::keyClick(tw.form->Text1.editor(), Qt::Key_Backspace);
            else
                tw.type(key);
        }
    }
    const PreviewUpdater::Counts &counts() { return tw.form->livePreview.updater().counts(); }
};
} // namespace

void TestInPlacePreview::updateShowsWhatALoadShows_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<bool>("inPlace");

    QTest::addRow("character in a paragraph") << "<p>one</p><p>Hel|lo</p>"
                                              << "x" << true;
    QTest::addRow("attribute value") << "<p class=\"a|b\" title=t>x</p>"
                                     << "c" << true;
    QTest::addRow("new element") << "<p>one</p>|<p>two</p>"
                                 << "<i>new" << true;
    QTest::addRow("deleted element")
        << "<p>one</p><p>b</p>|<p>c</p>" << QString(8, Backspace.front()) << true;
    QTest::addRow("unclosed tag being typed") << "<p>x|</p><p>y</p>"
                                              << "<table" << true;
    QTest::addRow("table cell") << "<table><tr><td>a|</td><td>b</td></tr></table>"
                                << "zz" << true;
    QTest::addRow("comment opened") << "<p>a|b--></p><p>c</p>"
                                    << "<!--" << true;
    QTest::addRow("inside style") << "<style>p { margin-left: 1|px }</style><p>x</p>"
                                  << "0" << true;
    QTest::addRow("in head") << "<html><head><title>Ti|tle</title></head><body>b</body></html>"
                             << "x" << true;
    QTest::addRow("page declaring its content type")
        << "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"><p>a|</p>"
        << "b" << true;
    QTest::addRow("typed ahead of a declaration near its reach")
        << "<p>x|</p><!--" + QString(900, u'-') + "--><meta charset=\"utf-8\">"
        << "a" << false;
    QTest::addRow("refresh typed") << "<meta http-equiv=|><p>a</p>"
                                   << "refresh" << false;
    QTest::addRow("inside script")
        << "<p id=a>a</p><script>document.getElementById('a').title = 'b|';</script>"
        << "c" << false;
    QTest::addRow("event handler typed") << "<p |>a</p>"
                                         << "onclick=f()" << false;
    QTest::addRow("iframe typed") << "<p>a|</p>"
                                  << "<iframe" << false;
    QTest::addRow("encoding declaration") << "<meta charset=\"utf-8\"|><p>a</p>"
                                          << " " << false;
}

// After each change the document shown, serialised, equals a load of the same preview file;
// the updates were all made in place, or the preview was loaded, as the row says; the scroll
// position stayed.
void TestInPlacePreview::updateShowsWhatALoadShows()
{
    QFETCH(QString, page);
    QFETCH(QString, keys);
    QFETCH(bool, inPlace);

    TypingWindow w;
    const int caret = int(page.indexOf(Caret));
    w.tw.loadPage((page.remove(Caret) + Filler).toUtf8());
    QVERIFY(w.settle());
    // The first change after opening loads the preview with its error-suppression line.
    w.tw.form->Text1.setSelStart(int(w.tw.form->Text1.Text().size()));
    w.type(QStringLiteral(" "));
    QVERIFY(w.settle());
    w.evaluate(QStringLiteral("window.scrollTo(0, 400)"));
    QTRY_COMPARE(w.scrollY(), 400);

    const PreviewUpdater::Counts before = w.counts();
    w.tw.form->Text1.setSelStart(caret);
    w.type(keys);
    QVERIFY(w.settle());
    const QString updated = w.shown();
    if (inPlace) {
        QCOMPARE(w.counts().reloads, before.reloads);
        QVERIFY(w.counts().patches > before.patches);
    } else {
        QVERIFY(w.counts().reloads > before.reloads);
    }
    QTRY_COMPARE(w.scrollY(), 400);

    w.browser.Refresh();
    QVERIFY(w.settle());
    QCOMPARE(updated, w.shown());
}

// A page whose script adds an element at load shows it after every change, once.
void TestInPlacePreview::pageScriptRunsAfterEveryChange()
{
    TypingWindow w;
    w.tw.loadPage("<p>a</p><script>document.body.appendChild(document.createElement('aside'))"
                  ".textContent = 'added';</script>\r\n");
    QVERIFY(w.settle());
    w.tw.form->Text1.setSelStart(3);
    for (const QString &key : {QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}) {
        w.type(key);
        QVERIFY(w.settle());
        QCOMPARE(w.evaluate(QStringLiteral("Array.from(document.querySelectorAll('aside'),"
                                           "function (e) { return e.textContent; }).join()"))
                     .toString(),
                 QStringLiteral("added"));
    }
    QCOMPARE(w.counts().patches, 0);
}

// Keys typed while an update runs are all shown by one update after it.
void TestInPlacePreview::keysTypedDuringAnUpdateFollowIt()
{
    TypingWindow w;
    w.tw.loadPage("<p>a</p>\r\n");
    QVERIFY(w.settle());
    w.tw.form->Text1.setSelStart(4);
    w.type(QStringLiteral("b"));
    QVERIFY(w.settle());

    const PreviewUpdater::Counts before = w.counts();
    w.type(QStringLiteral("cdefgh"));
    QVERIFY(w.settle());
    QCOMPARE(w.evaluate(QStringLiteral("document.body.innerText")).toString(),
             QStringLiteral("abcdefgh"));
    QCOMPARE(w.counts().reloads, before.reloads);
    QVERIFY(w.counts().patches - before.patches <= 2);
}

QTEST_MAIN(TestInPlacePreview)
#include "tst_inplacepreview.moc"
