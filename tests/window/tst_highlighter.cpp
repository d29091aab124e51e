#include "testwindow.h"

#include "editor/editcontrol.h"
#include "editor/longlines.h"
#include "editor/markuphighlighter.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <memory>

using Kind = MarkupScanner::Kind;

namespace {
// The colour the user sees the character in, or no colour when it is plain.
QColor colourAt(QPlainTextEdit *editor, int position)
{
    const QTextBlock block = editor->document()->findBlock(position);
    const QList<QTextLayout::FormatRange> ranges = block.layout()->formats();
    for (const QTextLayout::FormatRange &range : ranges) {
        if (position - block.position() >= range.start &&
            position - block.position() < range.start + range.length)
            return range.format.foreground().color();
    }
    return {};
}

// Typed keys: "\r" is Enter, "\b" Backspace, "\x01" Ctrl+End, "\x16" Ctrl+V.
void typeKeys(QWidget *editor, const QString &keys)
{
    for (const QChar c : keys) {
        if (c == u'\x01' || c == u'\x16')
            QTest::keyClick(editor, c == u'\x01' ? Qt::Key_End : Qt::Key_V, Qt::ControlModifier);
        else
            QTest::keyClicks(editor, QString(c));
    }
}

QString manyLines(int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("<p class=\"line\">line %1</p>\r\n").arg(i);
    return text;
}
} // namespace

// The editor's colours as the user sees them while typing, which only a real editor shows: the
// lines an edit reaches, also far below, and never a change to the text, the caret or the events;
// a line long enough to be shown in pieces behaves to the keys, the clipboard, the undo history
// and the colours exactly as the same line shown whole.
class TestHighlighter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void coloursFollowEdits_data();
    void coloursFollowEdits();
    void editedPageLooksLikeTheSamePageOpened();
    void longLineSameAsWhole_data();
    void longLineSameAsWhole();

private:
    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<EditControl> m_edit;
    std::unique_ptr<MarkupHighlighter> m_highlighter;
    int m_changes = 0;
};

void TestHighlighter::init()
{
    m_window = std::make_unique<QWidget>();
    m_edit = std::make_unique<EditControl>(m_window.get());
    m_edit->Move(0, 0, 6000, 3000);
    m_highlighter = std::make_unique<MarkupHighlighter>(m_edit->editor());
    m_changes = 0;
    m_edit->onChange([this] { ++m_changes; });
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_edit->SetFocus();
}

void TestHighlighter::cleanup()
{
    LongLines::setEnabled(true);
    m_highlighter.reset();
    m_window.reset();
    m_edit.reset();
}

void TestHighlighter::coloursFollowEdits_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("caretAfter"); // the caret goes after the first occurrence
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("at"); // the first occurrence of this, after the keys
    QTest::addColumn<int>("kind");   // -1: plain

    const QString threeLines = QStringLiteral("<p>one</p>\r\n<p>two</p>\r\n<p>three</p>");
    QTest::addRow("opening a comment") << threeLines << QString() << QStringLiteral("<!--")
                                       << QStringLiteral("three") << int(Kind::Comment);
    QTest::addRow("closing the comment")
        << QStringLiteral("<!--") + threeLines << QStringLiteral("two</p>") << QStringLiteral("-->")
        << QStringLiteral("p>three") << int(Kind::TagName);
    QTest::addRow("closing, then opening it again")
        << QStringLiteral("<!--") + threeLines << QStringLiteral("one</p>")
        << QStringLiteral("-->\b\b\b") << QStringLiteral("three") << int(Kind::Comment);
    QTest::addRow("opening a script") << threeLines << QString() << QStringLiteral("<script>\r")
                                      << QStringLiteral("three") << int(Kind::Script);
    QTest::addRow("removing the quote that closes a value")
        << QStringLiteral("<a href=\"x\">\r\n<b>bold</b>\r\n<i>\"</i>") << QStringLiteral("\"x\"")
        << QStringLiteral("\b") << QStringLiteral("bold") << int(Kind::AttributeValue);
    QTest::addRow("Enter inside an open tag")
        << QStringLiteral("<img src=a.png alt=b>\r\n<p>x</p>") << QStringLiteral("a.png")
        << QStringLiteral("\r") << QStringLiteral("alt") << int(Kind::AttributeName);
    QTest::addRow("opening a comment above lines not shown")
        << manyLines(400) << QString() << QStringLiteral("<!--\x01") << QStringLiteral("line 399")
        << int(Kind::Comment);
    QTest::addRow("closing it again far above")
        << QStringLiteral("<!--") + manyLines(400) << QStringLiteral("<!--")
        << QStringLiteral("-->\x01") << QStringLiteral("class=\"line\">line 399")
        << int(Kind::AttributeName);
    // Laying out thousands of colour runs would make every keystroke in it slow.
    QTest::addRow("very long line left plain")
        << QStringLiteral("<!-- ") + QString(30000, u'x') + QStringLiteral("\r\nstill -->")
        << QString() << QString() << QStringLiteral("<!-- x") << -1;
    QTest::addRow("its state kept")
        << QStringLiteral("<!-- ") + QString(30000, u'x') + QStringLiteral("\r\nstill -->")
        << QString() << QString() << QStringLiteral("still") << int(Kind::Comment);
    QTest::addRow("pasted comment")
        << QStringLiteral("<html>\r\n<p>a &amp; b</p>\r\n") << QStringLiteral("<html>")
        << QStringLiteral("\x16") << QStringLiteral("&amp;") << int(Kind::Comment);
}

// The same edits on a coloured editor and on a plain one leave the same text, caret, scroll
// position and number of change events; the coloured one shows the colour the edit gave.
void TestHighlighter::coloursFollowEdits()
{
    QFETCH(QString, page);
    QFETCH(QString, caretAfter);
    QFETCH(QString, keys);
    QFETCH(QString, at);
    QFETCH(int, kind);

    QGuiApplication::clipboard()->setText(QStringLiteral("<!-- a\r\nb"));
    const auto run = [&](bool coloured) {
        m_highlighter->setEnabled(coloured);
        m_edit->setText(page);
        TestWindow::settle();
        m_changes = 0;
        m_edit->setSelStart(
            caretAfter.isEmpty() ? 0 : int(page.indexOf(caretAfter) + caretAfter.size()));
        QPlainTextEdit *editor = m_edit->editor();
        typeKeys(editor, keys);
        TestWindow::settle();
        const QStringList seen{m_edit->Text(), QString::number(m_edit->SelStart()),
                               QString::number(m_edit->SelLength()), QString::number(m_changes),
                               QString::number(editor->verticalScrollBar()->value())};
        const qsizetype where = editor->toPlainText().indexOf(at);
        // Only lines shown are coloured (a long line's pieces may push the next out of view).
        editor->verticalScrollBar()->setValue(
            editor->document()->findBlock(int(where)).blockNumber());
        editor->viewport()->repaint();
        const QColor colour = colourAt(editor, int(where));
        return seen + QStringList{colour.isValid() ? colour.name() : QStringLiteral("plain")};
    };
    QStringList plain = run(false);
    QCOMPARE(plain.takeLast(), QStringLiteral("plain"));
    QStringList coloured = run(true);
    QCOMPARE(coloured.takeLast(),
             kind < 0 ? QStringLiteral("plain") : MarkupHighlighter::colour(Kind(kind)).name());
    QCOMPARE(coloured, plain);
}

// Edits at random places that open and close comments, scripts, tags and values, then the
// page at its top, middle and end looks just as the same text freshly set in another editor.
void TestHighlighter::editedPageLooksLikeTheSamePageOpened()
{
    const QStringList pieces{QStringLiteral("<!--"),     QStringLiteral("-->"),
                             QStringLiteral("<script>"), QStringLiteral("</script>"),
                             QStringLiteral("\""),       QStringLiteral("<p id="),
                             QStringLiteral(">"),        QStringLiteral("\r"),
                             QStringLiteral("\b\b"),     QStringLiteral("&amp;")};
    QRandomGenerator random(2);
    m_edit->setText(manyLines(300));
    TestWindow::settle();
    for (int i = 0; i < 150; ++i) {
        m_edit->setSelStart(int(random.bounded(m_edit->Text().size() + 1)));
        m_edit->editor()->ensureCursorVisible();
        typeKeys(m_edit->editor(), pieces.at(int(random.bounded(pieces.size()))));
        if (i % 10 == 0)
            TestWindow::settle();
    }

    QWidget freshWindow;
    EditControl fresh(&freshWindow);
    fresh.Move(0, 0, 6000, 3000);
    MarkupHighlighter freshColours(fresh.editor());
    freshWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&freshWindow));
    fresh.setText(m_edit->Text());

    QScrollBar *editedScroll = m_edit->editor()->verticalScrollBar();
    for (const int at : {0, editedScroll->maximum() / 2, editedScroll->maximum()}) {
        editedScroll->setValue(at);
        fresh.editor()->verticalScrollBar()->setValue(at);
        TestWindow::settle();
        QTextBlock edited = m_edit->editor()->cursorForPosition(QPoint(0, 0)).block();
        QTextBlock opened = fresh.editor()->cursorForPosition(QPoint(0, 0)).block();
        QCOMPARE(edited.blockNumber(), opened.blockNumber());
        for (int line = 0; line < 10 && edited.isValid(); ++line) {
            QVERIFY2(edited.layout()->formats() == opened.layout()->formats(),
                     qPrintable(edited.text()));
            edited = edited.next();
            opened = opened.next();
        }
    }
}

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

void TestHighlighter::longLineSameAsWhole_data()
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

void TestHighlighter::longLineSameAsWhole()
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

QTEST_MAIN(TestHighlighter)
#include "tst_highlighter.moc"
