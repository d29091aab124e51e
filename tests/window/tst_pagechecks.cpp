#include "assisttesting.h"

#include <QMenu>
#include <QTextBlock>
#include <QTimer>

using namespace AssistTesting;

// The tags that pair, the moves to the partner, to a line and to the problems, as the user
// sees them in the editor.
class TestPageChecks : public QObject
{
    Q_OBJECT

private slots:
    void keysMoveTheCaret_data();
    void keysMoveTheCaret();
    void suggestionReplacesTheWord();
};

void TestPageChecks::keysMoveTheCaret_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("problems"); // waited for before the keys
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("expectedCaret");
    QTest::addColumn<QString>("paired"); // the starts of the tags marked as a pair
    const QString nested = QStringLiteral("<div><p>a</p></div>");
    QTest::addRow("start tag to its end tag") << nested << 1 << 0 << "{Ctrl+E}" << 13 << "0 13";
    QTest::addRow("end tag back to its start") << nested << 15 << 0 << "{Ctrl+E}" << 0 << "0 13";
    QTest::addRow("inner pair") << nested << 6 << 0 << "{Ctrl+E}" << 9 << "5 9";
    QTest::addRow("unclosed stays")
        << QStringLiteral("<p><b>x</p>") << 4 << 0 << "{Ctrl+E}" << 4 << "";
    QTest::addRow("void stays") << QStringLiteral("<br><p></p>") << 1 << 0 << "{Ctrl+E}" << 1 << "";
    QTest::addRow("comment skipped")
        << QStringLiteral("<p><!-- </p> --></p>") << 1 << 0 << "{Ctrl+E}" << 16 << "0 16";
    QTest::addRow("far pair not marked, but found")
        << QStringLiteral("<div>%1</div>").arg(QString(40000, u'x')) << 1 << 0 << "{Ctrl+E}"
        << 40005 << "";
    QTest::addRow("in text, nothing")
        << QStringLiteral("<p>ab</p>") << 4 << 0 << "{Ctrl+E}" << 4 << "";
    const QString lines = QStringLiteral("<p>a</span>\r\n<b>\r\n<img src=x.png alt=x>\r\n");
    QTest::addRow("go to line") << lines << 0 << 0 << "{Ctrl+G}" << 13 << "";
    QTest::addRow("next problem") << lines << 0 << 3 << "{F8}" << 4 << "";
    QTest::addRow("next problems") << lines << 0 << 3 << "{F8}{F8}{F8}" << 27 << "";
    QTest::addRow("previous problem, round") << lines << 0 << 3 << "{Shift+F8}" << 27 << "";
    QTest::addRow("next problem after characters beyond the BMP")
        << QString(lines).insert(3, QStringLiteral("\U0001F600\U0001F600")) << 0 << 3 << "{F8}" << 8
        << "";
}

void TestPageChecks::keysMoveTheCaret()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(int, problems);
    QFETCH(QString, keys);
    QFETCH(int, expectedCaret);
    QFETCH(QString, paired);
    TestWindow window;
    window.load();
    Form1 &form = *window.form;
    window.messageBox.numbers = {2};
    form.Text1.SetFocus();
    form.Text1.setText(text);
    form.Text1.setSelStart(caret);
    if (problems > 0)
        QTRY_VERIFY(form.window.permanentStatus().endsWith(QString::number(problems) +
                                                           QStringLiteral(" problems")));
    typeKeys(form, keys);
    QCOMPARE(form.Text1.SelStart(), expectedCaret);
    QCOMPARE(QApplication::focusWidget(), form.Text1.editor());
    QStringList marked;
    for (const QTextEdit::ExtraSelection &mark : form.Text1.editor()->extraSelections()) {
        if (mark.format.background().style() != Qt::NoBrush)
            marked << QString::number(form.Text1.modelPosition(mark.cursor.selectionStart()));
    }
    marked.sort();
    QCOMPARE(marked.join(u' '), paired);
}

// Only the text and the alt and title values are underlined; a suggestion chosen from the menu
// opened from the keyboard replaces the word as one undo step.
void TestPageChecks::suggestionReplacesTheWord()
{
    TestWindow window;
    window.load();
    Form1 &form = *window.form;
    const QString page =
        QStringLiteral("<p clas=\"wrnog\" title=\"a bda title\">\U0001F600 The quikc fox</p>");
    form.Text1.SetFocus();
    form.Text1.setText(page);
    const auto underlined = [&form] {
        QStringList words;
        for (const QTextEdit::ExtraSelection &mark : form.Text1.editor()->extraSelections()) {
            if (mark.format.underlineStyle() == QTextCharFormat::WaveUnderline)
                words << mark.cursor.selectedText();
        }
        return words.join(u' ');
    };
    QTRY_COMPARE(underlined(), QStringLiteral("bda quikc"));
    form.Text1.setSelStart(int(page.indexOf(QStringLiteral("quikc"))) + 2);
    QString offered;
    QTimer::singleShot(0, form.Text1.editor(), [&offered] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QAction *first = menu->actions().constFirst();
        offered = first->text();
        first->trigger();
        menu->close();
    });
    const QPoint at = form.Text1.editor()->cursorRect().center();
    QContextMenuEvent fromKeyboard(QContextMenuEvent::Keyboard, at,
                                   form.Text1.editor()->viewport()->mapToGlobal(at));
    QApplication::sendEvent(form.Text1.editor()->viewport(), &fromKeyboard);
    QCOMPARE(offered, QStringLiteral("quick"));
    QVERIFY(form.Text1.Text().contains(QStringLiteral("The quick fox")));
    QTest::keyClick(form.Text1.editor(), Qt::Key_Backspace, Qt::AltModifier);
    QCOMPARE(form.Text1.Text(), page);
}

QTEST_MAIN(TestPageChecks)
#include "tst_pagechecks.moc"
