#include "editor/editcontrol.h"
#include "editor/longlines.h"
#include "editor/markuphighlighter.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <memory>

// A line long enough to be shown in pieces behaves to the keys, the clipboard, the undo history
// and the colours exactly as the same line shown whole.
class TestLongLines : public QObject
{
    Q_OBJECT

private slots:
    void sameAsWholeLine_data();
    void sameAsWholeLine();
};

namespace {
struct Editor
{
    explicit Editor(bool inPieces)
        : inPieces(inPieces)
    {
        LongLines::setEnabled(inPieces);
        edit.Move(0, 0, 9000, 3000);
        window.show();
        (void)QTest::qWaitForWindowExposed(&window);
    }

    // Clicks keys by their names, separated by spaces ("Shift+Right Ctrl+V x").
    void press(const QString &keys)
    {
        LongLines::setEnabled(inPieces);
        edit.SetFocus();
        for (const QString &name : keys.split(u' ', Qt::SkipEmptyParts)) {
            const QKeyCombination key = QKeySequence::fromString(name)[0];
            QTest::keyClick(edit.editor(), key.key(), key.keyboardModifiers());
        }
    }

    // The colours of the first line and of the last, which carries the state of those above.
    QList<QList<QTextLayout::FormatRange>> colours() const
    {
        const QTextDocument *document = edit.editor()->document();
        QList<QList<QTextLayout::FormatRange>> shown;
        for (const QTextBlock &block : {document->firstBlock(), document->lastBlock().previous()}) {
            edit.editor()->verticalScrollBar()->setValue(block == document->firstBlock() ? 0
                                                                                         : 1 << 30);
            edit.editor()->viewport()->repaint();
            shown.append(block.layout()->formats());
        }
        return shown;
    }

    bool inPieces;
    QWidget window;
    EditControl edit{&window};
    MarkupHighlighter highlighter{edit.editor()};
};
} // namespace

void TestLongLines::sameAsWholeLine_data()
{
    QTest::addColumn<int>("fromBreak"); // the caret's place, from the end of the first piece
    QTest::addColumn<QString>("keys");

    QTest::addRow("type at the break") << 0 << QStringLiteral("a b Left Left Left c");
    QTest::addRow("arrows over the break")
        << -2 << QStringLiteral("Right Right Right x Left Left Left Left y");
    QTest::addRow("backspace at the break") << 0 << QStringLiteral("Backspace Backspace z");
    QTest::addRow("delete before the break") << -1 << QStringLiteral("Delete Delete Delete q");
    QTest::addRow("select over the break, copy, paste")
        << -2
        << QStringLiteral("Shift+Right Shift+Right Shift+Right Ctrl+C Right Ctrl+V Ctrl+V "
                          "Shift+Left Shift+Left Ctrl+X");
    QTest::addRow("line break at the break") << 0 << QStringLiteral("Return Backspace Return");
    QTest::addRow("whole line replaced") << 0 << QStringLiteral("Home Shift+End x y");
    QTest::addRow("comment opened over the break") << -3 << QStringLiteral("< ! - -");
}

void TestLongLines::sameAsWholeLine()
{
    QFETCH(int, fromBreak);
    QFETCH(QString, keys);

    QString line;
    while (line.size() < LongLines::FoldedLength + 5000)
        line += QStringLiteral("<b class=\"c\">x&amp;y</b>");
    const QString text = line + QStringLiteral("\r\n<p title=\"t\">short</p>\r\n");
    Editor whole(false);
    whole.edit.setText(text);
    Editor pieces(true);
    pieces.edit.setText(text);
    QVERIFY(pieces.edit.editor()->document()->blockCount() > 3);

    const int pieceBreak = pieces.edit.editor()->document()->firstBlock().length() - 1;

    QStringList copied;
    for (Editor *editor : {&whole, &pieces}) {
        QGuiApplication::clipboard()->clear();
        editor->edit.setSelStart(pieceBreak + fromBreak);
        editor->press(keys);
        copied.append(QGuiApplication::clipboard()->text());
    }
    QCOMPARE(copied.last(), copied.first());
    for (const bool undoing : {false, true}) {
        QCOMPARE(pieces.edit.Text(), whole.edit.Text());
        QCOMPARE(pieces.edit.SelStart(), whole.edit.SelStart());
        QCOMPARE(pieces.edit.SelLength(), whole.edit.SelLength());
        QCOMPARE(pieces.colours(), whole.colours());
        if (undoing)
            break;
        while (pieces.edit.canUndo() || whole.edit.canUndo()) {
            for (Editor *editor : {&whole, &pieces}) {
                LongLines::setEnabled(editor->inPieces);
                editor->edit.undo();
            }
        }
        QCOMPARE(pieces.edit.Text(), text);
    }
}

QTEST_MAIN(TestLongLines)
#include "tst_longlines.moc"
