#include "doubles/testwindow.h"

#include <QTest>

// The Insert menu's commands, run from their menu items on a page in the window.
class TestInsertMenu : public QObject
{
    Q_OBJECT

private slots:
    void wrapping_data();
    void wrapping();
    void help();
};

void TestInsertMenu::wrapping_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("expected"); // between "ab" and "cd"; | is the caret

    const auto command = [](const char *caption, const QString &wrapped) {
        for (const QString &selected : {QString(), QStringLiteral("x\r\n y")}) {
            QTest::addRow("%s %s", caption, selected.isEmpty() ? "empty" : "selection")
                << QString::fromUtf8(caption) << selected
                << QString(wrapped).replace(QLatin1String("%1"), selected);
        }
    };
    command("<table...", QStringLiteral("<table>\r\n   <tr>\r\n      <td>%1|</td>\r\n   "
                                        "</tr>\r\n</table>"));
    command("<p...", QStringLiteral("<p>%1|</p>"));
    command("<font...", QStringLiteral("<font face=>%1|</font>"));
    command("<a href...", QStringLiteral("<a href=>%1|</a>"));
    command("<br>", QStringLiteral("<br>%1|"));
    command("<img...", QStringLiteral("<img src=%1|>"));
    command("<script...", QStringLiteral("<script>\r\n%1|\r\n</script>"));
    command("<html...", QStringLiteral("<HTML>\r\n<HEAD>\r\n   <TITLE></TITLE>\r\n</head>\r\n"
                                       "<BODY>\r\n%1|\r\n\r\n</BODY>\r\n</HTML>"));
    command("<>...Other", QStringLiteral("<>%1|</>"));
    command("nbsp", QStringLiteral("&nbsp;|")); // replaces the selection
}

// The selection stays as it was between prefix and suffix, the caret ends right after it, and
// the change handler runs once (one preview reload).
void TestInsertMenu::wrapping()
{
    QFETCH(QString, caption);
    QFETCH(QString, selected);
    QFETCH(QString, expected);

    TestWindow tw;
    tw.load();
    EditControl &text1 = tw.form->Text1;
    text1.setText(QStringLiteral("ab") + selected + QStringLiteral("cd"));
    text1.setSelStart(2);
    text1.setSelLength(int(selected.size()));
    const qsizetype calls = tw.browser.calls.size();

    tw.trigger(caption);

    QCOMPARE(text1.Text(),
             QStringLiteral("ab") + QString(expected).remove(u'|') + QStringLiteral("cd"));
    QCOMPARE(text1.SelStart(), 2 + expected.indexOf(u'|'));
    QCOMPARE(text1.SelLength(), 0);
    QCOMPARE(tw.browser.calls.size(), calls + 1);
}

void TestInsertMenu::help()
{
    TestWindow tw;
    tw.load();
    const QString text = tw.form->Text1.Text();
    tw.trigger(QStringLiteral("Insert Help"));
    QCOMPARE(tw.messageBox.shown.constLast().prompt,
             QStringLiteral("If you select some characters before insert,\r\n"
                            "The tags would be added to the left and right."));
    QCOMPARE(tw.messageBox.shown.constLast().title, QStringLiteral("VLM"));
    QCOMPARE(tw.form->Text1.Text(), text);
}

QTEST_MAIN(TestInsertMenu)
#include "tst_insertmenu.moc"
