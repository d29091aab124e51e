#include "assisttesting.h"

using namespace AssistTesting;

// Closing tags written behind the caret when ">" or Enter finishes an opening tag, and the
// ">" that Enter types first inside an unfinished tag.
class TestClosingTags : public QObject
{
    Q_OBJECT

private slots:
    void closing_data();
    void closing() { checkKeyRow(); }
};

void TestClosingTags::closing_data()
{
    QTest::addColumn<KeyCase>("row");
    keyRow("tag name", "", 0, "<table>", "<table></table>", 7, "", "");
    keyRow("after attributes", "", 0, "<table border=1>", "<table border=1></table>", 16, "");
    keyRow("after a space", "", 0, "<table >", "<table></table> ", 7, "");
    keyRow("enter", "", 0, "<table{Enter}", "<table></table>", 7, "");
    // Tags that take no closing tag, or whose closing tag is left out as a rule.
    for (const char *tag : {"<img>", "<br>", "<meta>", "<b>", "<li>", "<base>", "<basefont>",
                            "<dd>", "<dt>", "<input>", "<option>", "<frame>", "<iframe>"})
        keyRow(tag, "", 0, tag, tag, int(qstrlen(tag)), "");
    keyRow("capital IMG", "", 0, "<IMG>", "<IMG></IMG>", 5, "");
    keyRow("declaration", "", 0, "<!DOCTYPE html>", "<!DOCTYPE html>", 15, "");
    keyRow("closing tag", "", 0, "</table>", "</table>", 8, "");
    keyRow("path value", "", 0, "<a href=/x>", "<a href=/x>", 11, "");
    keyRow("quoted path value", "", 0, "<a href=\"/x\">", "<a href=\"/x\"></a>", 13, "");
    keyRow("closing tag already there", "</table>", 0, "<table>", "<table></table>", 7, "");
    keyRow("script tag", "", 0, "<script>", "<script></script>", 8, "");
    keyRow("script tag in capitals", "", 0, "<SCRIPT>", "<SCRIPT>", 8, "");
    keyRow("inside a script block", "<script>", 8, "<p>", "<script><p>", 11, "", "p");
    keyRow("after a script", "<SCRIPT></Script>", 17, "<p>", "<SCRIPT></Script><p></p>", 20, "");
    keyRow("open parenthesis", "if (a", 5, "<x>", "if (a<x>", 8, "", "");
    keyRow("closed parenthesis", "f(a) ", 5, "<x>", "f(a) <x></x>", 8, "");
    keyRow("click keeps the name", " abc", 0, "<td{Click=7}>", "<td abc></td>", 8, "");

    keyRow("enter after br", "", 0, "<br{Enter}", "<br>\r\n", 6, "");
    keyRow("enter with a > ahead", ">", 0, "<br{Enter}", "<br\r\n>", 5, "List1");
    keyRow("enter with a tag ahead", "<p>", 0, "<br{Enter}", "<br>\r\n<p>", 6, "");
    keyRow("enter after <!", "<!DOCTYPE>", 10, "<br{Enter}", "<!DOCTYPE><br\r\n", 15, "List1");
    keyRow("enter in a script block", "<script>", 8, "<br{Enter}", "<script><br\r\n", 13, "");

    keyRow("> at the start", " abc", 0, ">", "> abc", 1, "");
    keyRow("enter at the start", " abc", 0, "{Enter}", "\r\n abc", 2, "");
}

QTEST_MAIN(TestClosingTags)
#include "tst_closingtags.moc"
