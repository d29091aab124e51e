#include "testwindow.h"

#include "editor/editcontrol.h"
#include "editor/markuphighlighter.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

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

// Typed keys: "\r" is Enter, "\b" Backspace, "\x01" Ctrl+End.
void typeKeys(QWidget *editor, const QString &keys)
{
    for (const QChar c : keys) {
        if (c == u'\x01')
            QTest::keyClick(editor, Qt::Key_End, Qt::ControlModifier);
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
// lines an edit reaches, also far below, and never a change to the text, the caret or the events.
class TestHighlighter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void coloursFollowEdits_data();
    void coloursFollowEdits();
    void neverChangesTextCaretOrChangeEvents_data();
    void neverChangesTextCaretOrChangeEvents();
    void editedPageLooksLikeTheSamePageOpened();
    void windowEditorIsColoured();

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
}

void TestHighlighter::coloursFollowEdits()
{
    QFETCH(QString, page);
    QFETCH(QString, caretAfter);
    QFETCH(QString, keys);
    QFETCH(QString, at);
    QFETCH(int, kind);

    m_edit->setText(page);
    TestWindow::settle();
    m_edit->setSelStart(caretAfter.isEmpty() ? 0
                                             : int(page.indexOf(caretAfter) + caretAfter.size()));
    typeKeys(m_edit->editor(), keys);
    TestWindow::settle();
    QPlainTextEdit *editor = m_edit->editor();
    const qsizetype where = editor->toPlainText().indexOf(at);
    QVERIFY(where >= 0);
    // Only lines shown are coloured (a long line's pieces may push the next line out of view).
    editor->verticalScrollBar()->setValue(editor->document()->findBlock(int(where)).blockNumber());
    editor->viewport()->repaint();
    QCOMPARE(colourAt(editor, int(where)),
             kind < 0 ? QColor() : MarkupHighlighter::colour(Kind(kind)));
}

void TestHighlighter::neverChangesTextCaretOrChangeEvents_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("pasted");

    const QString page = QStringLiteral("<html>\r\n<body class=x>\r\n<p>a &amp; b</p>\r\n");
    QTest::addRow("typing a tag") << page << 8 << QStringLiteral("<b id=\"q\">bold</b>")
                                  << QString();
    QTest::addRow("comment, Enter and Backspace")
        << page << 0 << QStringLiteral("<!--\r\r-->\b\b") << QString();
    QTest::addRow("pasted") << page << 3 << QString() << QStringLiteral("<!-- a\r\nb -->");
    QTest::addRow("long page, to its end")
        << manyLines(300) << 0 << QStringLiteral("<!--\x01x") << QString();
}

// The same edits on a coloured editor and on a plain one leave the same text, caret, scroll
// position and number of change events.
void TestHighlighter::neverChangesTextCaretOrChangeEvents()
{
    QFETCH(QString, page);
    QFETCH(int, caret);
    QFETCH(QString, keys);
    QFETCH(QString, pasted);

    const auto run = [&](bool coloured) {
        m_highlighter->setEnabled(coloured);
        m_edit->setText(page);
        TestWindow::settle();
        m_changes = 0;
        m_edit->setSelStart(caret);
        typeKeys(m_edit->editor(), keys);
        if (!pasted.isEmpty()) {
            QGuiApplication::clipboard()->setText(pasted);
            m_edit->editor()->paste();
        }
        TestWindow::settle();
        int colouredLines = 0;
        const QTextDocument *document = m_edit->editor()->document();
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
            colouredLines += block.layout()->formats().isEmpty() ? 0 : 1;
        return QStringList{m_edit->Text(),
                           QString::number(m_edit->SelStart()),
                           QString::number(m_edit->SelLength()),
                           QString::number(m_changes),
                           QString::number(m_edit->editor()->verticalScrollBar()->value()),
                           QString::number(colouredLines > 0)};
    };
    QStringList plainRun = run(false);
    QCOMPARE(plainRun.takeLast(), QStringLiteral("0"));
    QStringList colouredRun = run(true);
    QCOMPARE(colouredRun.takeLast(), QStringLiteral("1"));
    QCOMPARE(colouredRun, plainRun);
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

// The window's editor is coloured, and plain once the colours are off.
void TestHighlighter::windowEditorIsColoured()
{
    cleanup();
    TestWindow tw;
    tw.loadPage(QByteArrayLiteral("<p class=\"a\">text</p>\r\n"));
    QPlainTextEdit *editor = tw.form->Text1.editor();
    QCOMPARE(colourAt(editor, 1), MarkupHighlighter::colour(Kind::TagName));
    tw.form->markupColours.setEnabled(false);
    QCOMPARE(colourAt(editor, 1), QColor());
}

QTEST_MAIN(TestHighlighter)
#include "tst_highlighter.moc"
