#include "doubles/realbrowserwindow.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QWebEnginePage>

// The real window and browser engine: moving the caret to a part of a long page that the
// preview does not show brings that part into view, and typing there leaves the preview still;
// a Ctrl+click in the preview puts the caret at the source of what it points at.
class TestCaretFollow : public QObject
{
    Q_OBJECT

private slots:
    void previewFollowsTheCaret_data();
    void previewFollowsTheCaret();
    void ctrlClickFindsTheSource_data();
    void ctrlClickFindsTheSource();
};

void TestCaretFollow::previewFollowsTheCaret_data()
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
void TestCaretFollow::previewFollowsTheCaret()
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

void TestCaretFollow::ctrlClickFindsTheSource_data()
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

void TestCaretFollow::ctrlClickFindsTheSource()
{
    QFETCH(QString, page);
    QFETCH(QString, clicked);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, tag);

    RealBrowserWindow w;
    w.tw.loadPage(page.toUtf8());
    QVERIFY(w.settle());
    const QVariantList at =
        w.evaluate(QStringLiteral("(function () { var r = document"
                                  ".querySelector(\"%1\").getBoundingClientRect();"
                                  " return [r.left + 3, r.top + 3]; })()")
                       .arg(clicked))
            .toList();
    QCOMPARE(at.size(), 2);
    QTest::mouseClick(w.browser.webView()->focusProxy(), Qt::LeftButton, modifiers,
                      QPoint(at[0].toInt(), at[1].toInt()));
    if (tag.isEmpty()) {
        QTRY_VERIFY(!w.tw.form->Text1.editor()->hasFocus());
        QCOMPARE(w.tw.form->Text1.SelStart(), 0);
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(w.tw.form->Text1.SelStart(), int(page.lastIndexOf(tag)),
                              RealBrowserWindow::Timeout);
    QVERIFY(w.tw.form->Text1.editor()->hasFocus());
}

QTEST_MAIN(TestCaretFollow)
#include "tst_caretfollow.moc"
