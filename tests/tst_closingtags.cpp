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
    addKeyColumns();
    keyRow("tag name", "", 0, "<table>", "<table></table>", 7, "", "", "");
    keyRow("after attributes", "", 0, "<table border=1>", "<table border=1></table>", 16, "", "");
    keyRow("after a space", "", 0, "<table >", "<table></table> ", 7, "", "");
    keyRow("enter", "", 0, "<table{Enter}", "<table></table>", 7, "", "");
    keyRow("bold", "", 0, "<b>", "<b>", 3, "", "");
    keyRow("hr is not exempt", "", 0, "<hr>", "<hr></hr>", 4, "", "");
    keyRow("capital IMG", "", 0, "<IMG>", "<IMG></IMG>", 5, "", "");
    keyRow("declaration", "", 0, "<!DOCTYPE html>", "<!DOCTYPE html>", 15, "", "");
    keyRow("closing tag", "", 0, "</table>", "</table>", 8, "", "");
    keyRow("path value", "", 0, "<a href=/x>", "<a href=/x>", 11, "", "");
    keyRow("quoted path value", "", 0, "<a href=\"/x\">", "<a href=\"/x\"></a>", 13, "", "");
    keyRow("closing tag already there", "</table>", 0, "<table>", "<table></table>", 7, "", "");
    keyRow("script tag", "", 0, "<script>", "<script></script>", 8, "", "");
    keyRow("script tag in capitals", "", 0, "<SCRIPT>", "<SCRIPT>", 8, "", "");
    keyRow("inside a script block", "<script>\r\n\r\n</script>", 10, "<p>",
           "<script>\r\n<p>\r\n</script>", 13, "", "", "p");
    keyRow("after a script block", "<SCRIPT>\r\n</Script>\r\n", 21, "<p>",
           "<SCRIPT>\r\n</Script>\r\n<p></p>", 24, "", "");
    keyRow("open parenthesis", "if (a", 5, "<x>", "if (a<x>", 8, "", "", "");
    keyRow("closed parenthesis", "f(a) ", 5, "<x>", "f(a) <x></x>", 8, "", "");
    keyRow("click keeps the name", " abc", 0, "<td{Click=7}>", "<td abc></td>", 8, "", "");

    // Enter inside an unfinished tag
    keyRow("enter after br", "", 0, "<br{Enter}", "<br>\r\n", 6, "", "");
    keyRow("enter after img attributes", "", 0, "<img src=x{Enter}", "<img src=x>\r\n", 13, "", "");
    keyRow("enter with a > ahead", ">", 0, "<br{Enter}", "<br\r\n>", 5, "List1", "");
    keyRow("enter with a tag ahead", "<p>", 0, "<br{Enter}", "<br>\r\n<p>", 6, "", "");
    keyRow("enter after a declaration", "<!DOCTYPE html>\r\n", 17, "<br{Enter}",
           "<!DOCTYPE html>\r\n<br\r\n", 22, "List1", "");
    keyRow("enter in a script block", "<script>\r\n\r\n</script>", 10, "<br{Enter}",
           "<script>\r\n<br\r\n\r\n</script>", 15, "List1", "");

    // The very start of a text that begins with a space
    keyRow("> at the start", " abc", 0, ">", "> abc", 1, "", "");
    keyRow("enter at the start", " abc", 0, "{Enter}", "\r\n abc", 2, "", "");
}

QTEST_MAIN(TestClosingTags)
#include "tst_closingtags.moc"
