#include "doubles/realbrowserwindow.h"

#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

// Typing into the real window with the real browser engine: the preview brought up to date in
// place shows what a load of the preview file shows, and pages that need a load get one.
class TestInPlacePreview : public QObject
{
    Q_OBJECT

private slots:
    void updateShowsWhatALoadShows_data();
    void updateShowsWhatALoadShows();
    void randomEditsShowWhatALoadShows();
    void keysTypedDuringAnUpdateFollowIt();
};

namespace {
const QString Caret = QStringLiteral("|");
// Tall enough to scroll, so that the scroll position can be seen to stay.
const QString Filler = QStringLiteral("\r\n<div style=\"height:3000px\">end</div>\r\n");
const QString Backspace = QStringLiteral("\b");
// A page that begins with it is written in UTF-16.
constexpr char16_t ByteOrderMark = 0xFEFF;

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

namespace {
// How a change reached the preview: updated in place (by the changed part of the body alone),
// in place and then loaded afresh once typing paused, or loaded at once.
enum Path
{
    InPlace,
    ByPart,
    InPlaceThenLoad,
    Loaded
};

// A page long enough to be updated part by part, with the caret in its middle.
QString longPage()
{
    QString half;
    for (int i = 0; i < 700; ++i)
        half += QStringLiteral("<div class=\"s%1\"><h2>Part %1</h2>\r\n<p>Some <b>text</b> of "
                               "part %1.</p></div>\r\n")
                    .arg(i);
    return half + QStringLiteral("<p>mid|dle</p>\r\n") + half;
}
} // namespace

void TestInPlacePreview::updateShowsWhatALoadShows_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("path");

    QTest::addRow("character in a paragraph") << "<p>one</p><p>Hel|lo</p>"
                                              << "x" << int(InPlace);
    QTest::addRow("attribute value") << "<p class=\"a|b\" title=t>x</p>"
                                     << "c" << int(InPlace);
    QTest::addRow("new element") << "<p>one</p>|<p>two</p>"
                                 << "<i>new" << int(InPlace);
    QTest::addRow("deleted element")
        << "<p>one</p><p>b</p>|<p>c</p>" << QString(8, Backspace.front()) << int(InPlace);
    QTest::addRow("unclosed tag being typed") << "<p>x|</p><p>y</p>"
                                              << "<table" << int(InPlace);
    QTest::addRow("table cell") << "<table><tr><td>a|</td><td>b</td></tr></table>"
                                << "zz" << int(InPlace);
    QTest::addRow("comment opened") << "<p>a|b--></p><p>c</p>"
                                    << "<!--" << int(InPlace);
    QTest::addRow("inside style") << "<style>p { margin-left: 1|px }</style><p>x</p>"
                                  << "0" << int(InPlace);
    QTest::addRow("in head") << "<html><head><title>Ti|tle</title></head><body>b</body></html>"
                             << "x" << int(InPlace);
    QTest::addRow("page declaring its content type")
        << "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"><p>a|</p>"
        << "b" << int(InPlace);
    QTest::addRow("page declaring its style language")
        << "<meta http-equiv=\"Content-Style-Type\" content=\"text/css\"><p>a|</p>"
        << "b" << int(InPlace);
    QTest::addRow("UTF-16 page") << QChar(ByteOrderMark) + QStringLiteral("<p>caf|</p>")
                                 << "\u00e9\u20ac" << int(InPlace);
    QTest::addRow("long page changed in the middle") << longPage() << "xyz" << int(ByPart);
    QTest::addRow("page whose script builds content")
        << "<p>a|</p>\r\n<p>words between</p>\r\n<script>document.body.appendChild(document."
           "createElement('aside')).textContent = 'built';</script>"
        << "bc" << int(InPlaceThenLoad);
    QTest::addRow("inside script")
        << "<p id=a>a</p><script>document.getElementById('a').title = 'b|';</script>"
        << "c" << int(Loaded);
    QTest::addRow("near a script") << "<p id=a>a|</p><script>var n = 1;</script>"
                                   << "c" << int(Loaded);
}

// Once the keys are handled, and again at rest, the document shown, serialised, equals a load
// of the same preview file; the preview took the path the row says; the scroll position stayed.
void TestInPlacePreview::updateShowsWhatALoadShows()
{
    QFETCH(QString, page);
    QFETCH(QString, keys);
    QFETCH(int, path);

    TypingWindow w;
    const bool utf16 = page.startsWith(QChar(ByteOrderMark));
    const int caret = int(page.indexOf(Caret)) - (utf16 ? 1 : 0);
    page = page.remove(Caret) + Filler;
    w.tw.loadPage(utf16 ? QByteArray(reinterpret_cast<const char *>(page.utf16()), page.size() * 2)
                        : page.toUtf8());
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
    PreviewUpdater &updater = w.tw.form->livePreview.updater();
    QVERIFY(QTest::qWaitFor([&] { return !w.browser.isLoading() && !updater.isUpdating(); },
                            RealBrowserWindow::Timeout));
    const QString typed = w.shown();
    QVERIFY(w.settle());
    const QString atRest = w.shown();
    const PreviewUpdater::Counts after = w.counts();
    if (path == Loaded) {
        QVERIFY(after.reloads > before.reloads);
    } else {
        QVERIFY(after.patches > before.patches);
        QCOMPARE(after.reloads, before.reloads + (path == InPlaceThenLoad ? 1 : 0));
        QCOMPARE(after.parts > before.parts, path == ByPart);
    }
    QTRY_COMPARE(w.scrollY(), 400);

    w.browser.Refresh();
    QVERIFY(w.settle());
    const QString loaded = w.shown();
    QCOMPARE(atRest, loaded);
    if (path != Loaded)
        QCOMPARE(typed, loaded);
}

// A seeded run of random edits on a generated page: after each, the document shown equals a
// fresh load of the preview file in a page of its own.
void TestInPlacePreview::randomEditsShowWhatALoadShows()
{
    const QStringList sections{
        QStringLiteral("<div class=\"box\">\r\n<h3>Title</h3>\r\n<p>Text, <b>bold</b>, <i>it"
                       "</i> and <a href=\"#x\">a link</a>.</p>\r\n</div>\r\n"),
        QStringLiteral("<table border=1>\r\n<tr><td>cell</td><td>two</td></tr>\r\n</table>\r\n"),
        QStringLiteral("<ul>\r\n<li>one\r\n<li>two <em>2</em>\r\n</ul>\r\n"),
        QStringLiteral("<p>Paragraph <!-- note --> left open\r\n"),
        QStringLiteral("<pre>\r\ncode &lt;x&gt;\r\n</pre>\r\n")};
    const QStringList pieces =
        QStringLiteral("x|<b>|</b>|<p>|</p>|</div>|<td>|<li>|<!--|-->|\r\n|<|>|\"|"
                       "<table><tr><td>z")
            .split(u'|');
    QRandomGenerator random(17);
    QString page = QStringLiteral("<html><head><title>Random</title></head><body>\r\n");
    while (page.size() < 40000)
        page += sections.at(random.bounded(int(sections.size())));

    TypingWindow w;
    w.tw.loadPage(page.toUtf8());
    QVERIFY(w.settle());
    w.tw.form->Text1.setSelStart(int(w.tw.form->Text1.Text().size()));
    w.type(QStringLiteral(" "));
    QVERIFY(w.settle());

    QWebEnginePage fresh(w.browser.webView()->page()->profile());
    const QString serialised = QStringLiteral("new XMLSerializer().serializeToString(document)");
    // Every other step takes the edit before back, so that the page stays near its shape.
    QString undone;
    int undoAt = 0, undoLength = 0;
    for (int step = 0; step < 40; ++step) {
        EditControl &text1 = w.tw.form->Text1;
        const int length = int(text1.Text().size());
        if (step % 2) {
            text1.setSelStart(undoAt);
            text1.setSelLength(undoLength);
            text1.setSelText(undone);
        } else {
            undoAt = int(random.bounded(length));
            text1.setSelStart(undoAt);
            if (random.bounded(3) == 0)
                text1.setSelLength(std::min(1 + int(random.bounded(12)), length - undoAt));
            undone = text1.SelText();
            const QString piece =
                undone.isEmpty() ? pieces.at(random.bounded(int(pieces.size()))) : QString();
            undoLength = int(piece.size());
            text1.setSelText(piece);
        }
        QVERIFY(w.settle());

        QSignalSpy loaded(&fresh, &QWebEnginePage::loadFinished);
        fresh.load(QUrl::fromLocalFile(w.tw.form->page.tempfile));
        QVERIFY(loaded.wait(RealBrowserWindow::Timeout));
        auto expected = std::make_shared<QString>();
        fresh.runJavaScript(serialised,
                            [expected](const QVariant &v) { *expected = v.toString(); });
        QVERIFY(QTest::qWaitFor([&] { return !expected->isEmpty(); }, RealBrowserWindow::Timeout));
        QVERIFY2(w.evaluate(serialised).toString() == *expected,
                 qPrintable(QStringLiteral("step %1").arg(step)));
    }
    QVERIFY(w.counts().parts > 0);
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
