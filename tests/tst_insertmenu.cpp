#include "doubles/testwindow.h"

#include <QAction>
#include <QMainWindow>
#include <QTest>

// The Insert menu's commands, run from their menu items on a page in the window.
class TestInsertMenu : public QObject
{
    Q_OBJECT

private slots:
    void wrapping_data();
    void wrapping();
    void nbspReplacesTheSelection();
    void helpExplainsTheWrapping();

private:
    static void trigger(TestWindow &tw, const QString &caption);
};

void TestInsertMenu::trigger(TestWindow &tw, const QString &caption)
{
    const QList<QAction *> actions = tw.form->window.window()->findChildren<QAction *>();
    for (QAction *action : actions) {
        if (action->text() == caption) {
            action->trigger();
            return;
        }
    }
    QFAIL("no such menu item");
}

void TestInsertMenu::wrapping_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("expected"); // between "ab" and "cd"; | is the caret

    const QString table = QStringLiteral("<table>\r\n   <tr>\r\n      <td>%1|</td>\r\n   "
                                         "</tr>\r\n</table>");
    const QString page = QStringLiteral("<HTML>\r\n<HEAD>\r\n   <TITLE></TITLE>\r\n</head>\r\n"
                                        "<BODY>\r\n%1|\r\n\r\n</BODY>\r\n</HTML>");
    const struct
    {
        const char *caption;
        QString wrapped;
    } commands[] = {
        {"<table...", table},
        {"<p...", QStringLiteral("<p>%1|</p>")},
        {"<font...", QStringLiteral("<font face=>%1|</font>")},
        {"<a href...", QStringLiteral("<a href=>%1|</a>")},
        {"<br>", QStringLiteral("<br>%1|")},
        {"<img...", QStringLiteral("<img src=%1|>")},
        {"<script...", QStringLiteral("<script>\r\n%1|\r\n</script>")},
        {"<html...", page},
        {"<>...Other", QStringLiteral("<>%1|</>")},
    };
    for (const auto &command : commands) {
        QTest::addRow("%s empty", command.caption)
            << QString::fromUtf8(command.caption) << QString() << command.wrapped.arg(QString());
        const QString selected = QStringLiteral("x\r\n y");
        QTest::addRow("%s selection", command.caption)
            << QString::fromUtf8(command.caption) << selected << command.wrapped.arg(selected);
    }
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

    trigger(tw, caption);

    const qsizetype caret = expected.indexOf(u'|');
    QCOMPARE(text1.Text(),
             QStringLiteral("ab") + QString(expected).remove(u'|') + QStringLiteral("cd"));
    QCOMPARE(text1.SelStart(), 2 + caret);
    QCOMPARE(text1.SelLength(), 0);
    QCOMPARE(tw.browser.calls.size(), calls + 1);
}

void TestInsertMenu::nbspReplacesTheSelection()
{
    TestWindow tw;
    tw.load();
    EditControl &text1 = tw.form->Text1;
    text1.setText(QStringLiteral("a gone b"));
    text1.setSelStart(2);
    text1.setSelLength(4);
    trigger(tw, QStringLiteral("nbsp"));
    QCOMPARE(text1.Text(), QStringLiteral("a &nbsp; b"));
    QCOMPARE(text1.SelStart(), 8);
}

void TestInsertMenu::helpExplainsTheWrapping()
{
    TestWindow tw;
    tw.load();
    tw.messageBox.shown.clear();
    const QString text = tw.form->Text1.Text();
    trigger(tw, QStringLiteral("Insert Help"));
    QCOMPARE(tw.messageBox.shown.size(), 1);
    QCOMPARE(tw.messageBox.shown.at(0).prompt,
             QStringLiteral("If you select some characters before insert,\r\n"
                            "The tags would be added to the left and right."));
    QCOMPARE(tw.messageBox.shown.at(0).buttons, 0);
    QCOMPARE(tw.messageBox.shown.at(0).title, QStringLiteral("VLM"));
    QCOMPARE(tw.form->Text1.Text(), text);
}

QTEST_MAIN(TestInsertMenu)
#include "tst_insertmenu.moc"
