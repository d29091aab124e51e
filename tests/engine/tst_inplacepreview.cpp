#include "doubles/realbrowserwindow.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

// Typing into the real window with the real browser engine: the preview brought up to date in
// place shows what a load of the preview file shows, and pages that need a load get one. Moving
// the caret to a part of a long page that the preview does not show brings that part into view,
// and typing there leaves the preview still; a Ctrl+click in the preview puts the caret at the
// source of what it points at.
class TestInPlacePreview : public QObject
{
    Q_OBJECT

private slots:
    void updateShowsWhatALoadShows_data();
    void updateShowsWhatALoadShows();
    void randomEditsShowWhatALoadShows();
    void keysTypedDuringAnUpdateFollowIt();
    void previewFollowsTheCaret_data();
    void previewFollowsTheCaret();
    void ctrlClickFindsTheSource_data();
    void ctrlClickFindsTheSource();
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

    const auto row = [](const char *name, const QString &page, const QString &keys,
                        Path path = InPlace) {
        QTest::addRow("%s", name) << page << keys << int(path);
    };
    row("character in a paragraph", "<p>one</p><p>Hel|lo</p>", "x");
    row("attribute value beside a URL's escapes", "<p class=\"a|b\" title=\"a%2F%1\">x</p>", "c");
    row("new element", "<p>one</p>|<p>two</p>", "<i>new");
    row("deleted element", "<p>one</p><p>b</p>|<p>c</p>", QString(8, Backspace.front()));
    row("unclosed tag being typed", "<p>x|</p><p>y</p>", "<table");
    row("table cell", "<table><tr><td>a|</td><td>b</td></tr></table>", "zz");
    row("comment opened", "<p>a|b--></p><p>c</p>", "<!--");
    row("inside style", "<style>p { margin-left: 1|px }</style><p>x</p>", "0");
    row("in head", "<html><head><title>Ti|tle</title></head><body>b</body></html>", "x");
    row("page declaring its content type",
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"><p>a|</p>", "b");
    row("page declaring its style language",
        "<meta http-equiv=\"Content-Style-Type\" content=\"text/css\"><p>a|</p>", "b");
    row("UTF-16 page", QChar(ByteOrderMark) + QStringLiteral("<p>caf|</p>"), "\u00e9\u20ac");
    row("long page changed in the middle", longPage(), "xyz", ByPart);
    row("page whose script builds content",
        "<p>a|</p>\r\n<p>words between</p>\r\n<script>document.body.appendChild(document."
        "createElement('aside')).textContent = 'built';</script>",
        "bc", InPlaceThenLoad);
    row("inside script", "<p id=a>a</p><script>document.getElementById('a').title = 'b|';</script>",
        "c", Loaded);
    row("near a script", "<p id=a>a|</p><script>var n = 1;</script>", "c", Loaded);
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

void TestInPlacePreview::previewFollowsTheCaret_data()
{
    QTest::addColumn<QString>("start");    // of the page, before 200 paragraphs
    QTest::addColumn<int>("key");          // F3 finds "para 150"
    QTest::addColumn<QString>("expected"); // the element in view after it, the follow's answer

    const int ctrlEnd = (Qt::ControlModifier | Qt::Key_End).toCombined();
    const int down = Qt::Key_Down;
    // A script that puts an element ahead of all others: the page's nodes are no longer where
    // its source has them.
    const QString rebuilt =
        QStringLiteral("<body><script>document.body.insertBefore(document.createElement('div'),"
                       "document.body.firstChild);</script>\r\n");
    QTest::addRow("Ctrl+End") << QString() << ctrlEnd << "p199 scrolled";
    QTest::addRow("Ctrl+End, page with a script")
        << QStringLiteral("<script>var x = 1;</script>\r\n") << ctrlEnd << "p199 scrolled";
    QTest::addRow("find") << QString() << int(Qt::Key_F3) << "p150 scrolled";
    QTest::addRow("shown already") << QString() << down << "p1 shown";
    QTest::addRow("caret in the head")
        << QStringLiteral("<html>\r\n<head><title>t</title></head>\r\n<body>\r\n") << down
        << "p0 shown";
    QTest::addRow("nodes moved by a script") << rebuilt << ctrlEnd << "p0 lost";
}

// The preview scrolls so that the element at the caret is in view, or stays where it cannot
// find it; typing there afterwards keeps the scroll position.
void TestInPlacePreview::previewFollowsTheCaret()
{
    QFETCH(QString, start);
    QFETCH(int, key);
    QFETCH(QString, expected);

    RealBrowserWindow w;
    Form1 &form = *w.tw.form;
    QStringList followed;
    form.livePreview.caretFollower().onFollowed(
        [&followed](const QString &result) { followed.append(result); });
    const auto inView = [&w](const QString &id) {
        return w.evaluate(
                   QStringLiteral("(function () { var r = document.getElementById('%1')"
                                  ".getBoundingClientRect();"
                                  "return r.top >= 0 && r.bottom <= window.innerHeight; })()")
                       .arg(id)) == QVariant(true);
    };
    for (int i = 0; i < 200; ++i)
        start += QStringLiteral("<p id=p%1>para %1</p>\r\n").arg(i);
    w.tw.loadPage(start.toUtf8());
    QVERIFY(w.settle());
    QVERIFY(inView(QStringLiteral("p0")));
    // The first change after opening loads the preview with its error-suppression line.
    form.Text1.setSelStart(int(form.Text1.Text().size()));
    w.tw.type(QStringLiteral(" "));
    QVERIFY(w.settle());
    form.Text1.setSelStart(0);

    const QKeyCombination pressed = QKeyCombination::fromCombined(key);
    QTest::keyClick(form.Text1.editor(), pressed.key(), pressed.keyboardModifiers());
    if (pressed.key() == Qt::Key_F3) {
        QTRY_VERIFY(form.Command1.button()->isVisible());
        form.Text2.lineEdit()->setText(QStringLiteral("para 150"));
        QTest::mouseClick(form.Command1.button(), Qt::LeftButton);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!followed.isEmpty(), RealBrowserWindow::Timeout);
    QCOMPARE(followed.last(), expected.section(u' ', 1));
    followed.clear();
    QVERIFY(inView(expected.section(u' ', 0, 0)));

    const int scrolled = w.scrollY();
    form.Text1.SetFocus();
    QTest::keyClicks(form.Text1.editor(), QStringLiteral("x"));
    QVERIFY(w.settle());
    // Scripts answer in order: a follow started by the key would have answered before this.
    QCOMPARE(w.scrollY(), scrolled);
    QCOMPARE(followed, {});
}

void TestInPlacePreview::ctrlClickFindsTheSource_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("clicked"); // a selector; the click is just inside its top left
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("tag"); // where the caret goes, or empty where it stays

    const QString plain = QStringLiteral("<!-- <p> <b id=t> -->\r\n<div style='padding:20px'>"
                                         "<p>some <b id=t>bold</b></p></div>");
    const QString scripted = QStringLiteral(
        "<script>var s = '<p><b id=t>';</script>\r\n<div id=d style='padding:20px'><p>some "
        "<b id=t>bold</b></p></div><script>var m = document.createElement('em'); m.id = 'm';"
        "m.textContent = 'made'; document.getElementById('d').appendChild(m);</script>");
    const QString table = QStringLiteral("<style>tbody { display: block; padding: 20px }</style>"
                                         "\r\n<table><tr><td>cell</td></tr></table>");
    const Qt::KeyboardModifiers ctrl(Qt::ControlModifier);
    QTest::addRow("nested, inner") << plain << "#t" << ctrl << "<b id=t>";
    QTest::addRow("text") << plain << "p" << ctrl << "<p>";
    QTest::addRow("plain click") << plain << "#t" << Qt::KeyboardModifiers() << QString();
    QTest::addRow("page with scripts") << scripted << "#t" << ctrl << "<b id=t>";
    QTest::addRow("made by a script") << scripted << "#m" << ctrl << "<div";
    QTest::addRow("implied tbody") << table << "tbody" << ctrl << "<table>";
}

void TestInPlacePreview::ctrlClickFindsTheSource()
{
    QFETCH(QString, page);
    QFETCH(QString, clicked);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, tag);

    RealBrowserWindow w;
    w.tw.loadPage(page.toUtf8());
    QVERIFY(w.settle());
    QTest::mouseClick(w.browser.webView()->focusProxy(), Qt::LeftButton, modifiers,
                      w.pointOf(clicked, false));
    if (tag.isEmpty()) {
        QTRY_VERIFY(!w.tw.form->Text1.editor()->hasFocus());
        QCOMPARE(w.tw.form->Text1.SelStart(), 0);
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(w.tw.form->Text1.SelStart(), int(page.lastIndexOf(tag)),
                              RealBrowserWindow::Timeout);
    QVERIFY(w.tw.form->Text1.editor()->hasFocus());
}

QTEST_MAIN(TestInPlacePreview)
#include "tst_inplacepreview.moc"
