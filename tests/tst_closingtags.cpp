#include "assisttesting.h"

using namespace AssistTesting;

// Closing tags written behind the caret when ">" or Enter finishes an opening tag, and the
// ">" that Enter types first inside an unfinished tag.
class TestClosingTags : public QObject
{
    Q_OBJECT

private slots:
    void closing_data();
    void closing();
};

void TestClosingTags::closing_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<int>("expectedCaret");
    QTest::addColumn<QString>("tagmain"); // "*": not looked at

    const QString none;
    const QString any = QStringLiteral("*");
    const QString script = QStringLiteral("<script>\r\n\r\n</script>");
    const auto row = [](const char *name, const QString &text, int caret, const char *keys,
                        const char *expected, int expectedCaret) -> QTestData & {
        return QTest::newRow(name) << text << caret << QString::fromUtf8(keys)
                                   << QString::fromUtf8(expected) << expectedCaret;
    };

    row("tag name", none, 0, "<table>", "<table></table>", 7) << none;
    row("after attributes", none, 0, "<table border=1>", "<table border=1></table>", 16) << none;
    row("after a space", none, 0, "<table >", "<table></table> ", 7) << none;
    row("enter", none, 0, "<table{Enter}", "<table></table>", 7) << none;
    row("enter after attributes", none, 0, "<td width=5{Enter}", "<td width=5></td>", 12) << none;
    row("img", none, 0, "<img>", "<img>", 5) << "img";
    row("br", none, 0, "<br>", "<br>", 4) << any;
    row("bold", none, 0, "<b>", "<b>", 3) << any;
    row("hr is not exempt", none, 0, "<hr>", "<hr></hr>", 4) << none;
    row("capital IMG", none, 0, "<IMG>", "<IMG></IMG>", 5) << none;
    row("declaration", none, 0, "<!DOCTYPE html>", "<!DOCTYPE html>", 15) << any;
    row("closing tag", none, 0, "</table>", "</table>", 8) << any;
    row("path value", none, 0, "<a href=/x>", "<a href=/x>", 11) << any;
    row("quoted path value", none, 0, "<a href=\"/x\">", "<a href=\"/x\"></a>", 13) << none;
    row("closing tag already there", QStringLiteral("</table>"), 0, "<table>", "<table></table>", 7)
        << any;
    row("script tag", none, 0, "<script>", "<script></script>", 8) << none;
    row("script tag in capitals", none, 0, "<SCRIPT>", "<SCRIPT>", 8) << any;
    row("inside a script block", script, 10, "<p>", "<script>\r\n<p>\r\n</script>", 13) << "p";
    row("after a script block", script + QStringLiteral("\r\n"), 23, "<p>",
        "<script>\r\n\r\n</script>\r\n<p></p>", 26)
        << none;
    row("open parenthesis", QStringLiteral("if (a"), 5, "<x>", "if (a<x>", 8) << none;
    row("closed parenthesis", QStringLiteral("f(a) "), 5, "<x>", "f(a) <x></x>", 8) << none;
    row("click keeps the name", QStringLiteral(" abc"), 0, "<td{Click=7}>", "<td abc></td>", 8)
        << none;

    // Enter inside an unfinished tag
    row("enter after br", none, 0, "<br{Enter}", "<br>\r\n", 6) << any;
    row("enter after img attributes", none, 0, "<img src=x{Enter}", "<img src=x>\r\n", 13) << any;
    row("enter with a > ahead", QStringLiteral(">"), 0, "<br{Enter}", "<br\r\n>", 5) << any;
    row("enter with a tag ahead", QStringLiteral("<p>"), 0, "<br{Enter}", "<br>\r\n<p>", 6) << any;
    row("enter after a declaration", QStringLiteral("<!DOCTYPE html>\r\n"), 17, "<br{Enter}",
        "<!DOCTYPE html>\r\n<br\r\n", 22)
        << any;
    row("enter in a script block", script, 10, "<br{Enter}", "<script>\r\n<br\r\n\r\n</script>", 15)
        << any;

    // The very start of a text that begins with a space
    row("> at the start", QStringLiteral(" abc"), 0, ">", "> abc", 1) << any;
    row("enter at the start", QStringLiteral(" abc"), 0, "{Enter}", "\r\n abc", 2) << any;
}

void TestClosingTags::closing()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, keys);
    QFETCH(QString, expectedText);
    QFETCH(int, expectedCaret);
    QFETCH(QString, tagmain);

    const auto window = windowWith(text, caret);
    Form1 &form = *window->form;
    typeKeys(form, keys);
    QCOMPARE(form.Text1.Text(), expectedText);
    QCOMPARE(form.Text1.SelStart(), expectedCaret);
    if (tagmain != QLatin1String("*"))
        QCOMPARE(form.assist.Tagmain, tagmain);
}

QTEST_MAIN(TestClosingTags)
#include "tst_closingtags.moc"
