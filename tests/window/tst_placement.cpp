#include "assisttesting.h"

#include "platform/units.h"

#include <QFontMetrics>

using namespace AssistTesting;

// Where a pop-up list appears: at the caret, kept inside the window's right and bottom edges,
// and staying there while it shows.
class TestPlacement : public QObject
{
    Q_OBJECT

private slots:
    void listAtTheCaret_data();
    void listAtTheCaret();
};

// A window whose editor, in the given font size, stays in the lower half.
static std::unique_ptr<TestWindow> lowerHalfEditor(double fontSize)
{
    auto window = windowWith(QString(), 0);
    Form1 &f = *window->form;
    f.Timer1.setEnabled(false);
    f.Text1.setFontSize(fontSize);
    f.Text1.Move(0, f.window.ScaleHeight() / 2, f.window.ScaleWidth(), f.window.ScaleHeight() / 2);
    return window;
}

void TestPlacement::listAtTheCaret_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<double>("fontSize");

    QTest::addRow("end of the text") << QStringLiteral("end") << 12.0;
    QTest::addRow("large editor font") << QStringLiteral("end") << 28.0;
    QTest::addRow("near the right edge") << QStringLiteral("right") << 12.0;
    QTest::addRow("near the bottom edge") << QStringLiteral("bottom") << 12.0;
    QTest::addRow("line scrolled sideways") << QStringLiteral("scrolled") << 12.0;
}

void TestPlacement::listAtTheCaret()
{
    QFETCH(QString, where);
    QFETCH(double, fontSize);
    const bool above = where == QLatin1String("bottom");
    const bool leftOfCaret = where == QLatin1String("right") || where == QLatin1String("scrolled");

    const auto window = lowerHalfEditor(fontSize);
    Form1 &f = *window->form;
    const QFontMetrics metrics(f.Text1.editor()->font());
    const QSize viewport = f.Text1.editor()->viewport()->size();
    QString text = QStringLiteral("ab");
    if (where == QLatin1String("right"))
        text = QString((viewport.width() - Units::toPixelsX(f.List1.Width()) / 2) /
                           metrics.horizontalAdvance(u'x'),
                       u'x');
    else if (where == QLatin1String("scrolled"))
        text = QString(300, u'x');
    else if (where == QLatin1String("bottom"))
        text = QStringLiteral("x\r\n").repeated(viewport.height() / metrics.lineSpacing() - 2);
    f.Text1.setText(text);
    f.Text1.setSelStart(int(text.size()));
    typeKeys(f, QStringLiteral("<"));
    QCOMPARE(seenLists(f), QStringLiteral("List1"));

    // The caret's cell in window twips, and the line offset in the window's font.
    const QPoint pixels = f.Text1.PosFromChar(f.Text1.SelStart());
    const double x = f.Text1.Left() + Units::toTwipsX(pixels.x());
    const double y = f.Text1.Top() + Units::toTwipsY(pixels.y());
    const double lineOffset = f.window.TextHeight(QStringLiteral("Test")) * 3 / 2;
    // The row puts the caret where it says.
    QCOMPARE(x + f.List1.Width() > f.window.ScaleWidth(), leftOfCaret);
    QCOMPARE(y + lineOffset + f.List1.Height() > f.window.ScaleHeight(), above);

    QCOMPARE(qRound(f.List1.Left()), qRound(leftOfCaret ? x - f.List1.Width() : x));
    QCOMPARE(qRound(f.List1.Top()), qRound(above ? y - f.List1.Height() : y + lineOffset));
    QCOMPARE(f.assist.Attop, above);

    // Typing on changes the selection but not the place.
    const QPointF placed(f.List1.Left(), f.List1.Top());
    typeKeys(f, QStringLiteral("ta"));
    QCOMPARE(seenLists(f), QStringLiteral("List1 table"));
    QCOMPARE(QPointF(f.List1.Left(), f.List1.Top()), placed);
}

QTEST_MAIN(TestPlacement)
#include "tst_placement.moc"
