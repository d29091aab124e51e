#include "assisttesting.h"
#include "doubles/testwindow.h"

#include "platform/units.h"

#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QTest>

// Where a pop-up list appears: at the caret, kept inside the window's right and bottom edges.
class TestPlacement : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void listAtTheCaret_data();
    void listAtTheCaret();
    void visibleListStaysWhereItIs();

private:
    Form1 &form() { return *m_window->form; }
    double lineOffset() { return form().window.TextHeight(QStringLiteral("Test")) * 3 / 2; }
    // The caret's cell in window twips.
    QPointF caretAt(int index);

    std::unique_ptr<TestWindow> m_window;
};

void TestPlacement::initTestCase()
{
    m_window = std::make_unique<TestWindow>();
    m_window->load();
}

// The editor fills the lower half of the window, whatever the layout did before.
void TestPlacement::init()
{
    Form1 &f = form();
    f.Timer1.setEnabled(false);
    f.List1.setVisible(false);
    f.List2.setVisible(false);
    f.Text1.setFontSize(12);
    f.Text1.Move(0, f.window.ScaleHeight() / 2, f.window.ScaleWidth(), f.window.ScaleHeight() / 2);
    f.Text1.SetFocus();
    QTRY_VERIFY(f.Text1.editor()->hasFocus());
}

QPointF TestPlacement::caretAt(int index)
{
    const QPoint pixels = form().Text1.PosFromChar(index);
    return {form().Text1.Left() + Units::toTwipsX(pixels.x()),
            form().Text1.Top() + Units::toTwipsY(pixels.y())};
}

void TestPlacement::listAtTheCaret_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<double>("editorFontSize");
    QTest::addColumn<bool>("above");
    QTest::addColumn<bool>("leftOfCaret");

    QTest::addRow("end of the text") << QStringLiteral("end") << 12.0 << false << false;
    QTest::addRow("large editor font") << QStringLiteral("end") << 28.0 << false << false;
    QTest::addRow("near the right edge") << QStringLiteral("right") << 12.0 << false << true;
    QTest::addRow("near the bottom edge") << QStringLiteral("bottom") << 12.0 << true << false;
    QTest::addRow("line scrolled sideways") << QStringLiteral("scrolled") << 12.0 << false << true;
}

void TestPlacement::listAtTheCaret()
{
    QFETCH(QString, where);
    QFETCH(double, editorFontSize);
    QFETCH(bool, above);
    QFETCH(bool, leftOfCaret);

    Form1 &f = form();
    f.Text1.setFontSize(editorFontSize);
    const QFontMetrics metrics(f.Text1.editor()->font());
    const int viewportWidth = f.Text1.editor()->viewport()->width();
    const int viewportHeight = f.Text1.editor()->viewport()->height();

    QString text = QStringLiteral("ab");
    if (where == QLatin1String("right"))
        text = QString((viewportWidth - Units::toPixelsX(f.List1.Width()) / 2) /
                           metrics.horizontalAdvance(u'x'),
                       u'x');
    else if (where == QLatin1String("scrolled"))
        text = QString(300, u'x');
    else if (where == QLatin1String("bottom"))
        text = QStringLiteral("x\r\n").repeated(viewportHeight / metrics.lineSpacing() - 2);
    f.Text1.setText(text);
    f.Text1.setSelStart(int(text.size()));
    AssistTesting::typeKeys(f, QStringLiteral("<"));

    QVERIFY(f.List1.Visible());
    QVERIFY(!f.List2.Visible());
    const QPointF cell = caretAt(f.Text1.SelStart());

    const bool passesRight = cell.x() + f.List1.Width() > f.window.ScaleWidth();
    const bool passesBottom = cell.y() + lineOffset() + f.List1.Height() > f.window.ScaleHeight();
    QCOMPARE(passesRight, leftOfCaret); // the row places the caret where it says
    QCOMPARE(passesBottom, above);

    const double left = leftOfCaret ? cell.x() - f.List1.Width() : cell.x();
    const double top = above ? cell.y() - f.List1.Height() : cell.y() + lineOffset();
    QCOMPARE(qRound(f.List1.Left()), qRound(left));
    QCOMPARE(qRound(f.List1.Top()), qRound(top));
    QCOMPARE(f.assist.Attop, above);
}

// Typing on, even onto the next line, changes the selection but not the place.
void TestPlacement::visibleListStaysWhereItIs()
{
    Form1 &f = form();
    f.Text1.setText(QStringLiteral("<script>"));
    f.Text1.setSelStart(8);
    AssistTesting::typeKeys(f, QStringLiteral("<t"));
    QVERIFY(f.List1.Visible());
    const QPointF placed(f.List1.Left(), f.List1.Top());

    AssistTesting::typeKeys(f, QStringLiteral("{Enter}ta"));
    QCOMPARE(f.Text1.Text(), QStringLiteral("<script><t\r\nta"));
    QVERIFY(f.List1.Visible());
    QCOMPARE(QPointF(f.List1.Left(), f.List1.Top()), placed);
}

QTEST_MAIN(TestPlacement)
#include "tst_placement.moc"
