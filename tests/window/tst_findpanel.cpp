#include "testwindow.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

// Where everything comes to rest for a panel state and an inner size.
struct Settled
{
    bool open;
    double width, height, preview, panelTop, editorTop, editorHeight;
};
Q_DECLARE_METATYPE(Settled)

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

// The find panel: opening and closing, its commands and focus; and the timer that glides the
// preview, the panel with its buttons and the editor to their places and stops once there.
class TestFindPanel : public QObject
{
    Q_OBJECT

private slots:
    void openAndClose();
    void commands_data();
    void commands();
    void findBoxFocus();
    void settles_data();
    void settles();
    void timerStopsWhenSettledAndStartsAgain();
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
    row("rp all, nothing found", {"abc", "z", "x", 0, 1, 0, "4", "abc", 1, 0, 0, 0});
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

// Only the focus arriving in the find box starts the search over; the focus coming back to
// it after a menu (or another window, or a message box) leaves the caret where it is.
void TestFindPanel::findBoxFocus()
{
    TestWindow test;
    test.load();
    Form1 &form = *test.form;
    QLineEdit *const findBox = form.Text2.lineEdit();
    form.Text1.setText(QStringLiteral("some text"));
    form.search_Click();
    form.Text3.SetFocus();
    form.Text1.setSelStart(5);
    QTest::mouseClick(findBox, Qt::LeftButton);
    QTRY_VERIFY(findBox->hasFocus());
    QCOMPARE(form.Text1.SelStart(), 0);

    form.Text1.setSelStart(5);
    QMenu menu(form.window.window());
    menu.addAction(QStringLiteral("item"));
    menu.popup(form.window.window()->mapToGlobal(QPoint(10, 10)));
    QVERIFY(QTest::qWaitForWindowExposed(&menu));
    QTest::keyClick(&menu, Qt::Key_Escape);
    QTRY_VERIFY(findBox->hasFocus());
    QCOMPARE(form.Text1.SelStart(), 5);
}

// Ticks until the timer stops; false if it never does.
static bool settle(Form1 &form)
{
    for (int tick = 0; tick < 1000 && form.Timer1.isRunning(); ++tick)
        form.Timer1_Timer();
    return !form.Timer1.isRunning();
}

static void verifySettled(const Form1 &form, const Settled &s)
{
    const auto near = [](double value, double expected) { return std::abs(value - expected) <= 1; };
    const double buttons = s.open ? s.panelTop - 2 : s.preview;
    QVERIFY(near(form.WebBrowser1.Width(), s.width));
    QVERIFY(near(form.WebBrowser1.Height(), s.preview));
    QVERIFY(near(form.Frame1.Top(), s.panelTop));
    QVERIFY(near(form.Command1.Top(), buttons) && near(form.Command2.Top(), buttons));
    QVERIFY(near(form.Command3.Top(), buttons + 600) && near(form.Command4.Top(), buttons + 600));
    QVERIFY(near(form.Text1.Top(), s.editorTop));
    QCOMPARE(form.Text1.Width(), s.width);
    QCOMPARE(form.Text1.Height(), s.editorHeight);
}

void TestFindPanel::settles_data()
{
    QTest::addColumn<Settled>("s");
    const auto row = [](const char *name, Settled s) { QTest::newRow(name) << s; };
    row("designed, closed", {false, 9690, 7455, 3727.5, -975, 3727.5, 3727.5});
    row("designed, open", {true, 9690, 7455, 3238, 3240, 4217, 3240});
    row("closed, larger", {false, 12000, 9000, 4500, -975, 4500, 4500});
    row("closed, smaller", {false, 6000, 3000, 1500, -975, 1500, 1500});
    row("open, larger", {true, 12000, 9000, 4010.5, 4012.5, 4989.5, 4012.5});
    row("open, half not above the panel", {true, 9690, 1950, 485.5, 487.5, 1464.5, 975});
    row("open, shorter than the panel", {true, 3000, 600, 0, -187.5, 789.5, 300});
}

// The editor's size follows a resize at once, the rest glides; closing the panel afterwards
// gives the editor the lower half.
void TestFindPanel::settles()
{
    QFETCH(Settled, s);
    TestWindow test;
    test.load();
    Form1 &form = *test.form;
    if (s.open)
        form.search_Click();
    QVERIFY(settle(form));
    form.window.setInnerSize(s.width, s.height);
    QCOMPARE(form.Text1.Width(), s.width);
    QCOMPARE(form.Text1.Height(), s.editorHeight);
    QVERIFY(settle(form));
    verifySettled(form, s);
    if (s.open) {
        form.Command3_Click();
        QVERIFY(settle(form));
        const double half = s.height / 2;
        verifySettled(form, {false, s.width, s.height, half, -975, half, half});
    }
}

void TestFindPanel::timerStopsWhenSettledAndStartsAgain()
{
    TestWindow test;
    test.load();
    Form1 &form = *test.form;
    // The real timer, started by the first resize, stops by itself.
    QTRY_VERIFY_WITH_TIMEOUT(!form.Timer1.isRunning(), 20000);
    verifySettled(form, {false, 9690, 7455, 3727.5, -975, 3727.5, 3727.5});

    // An empty inner area: the guards keep both heights off zero, the preview bouncing.
    form.window.setInnerSize(0, 0);
    QCOMPARE(form.Text1.Width(), 0.0);
    QCOMPARE(form.Text1.Height(), 0.0);
    QVERIFY(form.Timer1.isRunning() && settle(form));
    QCOMPARE(form.Text1.Height(), 200.0);
    QVERIFY(form.WebBrowser1.Height() >= 5 && form.WebBrowser1.Height() <= 15);

    form.window.setInnerSize(7995, 6000);
    QVERIFY(form.Timer1.isRunning() && settle(form));
    form.search_Click();
    QVERIFY(form.Timer1.isRunning() && settle(form));
    form.Command3_Click();
    QVERIFY(form.Timer1.isRunning() && settle(form));
    verifySettled(form, {false, 7995, 6000, 3000, -975, 3000, 3000});
}

QTEST_MAIN(TestFindPanel)
#include "tst_findpanel.moc"
