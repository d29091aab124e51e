#include "testwindow.h"

#include <QTest>

// Where the preview, the find panel with its buttons and the editor come to rest, and the
// timer that moves them there and stops once they have arrived.
class TestLayout : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void designedWindow_data();
    void designedWindow();
    void followsResize_data();
    void followsResize();
    void emptyInnerAreaAndBack();
    void timerStopsWhenSettledAndStartsAgain();

private:
    // Ticks until the timer stops; false if it never does.
    bool settle();
    // Everything within a twip of where the open flag puts it; the editor's height exact.
    void verifySettled(double width, double height, double editorHeight);

    std::unique_ptr<TestWindow> m_test;
    Form1 *m_form = nullptr;
};

void TestLayout::init()
{
    m_test = std::make_unique<TestWindow>();
    m_test->load();
    m_form = m_test->form.get();
}

bool TestLayout::settle()
{
    for (int tick = 0; tick < 1000 && m_form->Timer1.isRunning(); ++tick)
        m_form->Timer1_Timer();
    return !m_form->Timer1.isRunning();
}

void TestLayout::verifySettled(double width, double height, double editorHeight)
{
    const bool open = m_form->Frame1.Enabled();
    const double allowance = open ? 979 : 0;
    const double upper = (height - allowance) / 2;
    const auto near = [](double value, double expected) { return std::abs(value - expected) <= 1; };

    QCOMPARE(m_form->window.ScaleWidth(), width);
    QCOMPARE(m_form->window.ScaleHeight(), height);
    QVERIFY(near(m_form->WebBrowser1.Width(), width));
    QVERIFY(near(m_form->WebBrowser1.Height(), std::max(0.0, upper)));
    QVERIFY(near(m_form->Frame1.Top(), open ? upper + 2 : -975));
    QVERIFY(near(m_form->Command1.Top(), upper) && near(m_form->Command2.Top(), upper));
    QVERIFY(near(m_form->Command3.Top(), upper + 600) && near(m_form->Command4.Top(), upper + 600));
    QVERIFY(near(m_form->Text1.Top(), (height + allowance) / 2));
    QCOMPARE(m_form->Text1.Width(), width);
    QCOMPARE(m_form->Text1.Height(), editorHeight);
}

void TestLayout::designedWindow_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<double>("previewHeight");
    QTest::addColumn<double>("panelTop");
    QTest::addColumn<double>("editorTop");
    QTest::addColumn<double>("editorHeight");

    QTest::addRow("closed") << false << 3727.5 << -975.0 << 3727.5 << 3727.5;
    QTest::addRow("open") << true << 3238.0 << 3240.0 << 4217.0 << 3240.0;
}

void TestLayout::designedWindow()
{
    QFETCH(bool, open);
    QFETCH(double, previewHeight);
    QFETCH(double, panelTop);
    QFETCH(double, editorTop);
    QFETCH(double, editorHeight);

    if (open)
        m_form->search_Click();
    QVERIFY(settle());
    verifySettled(9690, 7455, editorHeight);
    QVERIFY(std::abs(m_form->WebBrowser1.Height() - previewHeight) <= 1);
    QVERIFY(std::abs(m_form->Frame1.Top() - panelTop) <= 1);
    QVERIFY(std::abs(m_form->Text1.Top() - editorTop) <= 1);
}

void TestLayout::followsResize_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addColumn<double>("editorHeight");

    QTest::addRow("closed, larger") << false << 12000.0 << 9000.0 << 4500.0;
    QTest::addRow("closed, smaller") << false << 6000.0 << 3000.0 << 1500.0;
    QTest::addRow("open, larger") << true << 12000.0 << 9000.0 << 4012.5;
    QTest::addRow("open, half not above the panel") << true << 9690.0 << 1950.0 << 975.0;
    QTest::addRow("open, shorter than the panel") << true << 3000.0 << 600.0 << 300.0;
}

// The editor's size follows at once, the rest glides; closing the panel afterwards gives the
// editor the lower half.
void TestLayout::followsResize()
{
    QFETCH(bool, open);
    QFETCH(double, width);
    QFETCH(double, height);
    QFETCH(double, editorHeight);

    if (open)
        m_form->search_Click();
    QVERIFY(settle());
    m_form->window.setInnerSize(width, height);
    QCOMPARE(m_form->Text1.Width(), width);
    QCOMPARE(m_form->Text1.Height(), editorHeight);
    QVERIFY(settle());
    verifySettled(width, height, editorHeight);
    if (open) {
        m_form->Command3_Click();
        QVERIFY(settle());
        verifySettled(width, height, height / 2);
    }
}

void TestLayout::emptyInnerAreaAndBack()
{
    QVERIFY(settle());
    m_form->window.setInnerSize(0, 0);
    QCOMPARE(m_form->Text1.Width(), 0.0);
    QCOMPARE(m_form->Text1.Height(), 0.0);
    QVERIFY(settle());
    QCOMPARE(m_form->Text1.Height(), 200.0);
    QVERIFY(m_form->WebBrowser1.Height() >= 5 && m_form->WebBrowser1.Height() <= 15);

    m_form->window.setInnerSize(9690, 7455);
    QVERIFY(settle());
    verifySettled(9690, 7455, 3727.5);
}

void TestLayout::timerStopsWhenSettledAndStartsAgain()
{
    // The real timer, started by the first resize, brings the preview up from the 20 twips
    // start-up gives it, and stops by itself.
    QTRY_VERIFY_WITH_TIMEOUT(!m_form->Timer1.isRunning(), 20000);
    verifySettled(9690, 7455, 3727.5);

    m_form->window.setInnerSize(7995, 6000);
    QVERIFY(m_form->Timer1.isRunning());
    QVERIFY(settle());
    m_form->search_Click();
    QVERIFY(m_form->Timer1.isRunning());
    QVERIFY(settle());
    m_form->search_Click();
    QVERIFY(m_form->Timer1.isRunning());
    QVERIFY(settle());
    m_form->search_Click();
    QVERIFY(settle());
    m_form->Command3_Click();
    QVERIFY(m_form->Timer1.isRunning());
    QVERIFY(settle());
    verifySettled(7995, 6000, 3000);
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
