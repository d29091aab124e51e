#include "assisttesting.h"

using namespace AssistTesting;

// Which pop-up list shows while markup is typed, and which word it selects.
class TestCompletion : public QObject
{
    Q_OBJECT

private slots:
    void listForTheTypedWord_data();
    void listForTheTypedWord();
    void nextTagAfterTheCaret_data();
    void nextTagAfterTheCaret();
    void wordListsAsStored();
};

void TestCompletion::listForTheTypedWord_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("tagstring");
    QTest::addColumn<QString>("tagmain");
    QTest::addColumn<bool>("ismain");

    const QString none;
    const QString L1 = QStringLiteral("List1");
    const QString L2 = QStringLiteral("List2");
    const auto row = [](const char *name, const QString &text, int caret,
                        const QString &keys) -> QTestData & {
        return QTest::newRow(name) << text << caret << keys;
    };
    row("bracket alone", none, 0, QStringLiteral("<")) << L1 << none << none << none << true;
    row("tag name", none, 0, QStringLiteral("<ta"))
        << L1 << QStringLiteral("table") << QStringLiteral("ta") << QStringLiteral("ta") << true;
    row("closing tag", none, 0, QStringLiteral("</ta"))
        << L1 << QStringLiteral("table") << QStringLiteral("ta") << QStringLiteral("ta") << false;
    row("capitals", none, 0, QStringLiteral("<TA"))
        << L1 << QStringLiteral("table") << QStringLiteral("TA") << QStringLiteral("TA") << true;
    row("b selects br>", none, 0, QStringLiteral("<b"))
        << L1 << QStringLiteral("br>") << QStringLiteral("b") << QStringLiteral("b") << true;
    row("tah", QStringLiteral("<p>"), 3, QStringLiteral("<tah"))
        << L1 << QStringLiteral("tahoma") << QStringLiteral("tah") << QStringLiteral("tah") << true;
    row("no word that long", none, 0, QStringLiteral("<tablex"))
        << L1 << none << QStringLiteral("tablex") << QStringLiteral("tablex") << true;
    row("space after the name", none, 0, QStringLiteral("<table "))
        << L2 << none << none << QStringLiteral("table") << true;
    row("attribute name", none, 0, QStringLiteral("<table bo"))
        << L2 << QStringLiteral("border") << QStringLiteral("bo") << QStringLiteral("table")
        << true;
    row("event name", none, 0, QStringLiteral("<a onm"))
        << L2 << QStringLiteral("onMouseMove") << QStringLiteral("onm") << QStringLiteral("a")
        << true;
    row("after =", none, 0, QStringLiteral("<table border="))
        << L1 << none << none << QStringLiteral("table") << true;
    row("quoted value", none, 0, QStringLiteral("<font face=\"ar"))
        << L1 << QStringLiteral("area") << QStringLiteral("ar") << QStringLiteral("font") << true;
    row("quoted value, more letters", none, 0, QStringLiteral("<font face=\"ari"))
        << L1 << QStringLiteral("arial") << QStringLiteral("ari") << QStringLiteral("font") << true;
    row("space in a quoted value", none, 0, QStringLiteral("<p title=\"a "))
        << L2 << none << none << QStringLiteral("p") << true;
    row("line break after the name", QStringLiteral("<table\r\n"), 8, QStringLiteral("w"))
        << L1 << none << QStringLiteral("table\r\nw") << QStringLiteral("table\r\nw") << true;
    row("line break after a space", QStringLiteral("<table \r\n"), 9, QStringLiteral("wi"))
        << L2 << QStringLiteral("width") << QStringLiteral("wi") << none << false;
    row("path value", none, 0, QStringLiteral("<a href=/x"))
        << L1 << QStringLiteral("xmp") << QStringLiteral("x") << QStringLiteral("a") << false;
    row("outside tags", QStringLiteral("<p>"), 3, QStringLiteral("x"))
        << none << none << none << none << false;
    row("closed tag", none, 0, QStringLiteral("<i>"))
        << none << none << QStringLiteral("i") << none << true;
}

void TestCompletion::listForTheTypedWord()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, keys);
    QFETCH(QString, list);
    QFETCH(QString, selected);
    QFETCH(QString, tagstring);
    QFETCH(QString, tagmain);
    QFETCH(bool, ismain);

    const auto window = windowWith(text, caret);
    Form1 &form = *window->form;
    typeKeys(form, keys);
    QCOMPARE(visibleList(form), list);
    QCOMPARE(selectedWord(form), selected);
    QCOMPARE(form.assist.Tagstring, tagstring);
    QCOMPARE(form.assist.Tagmain, tagmain);
    QCOMPARE(form.assist.Ismain, ismain);
    QVERIFY(form.Text1.editor()->hasFocus()); // showing a list leaves the focus in the editor
}

// The next tag after the caret is read when its ">" lies within 100 characters and no "<"
// comes before it; otherwise the last one read is kept.
void TestCompletion::nextTagAfterTheCaret_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("secondCaret"); // where "z" is typed after "y" was typed at 1
    QTest::addColumn<QString>("tagnext");

    const QString start = QStringLiteral("x</td>");
    QTest::addRow("closing tag ahead") << start << 1 << QStringLiteral("/td");
    QTest::addRow("rest of the tag")
        << start + QStringLiteral("<p class = a>") << 9 << QStringLiteral("class=a");
    QTest::addRow("another tag follows")
        << start + QStringLiteral("<p a><b>") << 10 << QStringLiteral("/td");
    QTest::addRow("beyond 100 characters")
        << start + QStringLiteral("<p ") + QString(100, u'a') + u'>' << 10 << QStringLiteral("/td");
    QTest::addRow("within 100 characters")
        << start + QStringLiteral("<p ") + QString(99, u'a') + u'>' << 10 << QString(99, u'a');
}

void TestCompletion::nextTagAfterTheCaret()
{
    QFETCH(QString, text);
    QFETCH(int, secondCaret);
    QFETCH(QString, tagnext);

    const auto window = windowWith(text, 1);
    Form1 &form = *window->form;
    typeKeys(form, QStringLiteral("y"));
    form.Text1.setSelStart(secondCaret);
    typeKeys(form, QStringLiteral("z"));
    QCOMPARE(form.assist.Tagnext, tagnext);
}

void TestCompletion::wordListsAsStored()
{
    TestWindow window;
    window.load();
    const Form1 &form = *window.form;
    QCOMPARE(form.List1.ListCount(), 104);
    QCOMPARE(form.List2.ListCount(), 46);
    QCOMPARE(form.List1.List(5), QStringLiteral("br>"));
    QCOMPARE(form.List1.List(103), QStringLiteral("_blank"));
    QCOMPARE(form.List2.List(28), QStringLiteral("onMouseMove"));
}

QTEST_MAIN(TestCompletion)
#include "tst_completion.moc"
