#include "assisttesting.h"

using namespace AssistTesting;

// Acceptance with Space, moving into a list and out of it, closing the lists.
class TestPopupKeys : public QObject
{
    Q_OBJECT

private slots:
    void keys_data();
    void keys() { checkKeyRow(); }
};

void TestPopupKeys::keys_data()
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
    keyRow("ctrl+shift+space", "", 0, "<ta{Ctrl+Shift+Space}", "<ta ", 4, "List2");
    keyRow("alt+space", "", 0, "<ta{Alt+Space}", "<ta ", 4, "List2");
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

QTEST_MAIN(TestPopupKeys)
#include "tst_popupkeys.moc"
