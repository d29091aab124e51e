#include "testwindow.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using Selection = QPair<int, int>;

// The find and replace panel on the real editor: opening and closing, Find (next), Replace
// and Rp all, with the message box answered by the double.
class TestFindPanel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void f3OpensAndClosesThePanel();
    void closeButtonClosesThePanel();
    void shortWindowGivesTheEditorHeightBack();
    void findNext_data();
    void findNext();
    void findBoxFocusStartsOver();
    void replace_data();
    void replace();
    void replaceAll_data();
    void replaceAll();

private:
    void open(const QString &text, const QString &find, const QString &replacement = QString(),
              int matchCase = 0);
    static void click(Button &button);
    Selection selection() const;
    int completeMessages() const;

    std::unique_ptr<TestWindow> m_test;
    Form1 *m_form = nullptr;
    int m_changes = 0;
};

void TestFindPanel::init()
{
    m_test = std::make_unique<TestWindow>();
    m_test->load();
    m_form = m_test->form.get();
    m_changes = 0;
    m_form->Text1.onChange([this] {
        ++m_changes;
        m_form->Text1_Change();
    });
}

void TestFindPanel::cleanup()
{
    m_test.reset();
    m_form = nullptr;
}

void TestFindPanel::open(const QString &text, const QString &find, const QString &replacement,
                         int matchCase)
{
    m_form->Text1.setText(text);
    m_form->Text1.SetFocus();
    QTest::keyClick(m_form->Text1.editor(), Qt::Key_F3);
    QVERIFY(m_form->Frame1.Enabled());
    m_form->Text2.setText(find);
    m_form->Text3.setText(replacement);
    m_form->Check1.setValue(matchCase);
    m_changes = 0;
}

void TestFindPanel::click(Button &button)
{
    QVERIFY(button.Visible());
    QTest::mouseClick(button.button(), Qt::LeftButton);
}

Selection TestFindPanel::selection() const
{
    return {m_form->Text1.SelStart(), m_form->Text1.SelLength()};
}

int TestFindPanel::completeMessages() const
{
    int count = 0;
    for (const FakeMessageBox::Shown &box : m_test->messageBox.shown) {
        if (box.prompt == QStringLiteral("Search complete!") && box.buttons == 64 &&
            box.title == QStringLiteral("Result"))
            ++count;
    }
    return count;
}

void TestFindPanel::f3OpensAndClosesThePanel()
{
    QCOMPARE(m_form->Check1.Caption(), QStringLiteral("Match case"));
    m_form->Text1.setText(QStringLiteral("some text"));
    m_form->Text1.SetFocus();
    m_form->Text1.setSelStart(5);
    const double height = m_form->Text1.Height();

    QTest::keyClick(m_form->Text1.editor(), Qt::Key_F3);
    QVERIFY(m_form->Frame1.Enabled());
    QCOMPARE(m_form->Frame1.Top(), 0.0);
    for (const Button *button :
         {&m_form->Command1, &m_form->Command2, &m_form->Command3, &m_form->Command4})
        QVERIFY(button->Visible());
    QVERIFY(m_form->Text2.lineEdit()->hasFocus());
    QCOMPARE(m_form->Text1.SelStart(), 0);
    QCOMPARE(m_form->Text1.Height(), height - 487.5);

    // F3 works from the find box too.
    QTest::keyClick(m_form->Text2.lineEdit(), Qt::Key_F3);
    QVERIFY(!m_form->Frame1.Enabled());
    for (const Button *button :
         {&m_form->Command1, &m_form->Command2, &m_form->Command3, &m_form->Command4})
        QVERIFY(!button->Visible());
    QCOMPARE(m_form->Text1.Height(), height);
    QVERIFY(m_form->Text1.editor()->hasFocus());
}

void TestFindPanel::closeButtonClosesThePanel()
{
    const double height = m_form->Text1.Height();
    open(QStringLiteral("abc"), QStringLiteral("b"));
    m_form->Text2.setText(QStringLiteral("kept"));
    click(m_form->Command3);
    QVERIFY(!m_form->Frame1.Enabled());
    QCOMPARE(m_form->Text1.Height(), height);
    QVERIFY(m_form->Text1.editor()->hasFocus());
    m_form->search_Click();
    QCOMPARE(m_form->Text2.Text(), QStringLiteral("kept"));
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

void TestFindPanel::findNext_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("find");
    QTest::addColumn<int>("matchCase");
    QTest::addColumn<Selection>("start");
    QTest::addColumn<QList<Selection>>("steps"); // the selection after each click
    QTest::addColumn<int>("messages");

    const QString mixed = QStringLiteral("xx ABC abc");
    QTest::addRow("case ignored") << mixed << QStringLiteral("abc") << 0 << Selection(0, 0)
                                  << QList<Selection>{{3, 3}, {7, 3}} << 0;
    QTest::addRow("greyed ignores case too")
        << mixed << QStringLiteral("abc") << 2 << Selection(0, 0) << QList<Selection>{{3, 3}} << 0;
    QTest::addRow("match case") << mixed << QStringLiteral("abc") << 1 << Selection(0, 0)
                                << QList<Selection>{{7, 3}} << 0;
    QTest::addRow("non-overlapping, no wrap, message repeated")
        << QStringLiteral("aaa") << QStringLiteral("aa") << 0 << Selection(0, 0)
        << QList<Selection>{{0, 2}, {0, 2}, {0, 2}} << 2;
    QTest::addRow("caret at the end")
        << mixed << QStringLiteral("x") << 0 << Selection(10, 0) << QList<Selection>{{10, 0}} << 1;
    QTest::addRow("after a line break")
        << QStringLiteral("ab\r\ncd\r\ncd") << QStringLiteral("cd") << 0 << Selection(0, 4)
        << QList<Selection>{{4, 2}, {8, 2}} << 0;
    QTest::addRow("empty find text") << QStringLiteral("abcdef") << QString() << 0
                                     << Selection(1, 2) << QList<Selection>{{3, 0}, {3, 0}} << 0;
    QTest::addRow("empty find text at the end") << QStringLiteral("ab") << QString() << 0
                                                << Selection(2, 0) << QList<Selection>{{2, 0}} << 1;
    QTest::addRow("empty editor") << QString() << QStringLiteral("a") << 0 << Selection(0, 0)
                                  << QList<Selection>{{0, 0}} << 1;
}

void TestFindPanel::findNext()
{
    QFETCH(QString, text);
    QFETCH(QString, find);
    QFETCH(int, matchCase);
    QFETCH(Selection, start);
    QFETCH(QList<Selection>, steps);
    QFETCH(int, messages);

    open(text, find, QString(), matchCase);
    m_form->Text1.setSelStart(start.first);
    m_form->Text1.setSelLength(start.second);
    for (const Selection &expected : steps) {
        click(m_form->Command1);
        QCOMPARE(selection(), expected);
        QVERIFY(m_form->Text1.editor()->hasFocus());
    }
    QCOMPARE(completeMessages(), messages);
    QCOMPARE(m_form->Text1.Text(), text);
    QCOMPARE(m_changes, 0);
}

void TestFindPanel::findBoxFocusStartsOver()
{
    open(QStringLiteral("ab ab"), QStringLiteral("ab"));
    click(m_form->Command1);
    click(m_form->Command1);
    QCOMPARE(selection(), Selection(3, 2));
    QTest::mouseClick(m_form->Text2.lineEdit(), Qt::LeftButton);
    QCOMPARE(selection(), Selection(0, 0));
    click(m_form->Command1);
    QCOMPARE(selection(), Selection(0, 2));
}

void TestFindPanel::replace_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<Selection>("start");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QString>("result");
    QTest::addColumn<Selection>("selected");
    QTest::addColumn<int>("messages");

    QTest::addRow("no selection only searches")
        << QStringLiteral("a b a") << QStringLiteral("a") << QStringLiteral("x") << Selection(1, 0)
        << 1 << QStringLiteral("a b a") << Selection(4, 1) << 0;
    QTest::addRow("any selection is replaced")
        << QStringLiteral("one two one") << QStringLiteral("one") << QStringLiteral("X")
        << Selection(4, 3) << 1 << QStringLiteral("one X one") << Selection(6, 3) << 0;
    QTest::addRow("inserted text is never found again")
        << QStringLiteral("a a a") << QStringLiteral("a") << QStringLiteral("ab") << Selection(0, 1)
        << 3 << QStringLiteral("ab ab ab") << Selection(6, 2) << 1;
    QTest::addRow("empty replacement")
        << QStringLiteral("abcabc") << QStringLiteral("b") << QString() << Selection(1, 1) << 1
        << QStringLiteral("acabc") << Selection(3, 1) << 0;
    QTest::addRow("across a line break")
        << QStringLiteral("a\r\nb a") << QStringLiteral("a") << QStringLiteral("c")
        << Selection(0, 1) << 1 << QStringLiteral("c\r\nb a") << Selection(5, 1) << 0;
}

void TestFindPanel::replace()
{
    QFETCH(QString, text);
    QFETCH(QString, find);
    QFETCH(QString, replacement);
    QFETCH(Selection, start);
    QFETCH(int, clicks);
    QFETCH(QString, result);
    QFETCH(Selection, selected);
    QFETCH(int, messages);

    open(text, find, replacement);
    m_form->Text1.setSelStart(start.first);
    m_form->Text1.setSelLength(start.second);
    for (int i = 0; i < clicks; ++i)
        click(m_form->Command2);
    QCOMPARE(m_form->Text1.Text(), result);
    QCOMPARE(selection(), selected);
    QCOMPARE(completeMessages(), messages);
}

void TestFindPanel::replaceAll_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<int>("matchCase");
    QTest::addColumn<QString>("result");

    QTest::addRow("exact, box unchecked") << QStringLiteral("abc ABC") << QStringLiteral("abc")
                                          << QStringLiteral("x") << 0 << QStringLiteral("x ABC");
    QTest::addRow("exact, box checked") << QStringLiteral("abc ABC") << QStringLiteral("abc")
                                        << QStringLiteral("x") << 1 << QStringLiteral("x ABC");
    QTest::addRow("non-overlapping") << QStringLiteral("aaa") << QStringLiteral("aa")
                                     << QStringLiteral("b") << 0 << QStringLiteral("ba");
    QTest::addRow("replacement holds the find text")
        << QStringLiteral("a-a\r\na") << QStringLiteral("a") << QStringLiteral("aa") << 0
        << QStringLiteral("aa-aa\r\naa");
    QTest::addRow("empty find text")
        << QStringLiteral("abc") << QString() << QStringLiteral("x") << 0 << QStringLiteral("abc");
    QTest::addRow("nothing found") << QStringLiteral("abc") << QStringLiteral("z")
                                   << QStringLiteral("x") << 0 << QStringLiteral("abc");
}

// One assignment of the whole text: one change event and no message.
void TestFindPanel::replaceAll()
{
    QFETCH(QString, text);
    QFETCH(QString, find);
    QFETCH(QString, replacement);
    QFETCH(int, matchCase);
    QFETCH(QString, result);

    open(text, find, replacement, matchCase);
    click(m_form->Command4);
    QCOMPARE(m_form->Text1.Text(), result);
    QCOMPARE(m_changes, result == text ? 0 : 1);
    QVERIFY(m_test->messageBox.shown.isEmpty());
}

QTEST_MAIN(TestFindPanel)
#include "tst_findpanel.moc"
