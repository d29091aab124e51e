#include "assisttesting.h"

using namespace AssistTesting;

// Which pop-up list shows while markup is typed, and which word it selects.
class TestCompletion : public QObject
{
    Q_OBJECT

private slots:
    void listForTheTypedWord_data();
    void listForTheTypedWord() { checkKeyRow(); }
};

void TestCompletion::listForTheTypedWord_data()
{
    QTest::addColumn<KeyCase>("row");
    keyRow("bracket alone", "", 0, "<", "<", 1, "List1", "");
    keyRow("tag name", "", 0, "<ta", "<ta", 3, "List1 table", "ta");
    keyRow("closing tag", "", 0, "</ta", "</ta", 4, "List1 table", "ta");
    keyRow("capitals", "", 0, "<TA", "<TA", 3, "List1 table", "TA");
    // "area" comes before "arial" in the list.
    keyRow("quoted value", "", 0, "<font face=\"ar", "<font face=\"ar", 14, "List1 area", "font");
    keyRow("no word that long", "", 0, "<tablex", "<tablex", 7, "List1", "tablex");
    keyRow("space after the name", "", 0, "<table ", "<table ", 7, "List2", "table");
    keyRow("attribute name", "", 0, "<table bo", "<table bo", 9, "List2 border", "table");
    keyRow("event name", "", 0, "<a onm", "<a onm", 6, "List2 onMouseMove");
    keyRow("after =", "", 0, "<table border=", "<table border=", 14, "List1", "table");
    keyRow("space in a quoted value", "", 0, "<p title=\"xq ", "<p title=\"xq ", 13, "List2");
    keyRow("line break after a space", "<table \r\n", 9, "wi", "<table \r\nwi", 11, "List2 width");
    keyRow("closed tag", "", 0, "<i>", "<i></i>", 3, "");
    keyRow("script tag", "", 0, "<script la", "<script la", 10, "List2 language", "script");
    keyRow("script code", "<script>\r\n", 10, "if (i < n) let a = 1, b = 2;",
           "<script>\r\nif (i < n) let a = 1, b = 2;", 38, "");
}

QTEST_MAIN(TestCompletion)
#include "tst_completion.moc"
