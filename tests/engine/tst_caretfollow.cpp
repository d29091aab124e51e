#include "doubles/realbrowserwindow.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QWebEnginePage>

// The real window and browser engine: moving the caret to a part of a long page that the
// preview does not show brings that part into view; typing there leaves the preview still.
class TestCaretFollow : public QObject
{
    Q_OBJECT

private slots:
    void previewFollowsTheCaret_data();
    void previewFollowsTheCaret();
    void ctrlClickFindsTheSource_data();
    void ctrlClickFindsTheSource();
};

namespace {
enum class Move
{
    CtrlEnd,
    Find,
    Down
};

QString longPage(const QString &extra)
{
    QString page = extra;
    for (int i = 0; i < 200; ++i)
        page += QStringLiteral("<p id=p%1>para %1</p>\r\n").arg(i);
    return page;
}

struct FollowingWindow : RealBrowserWindow
{
    QStringList followed;

    FollowingWindow()
    {
        tw.form->livePreview.caretFollower().onFollowed(
            [this](const QString &result) { followed.append(result); });
    }
    bool inView(const QString &id)
    {
        return evaluate(QStringLiteral("(function () { var r = document.getElementById('%1')"
                                       ".getBoundingClientRect();"
                                       "return r.top >= 0 && r.bottom <= window.innerHeight; })()")
                            .arg(id))
            .toBool();
    }
    void move(Move how)
    {
        QPlainTextEdit *editor = tw.form->Text1.editor();
        switch (how) {
        case Move::CtrlEnd:
            QTest::keyClick(editor, Qt::Key_End, Qt::ControlModifier);
            break;
        case Move::Down:
            QTest::keyClick(editor, Qt::Key_Down);
            break;
        case Move::Find:
            QTest::keyClick(editor, Qt::Key_F3);
            QVERIFY(QTest::qWaitFor([this] { return tw.form->Command1.button()->isVisible(); }));
            tw.form->Text2.lineEdit()->setText(QStringLiteral("para 150"));
            QTest::mouseClick(tw.form->Command1.button(), Qt::LeftButton);
            break;
        }
    }
};
} // namespace

void TestCaretFollow::previewFollowsTheCaret_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<Move>("move");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("found");

    const QString script = QStringLiteral("<script>var x = 1;</script>\r\n");
    // A script that puts an element ahead of all others: the page's nodes are no longer where
    // its source has them.
    const QString rebuilt =
        QStringLiteral("<body><script>document.body.insertBefore(document.createElement('div'),"
                       "document.body.firstChild);</script>\r\n");

    QTest::addRow("Ctrl+End") << longPage(QString()) << Move::CtrlEnd << "p199"
                              << "scrolled";
    QTest::addRow("Ctrl+End, page with a script") << longPage(script) << Move::CtrlEnd << "p199"
                                                  << "scrolled";
    QTest::addRow("find") << longPage(QString()) << Move::Find << "p150"
                          << "scrolled";
    QTest::addRow("shown already") << longPage(QString()) << Move::Down << "p1"
                                   << "shown";
    QTest::addRow("caret in the head")
        << longPage(QStringLiteral("<html>\r\n<head><title>t</title></head>\r\n<body>\r\n"))
        << Move::Down << "p0"
        << "shown";
    QTest::addRow("nodes moved by a script") << longPage(rebuilt) << Move::CtrlEnd << "p0"
                                             << "lost";
}

// The preview scrolls so that the element at the caret is in view, or stays where it cannot
// find it; typing there afterwards keeps the scroll position.
void TestCaretFollow::previewFollowsTheCaret()
{
    QFETCH(QString, page);
    QFETCH(Move, move);
    QFETCH(QString, target);
    QFETCH(QString, found);

    FollowingWindow w;
    w.tw.loadPage(page.toUtf8());
    QVERIFY(w.settle());
    QVERIFY(w.inView(QStringLiteral("p0")));
    // The first change after opening loads the preview with its error-suppression line.
    w.tw.form->Text1.setSelStart(int(w.tw.form->Text1.Text().size()));
    w.tw.type(QStringLiteral(" "));
    QVERIFY(w.settle());
    w.tw.form->Text1.setSelStart(0);

    w.move(move);
    QTRY_VERIFY_WITH_TIMEOUT(!w.followed.isEmpty(), RealBrowserWindow::Timeout);
    QCOMPARE(w.followed.last(), found);
    w.followed.clear();
    QVERIFY(w.inView(target));

    const int scrolled = w.scrollY();
    w.tw.form->Text1.SetFocus();
    QTest::keyClicks(w.tw.form->Text1.editor(), QStringLiteral("x"));
    QVERIFY(w.settle());
    // Scripts answer in order: a follow started by the key would have answered before this.
    QCOMPARE(w.scrollY(), scrolled);
    QVERIFY(w.followed.isEmpty());
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
    QTest::addRow("nested, outer") << plain << "div" << ctrl << "<div";
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
