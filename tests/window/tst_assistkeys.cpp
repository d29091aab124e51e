#include "assisttesting.h"

#include "platform/units.h"

#include <QFontMetrics>
#include <QTextBlock>

using namespace AssistTesting;

// Markup typed as a person types it: which pop-up list shows and which word it selects; Space,
// the arrows, Enter and Escape in and out of the lists; closing tags written behind the caret
// when ">" or Enter finishes an opening tag, and the ">" that Enter types first inside one;
// where a list appears: at the caret, inside the window's right and bottom edges, staying there.
// The page checks: the tags that pair, the moves to the partner, to a line and to the problems,
// the words underlined and the suggestions; what the right-hand part of the status bar says
// after the page is opened, typed in, moved through and saved.
class TestAssistKeys : public QObject
{
    Q_OBJECT

private slots:
    void completion_data();
    void completion() { checkKeyRow(); }
    void popupKeys_data();
    void popupKeys() { checkKeyRow(); }
    void closingTags_data();
    void closingTags() { checkKeyRow(); }
    void listAtTheCaret_data();
    void listAtTheCaret();
    void pageChecks_data();
    void pageChecks();
    void suggestionReplacesTheWord();
};

void TestAssistKeys::completion_data()
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

void TestAssistKeys::popupKeys_data()
{
    QTest::addColumn<KeyCase>("row");
    keyRow("tag name", "", 0, "<ta ", "<table ", 7, "List2", "table");
    keyRow("capitals kept", "", 0, "<TA ", "<TAble ", 7, "List2");
    keyRow("closing tag", "", 0, "</ta ", "</table> ", 9, "");
    keyRow("quoted value", "", 0, "<font face=\"ari ", "<font face=\"arial\" ", 19, "List2");
    keyRow("quote there", "<font face=\"\">", 12, "ari ", "<font face=\"arial\" >", 19, "List2");
    keyRow("unquoted value", "", 0, "<font color=re ", "<font color=red ", 16, "List2");
    keyRow("attribute name", "", 0, "<table bo ", "<table border=", 14, "List1", "table");
    keyRow("event name", "", 0, "<a onm ", "<a onmouseMove=", 15, "List1");
    keyRow("shift space", "", 0, "<ta{Shift+Space}", "<ta ", 4, "List2");
    keyRow("nothing found", "", 0, "<tablex ", "<tablex ", 8, "List2");

    keyRow("up and down in the list", "", 0, "<ta{Down}{Down}{Up}", "<ta", 3, "List1 tbody*", "ta");
    keyRow("space in a list", "", 0, "<table b{Down} ", "<table background=", 18, "List1", "table");
    keyRow("list word for capitals", "", 0, "<TA{Down}{Up} ", "<table", 6, "List1 table", "table");
    keyRow("space in the list after home", "", 0, "<table bor{Home}{Down} ", "bordercolor=ble bor",
           12, "");
    keyRow("space in the list near the start", "", 0, "<ta{Home}{Right}{Down} ", "tbodya", 5, "");
    keyRow("ctrl+space", "", 0, "<ta{Ctrl+Space}", "<ta ", 4, "List2");
    keyRow("shift+enter closes the tag", "", 0, "<table{Shift+Return}", "<table></table>", 7, "");
    keyRow("keypad enter closes the tag", "", 0, "<table{Num+Enter}", "<table></table>", 7, "");
    keyRow("ctrl+enter after br", "", 0, "<br{Ctrl+Return}", "<br>\r\n", 6, "");
    keyRow("shift+enter after br", "", 0, "<br{Shift+Return}", "<br>\r\n", 6, "");
    keyRow("up at the first item", "", 0, "<A{Up}", "<A", 2, "List1 a", "A");
    keyRow("word already complete", "\r\nxyz", 0, "<table{Down}", "<table\r\nxyz", 11, "", "");
    keyRow("nothing selected", "", 0, "<td {Down}>", "<td> ", 4, "", "");

    keyRow("escape", "", 0, "<ta{Esc}", "<ta", 3, "", "ta");
    keyRow("left in the editor", "", 0, "<ta{Left}", "<ta", 2, "List1 table");
    keyRow("left in the list", "", 0, "<ta{Down}{Left}", "<ta", 3, "");
    keyRow("right in the list", "", 0, "<table b{Down}{Right}", "<table b", 8, "");
    keyRow("click", " abc", 0, "<ta{Click=7}", "<ta abc", 7, "", "ta");
    keyRow("backspace forgets the tag", " x>", 0, "<td{End}{Backspace}>", "<td x>", 6, "", "");
    keyRow("delete forgets the tag", " x>", 0, "<td{End}{Left}{Del}>", "<td x>", 6, "", "");
}

void TestAssistKeys::closingTags_data()
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

void TestAssistKeys::listAtTheCaret_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<double>("fontSize");

    QTest::addRow("end of the text") << QStringLiteral("end") << 12.0;
    QTest::addRow("large editor font") << QStringLiteral("end") << 28.0;
    QTest::addRow("near the right edge") << QStringLiteral("right") << 12.0;
    QTest::addRow("near the bottom edge") << QStringLiteral("bottom") << 12.0;
    QTest::addRow("line scrolled sideways") << QStringLiteral("scrolled") << 12.0;
}

void TestAssistKeys::listAtTheCaret()
{
    QFETCH(QString, where);
    QFETCH(double, fontSize);
    const bool above = where == QLatin1String("bottom");
    const bool leftOfCaret = where == QLatin1String("right") || where == QLatin1String("scrolled");

    const auto window = windowWith(QString(), 0);
    Form1 &f = *window->form;
    // The editor, in the row's font size, stays in the lower half.
    f.Timer1.setEnabled(false);
    f.Text1.setFontSize(fontSize);
    f.Text1.Move(0, f.window.ScaleHeight() / 2, f.window.ScaleWidth(), f.window.ScaleHeight() / 2);
    const QFontMetrics metrics(f.Text1.editor()->font());
    const QSize viewport = f.Text1.editor()->viewport()->size();
    QString text = QStringLiteral("ab");
    if (where == QLatin1String("right"))
        text = QString((viewport.width() - Units::toPixelsX(f.List1.Width()) / 2) /
                           metrics.horizontalAdvance(u'x'),
                       u'x');
    else if (where == QLatin1String("scrolled"))
        text = QString(300, u'x');
    else if (where == QLatin1String("bottom"))
        text = QStringLiteral("x\r\n").repeated(viewport.height() / metrics.lineSpacing() - 2);
    f.Text1.setText(text);
    f.Text1.setSelStart(int(text.size()));
    typeKeys(f, QStringLiteral("<"));
    QCOMPARE(seenLists(f), QStringLiteral("List1"));

    // The caret's cell in window twips, and the line offset in the window's font.
    const QPoint pixels = f.Text1.PosFromChar(f.Text1.SelStart());
    const double x = f.Text1.Left() + Units::toTwipsX(pixels.x());
    const double y = f.Text1.Top() + Units::toTwipsY(pixels.y());
    const double lineOffset = f.window.TextHeight(QStringLiteral("Test")) * 3 / 2;
    // The row puts the caret where it says.
    QCOMPARE(x + f.List1.Width() > f.window.ScaleWidth(), leftOfCaret);
    QCOMPARE(y + lineOffset + f.List1.Height() > f.window.ScaleHeight(), above);

    QCOMPARE(qRound(f.List1.Left()), qRound(leftOfCaret ? x - f.List1.Width() : x));
    QCOMPARE(qRound(f.List1.Top()), qRound(above ? y - f.List1.Height() : y + lineOffset));
    QCOMPARE(f.assist.Attop, above);

    // Typing on changes the selection but not the place.
    const QPointF placed(f.List1.Left(), f.List1.Top());
    typeKeys(f, QStringLiteral("ta"));
    QCOMPARE(seenLists(f), QStringLiteral("List1 table"));
    QCOMPARE(QPointF(f.List1.Left(), f.List1.Top()), placed);
}

void TestAssistKeys::pageChecks_data()
{
    QTest::addColumn<QByteArray>("page"); // opened, the caret at the start
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("caret");      // -1: not looked at
    QTest::addColumn<QString>("paired"); // the starts of the tags marked as a pair
    QTest::addColumn<QString>("status"); // empty: not looked at
    const auto row = [](const char *name, const QByteArray &page, const char *keys, int caret,
                        const char *paired, const char *status = "") {
        QTest::addRow("%s", name) << page << QString::fromUtf8(keys) << caret
                                  << QString::fromUtf8(paired) << QString::fromUtf8(status);
    };
    const QByteArray nested = "<div><p>a</p></div>";
    row("start tag to its end tag", nested, "{Right}{Ctrl+E}", 13, "0 13");
    row("end tag back to its start", nested, "{End}{Left}{Left}{Left}{Left}{Ctrl+E}", 0, "0 13");
    row("unclosed stays", "<p><b>x</p>", "{Right}{Right}{Right}{Right}{Ctrl+E}", 4, "");
    row("far pair not marked, but found", "<div>" + QByteArray(40000, 'x') + "</div>",
        "{Right}{Ctrl+E}", 40005, "");
    const QByteArray lines = "<p>a</span>\r\n<b>\r\n<img src=x.png alt=x>\r\n";
    row("go to line", lines, "{Ctrl+G}", 13, "");
    row("next problem", lines, "{F8}", 4, "");
    row("next problems", lines, "{F8}{F8}{F8}", 27, "");
    row("previous problem, round", lines, "{Shift+F8}", 27, "");
    row("next problem after characters beyond the BMP",
        QByteArray(lines).insert(3, "\xF0\x9F\x98\x80\xF0\x9F\x98\x80"), "{F8}", 8, "");
    const QByteArray page = "<p>a</p>\r\n<p>bc</p>\r\n";
    row("opened", page, "", -1, "", "Ln 1, Col 1   UTF-8 CRLF");
    row("moved", page, "{Down}{End}", -1, "", "Ln 2, Col 10   UTF-8 CRLF");
    row("typed", page, "xy", -1, "", "Ln 1, Col 3   Modified   UTF-8 CRLF");
    row("saved", page, "xy{Ctrl+S}", -1, "", "Ln 1, Col 3   UTF-8 CRLF");
    row("undone to the saved text", page, "x{Alt+Backspace}", -1, "",
        "Ln 1, Col 1   Modified   UTF-8 CRLF");
    row("tab one column", "\t\tx\r\n", "{End}", -1, "", "Ln 1, Col 4   UTF-8 CRLF");
    row("windows-1252 LF", "<p>caf\xe9</p>\n<p>\n", "{Down}", -1, "",
        "Ln 2, Col 1   Windows-1252 LF");
    row("utf-16 LE", QByteArray("\xff\xfe<\0p\0>\0\r\0\n\0", 12), "{Right}", -1, "",
        "Ln 1, Col 2   UTF-16LE CRLF");
    row("problems", "<img src=a.png>\r\n", "", -1, "", "Ln 1, Col 1   UTF-8 CRLF   2 problems");
    row("one problem, typed", page, "{End}<blurp>", -1, "",
        "Ln 1, Col 16   Modified   UTF-8 CRLF   1 problem");
}

void TestAssistKeys::pageChecks()
{
    QFETCH(QByteArray, page);
    QFETCH(QString, keys);
    QFETCH(int, caret);
    QFETCH(QString, paired);
    QFETCH(QString, status);
    TestWindow window;
    window.loadPage(page);
    Form1 &form = *window.form;
    window.messageBox.numbers = {2};
    form.Text1.SetFocus();
    // The problems are found in the background; the keys that move to them wait for them.
    if (keys.contains(QLatin1String("F8")))
        QTRY_VERIFY(form.window.permanentStatus().endsWith(QLatin1String(" problems")));
    typeKeys(form, keys);
    if (!status.isEmpty())
        QTRY_COMPARE(form.window.permanentStatus(), status);
    if (caret < 0)
        return;
    QCOMPARE(form.Text1.SelStart(), caret);
    QCOMPARE(QApplication::focusWidget(), form.Text1.editor());
    QStringList marked;
    for (const QTextEdit::ExtraSelection &mark : form.Text1.editor()->extraSelections()) {
        if (mark.format.background().style() != Qt::NoBrush)
            marked << QString::number(form.Text1.modelPosition(mark.cursor.selectionStart()));
    }
    marked.sort();
    QCOMPARE(marked.join(u' '), paired);
}

// Only the text and the alt and title values are underlined; a suggestion chosen from the menu
// opened from the keyboard replaces the word as one undo step.
void TestAssistKeys::suggestionReplacesTheWord()
{
    const QString page =
        QStringLiteral("<p clas=\"wrnog\" title=\"a bda title\">\U0001F600 The quikc fox</p>");
    const auto window = windowWith(page, int(page.indexOf(QStringLiteral("quikc"))) + 2);
    Form1 &form = *window->form;
    const auto underlined = [&form] {
        QStringList words;
        for (const QTextEdit::ExtraSelection &mark : form.Text1.editor()->extraSelections()) {
            if (mark.format.underlineStyle() == QTextCharFormat::WaveUnderline)
                words << mark.cursor.selectedText();
        }
        return words.join(u' ');
    };
    QTRY_COMPARE(underlined(), QStringLiteral("bda quikc"));
    const QString offered =
        chooseFromMenu(form.Text1.editor(), true, [](const QString &) { return true; });
    QCOMPARE(offered, QStringLiteral("quick"));
    QVERIFY(form.Text1.Text().contains(QStringLiteral("The quick fox")));
    QTest::keyClick(form.Text1.editor(), Qt::Key_Backspace, Qt::AltModifier);
    QCOMPARE(form.Text1.Text(), page);
}

QTEST_MAIN(TestAssistKeys)
#include "tst_assistkeys.moc"
