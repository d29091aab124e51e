#include "testwindow.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

// The text and selection before and after clicking buttons by number (1 Find, 2 Replace, 4 Rp
// all), the "Search complete!" boxes shown and the change events.
struct FindCase
{
    const char *text, *find, *replacement;
    int matchCase, selStart, selLength;
    const char *clicks, *result;
    int resultStart, resultLength, messages, changes;
};
Q_DECLARE_METATYPE(FindCase)

class TestFindPanel : public QObject
{
    Q_OBJECT

private slots:
    void openAndClose();
    void commands_data();
    void commands();
    void findBoxFocus_data();
    void findBoxFocus();
};

void TestFindPanel::openAndClose()
{
    TestWindow test;
    test.load();
    Form1 &form = *test.form;
    QCOMPARE(form.Check1.Caption(), QStringLiteral("Match case"));
    form.Text1.setText(QStringLiteral("some text"));
    form.Text1.SetFocus();
    const double height = form.Text1.Height();
    // F3 opens and closes; then the menu entry opens and "Close(F3)" closes.
    for (const bool byKey : {true, false}) {
        form.Text1.setSelStart(5);
        byKey ? QTest::keyClick(form.Text1.editor(), Qt::Key_F3) : form.search_Click();
        QVERIFY(form.Frame1.Enabled() && form.Command1.Visible() && form.Command4.Visible());
        QVERIFY(form.Text2.lineEdit()->hasFocus());
        QCOMPARE(form.Text1.SelStart(), 0);
        QCOMPARE(form.Text1.Height(), height - 487.5);
        byKey ? QTest::keyClick(form.Text2.lineEdit(), Qt::Key_F3)
              : QTest::mouseClick(form.Command3.button(), Qt::LeftButton);
        QVERIFY(!form.Frame1.Enabled() && !form.Command1.Visible() && !form.Command4.Visible());
        QCOMPARE(form.Text1.Height(), height);
        QVERIFY(form.Text1.editor()->hasFocus());
    }
    // Too short a window: opening takes only what the editor has and closing gives it back.
    form.window.setInnerSize(9690, 300);
    form.search_Click();
    QCOMPARE(form.Text1.Height(), 0.0);
    form.search_Click();
    QCOMPARE(form.Text1.Height(), 150.0);
}

void TestFindPanel::commands_data()
{
    QTest::addColumn<FindCase>("c");
    const auto row = [](const char *name, FindCase c) { QTest::newRow(name) << c; };
    row("case ignored", {"xx ABC abc", "abc", "x", 0, 0, 0, "11", "xx ABC abc", 7, 3, 0, 0});
    row("match case", {"xx ABC abc", "abc", "x", 1, 0, 0, "1", "xx ABC abc", 7, 3, 0, 0});
    row("no overlap, no wrap", {"aaa", "aa", "x", 0, 0, 0, "111", "aaa", 0, 2, 2, 0});
    row("after a line break", {"ab\r\ncd", "cd", "x", 0, 0, 0, "1", "ab\r\ncd", 4, 2, 0, 0});
    row("empty find text", {"abc", "", "x", 0, 1, 1, "1", "abc", 2, 0, 0, 0});
    row("replace only searches", {"a b a", "a", "x", 0, 1, 0, "2", "a b a", 4, 1, 0, 0});
    row("replace any selection",
        {"one two one", "one", "x", 0, 4, 3, "2", "one x one", 6, 3, 0, 1});
    row("replaced not found again", {"a a a", "a", "ab", 0, 0, 1, "222", "ab ab ab", 6, 2, 1, 3});
    row("rp all exact", {"abc ABC", "abc", "x", 0, 0, 0, "4", "x ABC", 0, 0, 0, 1});
    row("rp all no overlap", {"aaa", "aa", "b", 0, 1, 0, "4", "ba", 0, 0, 0, 1});
    row("rp all, empty find text", {"abc", "", "x", 0, 1, 0, "4", "abc", 1, 0, 0, 0});
}

void TestFindPanel::commands()
{
    QFETCH(FindCase, c);
    TestWindow test;
    test.load();
    test.messageBox.shown.clear(); // the new page's notice
    Form1 &form = *test.form;
    form.Text1.setText(QString::fromUtf8(c.text));
    form.search_Click();
    form.Text2.setText(QString::fromUtf8(c.find));
    form.Text3.setText(QString::fromUtf8(c.replacement));
    form.Check1.setValue(c.matchCase);
    form.Text1.setSelStart(c.selStart);
    form.Text1.setSelLength(c.selLength);
    int changes = 0;
    form.Text1.onChange([&] {
        ++changes;
        form.Text1_Change();
    });
    Button *const buttons[] = {&form.Command1, &form.Command2, &form.Command3, &form.Command4};
    for (const char click : QByteArray(c.clicks))
        QTest::mouseClick(buttons[click - '1']->button(), Qt::LeftButton);
    QCOMPARE(form.Text1.Text(), QString::fromUtf8(c.result));
    QCOMPARE(form.Text1.SelStart(), c.resultStart);
    QCOMPARE(form.Text1.SelLength(), c.resultLength);
    QCOMPARE(changes, c.changes);
    QCOMPARE(test.messageBox.shown.size(), c.messages);
    for (const FakeMessageBox::Shown &box : test.messageBox.shown)
        QCOMPARE(QStringLiteral("%1 %2 %3").arg(box.prompt).arg(box.buttons).arg(box.title),
                 QStringLiteral("Search complete! 64 Result"));
    if (!QByteArray(c.clicks).endsWith('4'))
        QVERIFY(form.Text1.editor()->hasFocus());
}

void TestFindPanel::findBoxFocus_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("expectedCaret");

    QTest::addRow("click into the box") << QStringLiteral("click") << 0;
    QTest::addRow("a menu closes") << QStringLiteral("menu") << 5;
}

// Only the focus arriving in the find box starts the search over; the focus coming back to
// it after a menu (or another window, or a message box) leaves the caret where it is.
void TestFindPanel::findBoxFocus()
{
    QFETCH(QString, how);
    QFETCH(int, expectedCaret);

    TestWindow test;
    test.load();
    Form1 &form = *test.form;
    QWidget *const window = form.window.window();
    QLineEdit *const findBox = form.Text2.lineEdit();
    form.Text1.setText(QStringLiteral("some text"));
    form.search_Click();
    QVERIFY(findBox->hasFocus());
    if (how == QLatin1String("click"))
        form.Text3.SetFocus();
    form.Text1.setSelStart(5);

    if (how == QLatin1String("click")) {
        QTest::mouseClick(findBox, Qt::LeftButton);
    } else {
        QMenu menu(window);
        menu.addAction(QStringLiteral("item"));
        menu.popup(window->mapToGlobal(QPoint(10, 10)));
        QVERIFY(QTest::qWaitForWindowExposed(&menu));
        QTest::keyClick(&menu, Qt::Key_Escape);
    }
    QTRY_VERIFY(findBox->hasFocus());
    QCOMPARE(form.Text1.SelStart(), expectedCaret);
}

QTEST_MAIN(TestFindPanel)
#include "tst_findpanel.moc"
