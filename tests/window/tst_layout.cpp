#include "testwindow.h"

#include <QTest>

// Where everything comes to rest for a panel state and an inner size.
struct Settled
{
    bool open;
    double width, height, preview, panelTop, editorTop, editorHeight;
};
Q_DECLARE_METATYPE(Settled)

// The preview, the find panel with its buttons and the editor, and the timer that moves them
// to their places and stops once they have arrived.
class TestLayout : public QObject
{
    Q_OBJECT

private slots:
    void settles_data();
    void settles();
    void timerStopsWhenSettledAndStartsAgain();
};

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

void TestLayout::settles_data()
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
void TestLayout::settles()
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

void TestLayout::timerStopsWhenSettledAndStartsAgain()
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

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
