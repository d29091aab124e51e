#include "assisttesting.h"

using namespace AssistTesting;

// The keys and the click around the pop-up lists: acceptance with Space, moving into a list
// and out of it, closing the lists.
class TestPopupKeys : public QObject
{
    Q_OBJECT

private slots:
    void keys_data();
    void keys();
};

void TestPopupKeys::keys_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<int>("expectedCaret");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("tagmain"); // "*": not looked at

    const QString none;
    const QString any = QStringLiteral("*");
    const QString L1 = QStringLiteral("List1");
    const QString L2 = QStringLiteral("List2");
    const QString editor = QStringLiteral("editor");
    const auto row = [](const char *name, const QString &text, int caret, const char *keys,
                        const char *expected, int expectedCaret) -> QTestData & {
        return QTest::newRow(name) << text << caret << QString::fromUtf8(keys)
                                   << QString::fromUtf8(expected) << expectedCaret;
    };

    // Space in the editor
    row("tag name", none, 0, "<ta ", "<table ", 7) << L2 << none << editor << "table";
    row("capitals kept", none, 0, "<TA ", "<TAble ", 7) << L2 << none << editor << any;
    row("closing tag", none, 0, "</ta ", "</table> ", 9) << none << none << editor << any;
    row("quoted value", none, 0, "<font face=\"ari ", "<font face=\"arial\" ", 19)
        << L2 << none << editor << any;
    row("quotation mark already there", QStringLiteral("<font face=\"\">"), 12, "ari ",
        "<font face=\"arial\" >", 19)
        << L2 << none << editor << any;
    row("value without quotation mark", none, 0, "<font color=re ", "<font color=red ", 16)
        << L2 << none << editor << any;
    row("attribute name", none, 0, "<table bo ", "<table border=", 14)
        << L1 << none << editor << "table";
    row("attribute name typed in full", none, 0, "<table border ", "<table border=", 14)
        << L1 << none << editor << any;
    row("event name", none, 0, "<a onm ", "<a onmouseMove=", 15) << L1 << none << editor << any;
    row("shift space", none, 0, "<ta{ShiftSpace}", "<ta ", 4) << L2 << none << editor << any;
    row("nothing found", none, 0, "<tablex ", "<tablex ", 8) << L2 << none << editor << any;

    // Up and Down
    row("down into the list", none, 0, "<ta{Down}", "<ta", 3) << L1 << "tbody" << L1 << "ta";
    row("up and down in the list", none, 0, "<ta{Down}{Down}{Up}", "<ta", 3)
        << L1 << "tbody" << L1 << any;
    row("space in the list", none, 0, "<ta{Down} ", "<tbody", 6)
        << L1 << "tbody" << editor << "tbody";
    row("space in the attribute list", none, 0, "<table b{Down} ", "<table background=", 18)
        << L1 << none << editor << "table";
    row("list word replaces capitals", none, 0, "<TA{Down}{Up} ", "<table", 6)
        << L1 << "table" << editor << any;
    row("space in the list after home", none, 0, "<table bor{Home}{Down} ",
        "bordercolor=<table bor", 12)
        << none << none << editor << any;
    row("up at the first item", none, 0, "<A{Up}", "<A", 2) << L1 << "a" << editor << "A";
    row("word already complete", QStringLiteral("\r\nxyz"), 0, "<table{Down}", "<table\r\nxyz", 11)
        << none << none << editor << none;
    row("nothing selected", none, 0, "<td {Down}>", "<td> ", 4) << none << none << editor << none;

    // Closing the lists
    row("escape", none, 0, "<ta{Esc}", "<ta", 3) << none << none << editor << "ta";
    row("left in the editor", none, 0, "<ta{Left}", "<ta", 2) << L1 << "table" << editor << any;
    row("left in the list", none, 0, "<ta{Down}{Left}", "<ta", 3) << none << none << editor << any;
    row("right in the list", none, 0, "<table b{Down}{Right}", "<table b", 8)
        << none << none << editor << any;
    row("escape in the list", none, 0, "<ta{Down}{Esc}", "<ta", 3) << none << none << editor << any;
    row("click", QStringLiteral(" abc"), 0, "<ta{Click=7}", "<ta abc", 7)
        << none << none << editor << "ta";

    // Deleting a ">" forgets the tag name
    row("backspace", QStringLiteral(" x>"), 0, "<td{End}{BS}>", "<td x>", 6)
        << none << none << editor << none;
    row("delete", QStringLiteral(" x>"), 0, "<td{End}{Left}{Del}>", "<td x>", 6)
        << none << none << editor << none;
    row("backspace at the start", QStringLiteral("<td x"), 0, "{BS}", "<td x", 0)
        << none << none << editor << any;
}

void TestPopupKeys::keys()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, keys);
    QFETCH(QString, expectedText);
    QFETCH(int, expectedCaret);
    QFETCH(QString, list);
    QFETCH(QString, selected);
    QFETCH(QString, focus);
    QFETCH(QString, tagmain);

    const auto window = windowWith(text, caret);
    Form1 &form = *window->form;
    typeKeys(form, keys);
    QCOMPARE(form.Text1.Text(), expectedText);
    QCOMPARE(form.Text1.SelStart(), expectedCaret);
    QCOMPARE(visibleList(form), list);
    QCOMPARE(selectedWord(form), selected);
    const QWidget *focused = QApplication::focusWidget();
    const QString focusName = focused == form.Text1.editor()   ? QStringLiteral("editor")
                              : focused == form.List1.widget() ? QStringLiteral("List1")
                              : focused == form.List2.widget() ? QStringLiteral("List2")
                                                               : QStringLiteral("elsewhere");
    QCOMPARE(focusName, focus);
    if (tagmain != QLatin1String("*"))
        QCOMPARE(form.assist.Tagmain, tagmain);
}

QTEST_MAIN(TestPopupKeys)
#include "tst_popupkeys.moc"
