#include "testwindow.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using Selection = QPair<int, int>;

// The find and replace panel on the real editor, message boxes answered by the double.
class TestFindPanel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void openAndClose();
    void shortWindowGivesTheEditorHeightBack();
    void commands_data();
    void commands();

private:
    bool isOpen() const;

    std::unique_ptr<TestWindow> m_test;
    Form1 *m_form = nullptr;
};

void TestFindPanel::init()
{
    m_test = std::make_unique<TestWindow>();
    m_test->load();
    m_test->messageBox.shown.clear(); // the new page's notice
    m_form = m_test->form.get();
}

bool TestFindPanel::isOpen() const
{
    const bool buttons = m_form->Command1.Visible() && m_form->Command2.Visible() &&
                         m_form->Command3.Visible() && m_form->Command4.Visible();
    return m_form->Frame1.Enabled() && buttons;
}

void TestFindPanel::openAndClose()
{
    QCOMPARE(m_form->Check1.Caption(), QStringLiteral("Match case"));
    m_form->Text1.setText(QStringLiteral("some text"));
    m_form->Text1.SetFocus();
    m_form->Text1.setSelStart(5);
    const double height = m_form->Text1.Height();

    QTest::keyClick(m_form->Text1.editor(), Qt::Key_F3);
    QVERIFY(isOpen());
    QCOMPARE(m_form->Frame1.Top(), 0.0);
    QVERIFY(m_form->Text2.lineEdit()->hasFocus());
    QCOMPARE(m_form->Text1.SelStart(), 0);
    QCOMPARE(m_form->Text1.Height(), height - 487.5);

    QTest::keyClick(m_form->Text2.lineEdit(), Qt::Key_F3);
    QVERIFY(!m_form->Frame1.Enabled());
    QVERIFY(!m_form->Command1.Visible() && !m_form->Command4.Visible());
    QCOMPARE(m_form->Text1.Height(), height);
    QVERIFY(m_form->Text1.editor()->hasFocus());

    m_form->search_Click();
    QTest::mouseClick(m_form->Command3.button(), Qt::LeftButton);
    QVERIFY(!m_form->Frame1.Enabled());
    QCOMPARE(m_form->Text1.Height(), height);
    QVERIFY(m_form->Text1.editor()->hasFocus());
}

// Opening never sets a negative height, and closing gives back what opening took.
void TestFindPanel::shortWindowGivesTheEditorHeightBack()
{
    m_form->window.setInnerSize(9690, 300);
    QCOMPARE(m_form->Text1.Height(), 150.0);
    m_form->search_Click();
    QCOMPARE(m_form->Text1.Height(), 0.0);
    m_form->search_Click();
    QCOMPARE(m_form->Text1.Height(), 150.0);
}

void TestFindPanel::commands_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<int>("matchCase");
    QTest::addColumn<Selection>("start");
    QTest::addColumn<QString>("clicks"); // F Find (next), R Replace, A Rp all
    QTest::addColumn<QString>("result");
    QTest::addColumn<Selection>("selected");
    QTest::addColumn<int>("messages");
    QTest::addColumn<int>("changes");

    const QString mixed = QStringLiteral("xx ABC abc");
    const QString aaa = QStringLiteral("aaa");
    const QString abc = QStringLiteral("abc");
    const QString a = QStringLiteral("a");
    const QString x = QStringLiteral("x");
    const Selection none(0, 0);
    QTest::addRow("case ignored") << mixed << abc << x << 0 << none << "FF" << mixed
                                  << Selection(7, 3) << 0 << 0;
    QTest::addRow("match case") << mixed << abc << x << 1 << none << "F" << mixed << Selection(7, 3)
                                << 0 << 0;
    QTest::addRow("no overlap, no wrap") << aaa << QStringLiteral("aa") << x << 0 << none << "FFF"
                                         << aaa << Selection(0, 2) << 2 << 0;
    QTest::addRow("after a line break")
        << QStringLiteral("ab\r\ncd") << QStringLiteral("cd") << x << 0 << none << "F"
        << QStringLiteral("ab\r\ncd") << Selection(4, 2) << 0 << 0;
    QTest::addRow("empty find text")
        << abc << QString() << x << 0 << Selection(1, 1) << "F" << abc << Selection(2, 0) << 0 << 0;
    QTest::addRow("empty editor, empty find text")
        << QString() << QString() << x << 0 << none << "F" << QString() << none << 1 << 0;
    QTest::addRow("replace without selection searches")
        << QStringLiteral("a b a") << a << x << 0 << Selection(1, 0) << "R"
        << QStringLiteral("a b a") << Selection(4, 1) << 0 << 0;
    QTest::addRow("replace any selection")
        << QStringLiteral("one two one") << QStringLiteral("one") << x << 0 << Selection(4, 3)
        << "R" << QStringLiteral("one x one") << Selection(6, 3) << 0 << 1;
    QTest::addRow("replaced text not found again")
        << QStringLiteral("a a a") << a << QStringLiteral("ab") << 0 << Selection(0, 1) << "RRR"
        << QStringLiteral("ab ab ab") << Selection(6, 2) << 1 << 3;
    QTest::addRow("rp all exact") << QStringLiteral("abc ABC") << abc << x << 0 << none << "A"
                                  << QStringLiteral("x ABC") << none << 0 << 1;
    QTest::addRow("rp all exact, box checked") << QStringLiteral("abc ABC") << abc << x << 1 << none
                                               << "A" << QStringLiteral("x ABC") << none << 0 << 1;
    QTest::addRow("rp all no overlap")
        << aaa << QStringLiteral("aa") << QStringLiteral("b") << 0 << Selection(1, 0) << "A"
        << QStringLiteral("ba") << none << 0 << 1;
    QTest::addRow("rp all, empty find text")
        << abc << QString() << x << 0 << Selection(1, 0) << "A" << abc << Selection(1, 0) << 0 << 0;
}

void TestFindPanel::commands()
{
    QFETCH(QString, text);
    QFETCH(QString, find);
    QFETCH(QString, replacement);
    QFETCH(int, matchCase);
    QFETCH(Selection, start);
    QFETCH(QString, clicks);
    QFETCH(QString, result);
    QFETCH(Selection, selected);
    QFETCH(int, messages);
    QFETCH(int, changes);

    m_form->Text1.setText(text);
    m_form->search_Click();
    QVERIFY(isOpen());
    m_form->Text2.setText(find);
    m_form->Text3.setText(replacement);
    m_form->Check1.setValue(matchCase);
    m_form->Text1.setSelStart(start.first);
    m_form->Text1.setSelLength(start.second);
    int changed = 0;
    m_form->Text1.onChange([&] {
        ++changed;
        m_form->Text1_Change();
    });

    for (const QChar click : clicks) {
        Button &button = click == u'F'   ? m_form->Command1
                         : click == u'R' ? m_form->Command2
                                         : m_form->Command4;
        QTest::mouseClick(button.button(), Qt::LeftButton);
    }
    QCOMPARE(m_form->Text1.Text(), result);
    QCOMPARE(Selection(m_form->Text1.SelStart(), m_form->Text1.SelLength()), selected);
    QCOMPARE(changed, changes);
    int shown = 0;
    for (const FakeMessageBox::Shown &box : m_test->messageBox.shown) {
        QCOMPARE(box.prompt, QStringLiteral("Search complete!"));
        QCOMPARE(box.buttons, 64);
        QCOMPARE(box.title, QStringLiteral("Result"));
        ++shown;
    }
    QCOMPARE(shown, messages);
    if (!clicks.endsWith(u'A'))
        QVERIFY(m_form->Text1.editor()->hasFocus());
}

QTEST_MAIN(TestFindPanel)
#include "tst_findpanel.moc"
