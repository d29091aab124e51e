#include "assisttesting.h"

using namespace AssistTesting;

// Which pop-up list shows while markup is typed, and which word it selects.
class TestCompletion : public QObject
{
    Q_OBJECT

private slots:
    void listForTheTypedWord_data();
    void listForTheTypedWord() { checkKeyRow(); }
    void nextTagAfterTheCaret_data();
    void nextTagAfterTheCaret();
};

void TestCompletion::listForTheTypedWord_data()
{
    addKeyColumns();
    keyRow("bracket alone", "", 0, "<", "*", -1, "List1", "", "");
    keyRow("tag name", "", 0, "<ta", "*", -1, "List1", "table", "ta");
    keyRow("closing tag", "", 0, "</ta", "*", -1, "List1", "table", "ta");
    keyRow("capitals", "", 0, "<TA", "*", -1, "List1", "table", "TA");
    keyRow("b selects br>", "", 0, "<b", "*", -1, "List1", "br>");
    keyRow("ar selects area", "<p>", 3, "<font face=\"ar", "*", -1, "List1", "area", "font");
    keyRow("quoted value", "", 0, "<font face=\"ari", "*", -1, "List1", "arial");
    keyRow("no word that long", "", 0, "<tablex", "*", -1, "List1", "", "tablex");
    keyRow("space after the name", "", 0, "<table ", "*", -1, "List2", "", "table");
    keyRow("attribute name", "", 0, "<table bo", "*", -1, "List2", "border", "table");
    keyRow("event name", "", 0, "<a onm", "*", -1, "List2", "onMouseMove");
    keyRow("after =", "", 0, "<table border=", "*", -1, "List1", "", "table");
    keyRow("space in a quoted value", "", 0, "<p title=\"a ", "*", -1, "List2", "");
    keyRow("line break after the name", "<table\r\n", 8, "w", "*", -1, "List1", "", "table\r\nw");
    keyRow("line break after a space", "<table \r\n", 9, "wi", "*", -1, "List2", "width");
    keyRow("outside tags", "<p>", 3, "x", "*", -1, "", "");
    keyRow("closed tag", "", 0, "<i>", "*", -1, "", "");
}

// The next tag after the caret is read when its ">" lies within 100 characters and no "<"
// comes before it; otherwise the last one read is kept.
void TestCompletion::nextTagAfterTheCaret_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("secondCaret"); // where "z" is typed after "y" was typed at 1
    QTest::addColumn<QString>("tagnext");

    const QString start = QStringLiteral("x</td><p ");
    QTest::addRow("closing tag ahead") << start << 1 << QStringLiteral("/td");
    QTest::addRow("rest of the tag")
        << start + QStringLiteral("class = a>") << 9 << QStringLiteral("class=a");
    QTest::addRow("another tag follows")
        << start + QStringLiteral("a><b>") << 10 << QStringLiteral("/td");
    QTest::addRow("100 characters on")
        << start + QString(99, u'a') + u'>' << 10 << QString(99, u'a');
    QTest::addRow("101 characters on")
        << start + QString(100, u'a') + u'>' << 10 << QStringLiteral("/td");
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

QTEST_MAIN(TestCompletion)
#include "tst_completion.moc"
