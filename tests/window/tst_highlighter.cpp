#include "testwindow.h"

#include "editor/editcontrol.h"
#include "editor/markuphighlighter.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

using Kind = MarkupScanner::Kind;

namespace {
// What a row expects: a kind's colour, or the editor's plain text colour.
struct Expected
{
    QString at; // the first occurrence of this text in the page
    int offset = 0;
    std::optional<Kind> kind;
};

Expected colouredAs(Kind kind, const QString &at, int offset = 0)
{
    return {at, offset, kind};
}

Expected plain(const QString &at, int offset = 0)
{
    return {at, offset, std::nullopt};
}

// The colour the user sees the character in, or no colour when it is plain.
QColor colourAt(QPlainTextEdit *editor, int position)
{
    const QTextBlock block = editor->document()->findBlock(position);
    const int inLine = position - block.position();
    const QList<QTextLayout::FormatRange> ranges = block.layout()->formats();
    for (const QTextLayout::FormatRange &range : ranges) {
        if (inLine >= range.start && inLine < range.start + range.length)
            return range.format.foreground().color();
    }
    return {};
}

QString describe(const std::optional<Kind> &kind)
{
    return kind ? QStringLiteral("kind %1").arg(int(*kind)) : QStringLiteral("plain");
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

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

QString manyLines(int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("<p class=\"line\">line %1</p>\r\n").arg(i);
    return text;
}
} // namespace

Q_DECLARE_METATYPE(QList<Expected>)

class TestHighlighter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void coloursOfPages_data();
    void coloursOfPages();
    void multiLineConstructsFollowEdits_data();
    void multiLineConstructsFollowEdits();
    void neverChangesTextCaretOrChangeEvents_data();
    void neverChangesTextCaretOrChangeEvents();
    void editedPageLooksLikeTheSamePageOpened_data();
    void editedPageLooksLikeTheSamePageOpened();
    void windowEditorShowsColours();

private:
    void verifyColours(const QList<Expected> &expected);

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

void TestHighlighter::verifyColours(const QList<Expected> &expected)
{
    QPlainTextEdit *editor = m_edit->editor();
    const QString shown = editor->toPlainText();
    for (const Expected &e : expected) {
        const qsizetype at = shown.indexOf(e.at);
        QVERIFY2(at >= 0, qPrintable(e.at));
        // Only lines shown are coloured (a long line's pieces may push the next line out of view).
        editor->verticalScrollBar()->setValue(editor->document()->findBlock(int(at)).blockNumber());
        editor->viewport()->repaint();
        const QColor seen = colourAt(editor, int(at) + e.offset);
        const QColor wanted = e.kind ? MarkupHighlighter::colour(*e.kind) : QColor();
        QVERIFY2(seen == wanted, qPrintable(QStringLiteral("%1 +%2: want %3, seen %4")
                                                .arg(e.at)
                                                .arg(e.offset)
                                                .arg(describe(e.kind), seen.name())));
    }
}

void TestHighlighter::coloursOfPages_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QList<Expected>>("expected");

    const QString tag = QStringLiteral("<p class=\"intro\" hidden>Hi</p>");
    QTest::addRow("tag") << tag
                         << QList<Expected>{
                                colouredAs(Kind::TagDelimiter, QStringLiteral("<p")),
                                colouredAs(Kind::TagName, QStringLiteral("<p"), 1),
                                colouredAs(Kind::AttributeName, QStringLiteral("class")),
                                colouredAs(Kind::TagDelimiter, QStringLiteral("=")),
                                colouredAs(Kind::AttributeName, QStringLiteral("hidden")),
                                plain(QStringLiteral("Hi")),
                                colouredAs(Kind::TagDelimiter, QStringLiteral("</")),
                                colouredAs(Kind::TagName, QStringLiteral("</p"), 2)};
    QTest::addRow("quoted values")
        << QStringLiteral("<a href=\"x.html\" title='A B'>")
        << QList<Expected>{colouredAs(Kind::AttributeValue, QStringLiteral("\"x")),
                           colouredAs(Kind::AttributeValue, QStringLiteral("html\""), 4),
                           colouredAs(Kind::AttributeValue, QStringLiteral("A B")),
                           colouredAs(Kind::TagDelimiter, QStringLiteral("'>"), 1)};
    QTest::addRow("unquoted value")
        << QStringLiteral("<td width=100 nowrap>x</td>")
        << QList<Expected>{colouredAs(Kind::AttributeValue, QStringLiteral("100")),
                           colouredAs(Kind::AttributeValue, QStringLiteral("100"), 2),
                           colouredAs(Kind::AttributeName, QStringLiteral("nowrap")),
                           plain(QStringLiteral("x<"))};
    QTest::addRow("value over two lines")
        << QStringLiteral("<img alt=\"first\r\nsecond\" src=a.png>")
        << QList<Expected>{colouredAs(Kind::AttributeValue, QStringLiteral("second")),
                           colouredAs(Kind::AttributeName, QStringLiteral("src"))};
    QTest::addRow("comment over three lines, closed")
        << QStringLiteral("<!-- one\r\ntwo <b>\r\nthree -->\r\n<b>after</b>")
        << QList<Expected>{colouredAs(Kind::Comment, QStringLiteral("<!--")),
                           colouredAs(Kind::Comment, QStringLiteral("two <b>"), 5),
                           colouredAs(Kind::Comment, QStringLiteral("-->"), 2),
                           colouredAs(Kind::TagName, QStringLiteral("<b>after"), 1),
                           plain(QStringLiteral("after"))};
    QTest::addRow("empty comments")
        << QStringLiteral("<!--> <b> <!---> <i>")
        << QList<Expected>{colouredAs(Kind::Comment, QStringLiteral("<!-->"), 4),
                           colouredAs(Kind::TagName, QStringLiteral("b>")),
                           colouredAs(Kind::TagName, QStringLiteral("i>"))};
    QTest::addRow("comment over three lines, open")
        << QStringLiteral("<!-- one\r\ntwo\r\nthree\r\n<b>after</b>")
        << QList<Expected>{colouredAs(Kind::Comment, QStringLiteral("three")),
                           colouredAs(Kind::Comment, QStringLiteral("after"))};
    QTest::addRow("script block")
        << QStringLiteral("<script type=\"text/javascript\">\r\nif (a < b) go(\"</p>\");\r\n"
                          "</script>\r\n<p>x</p>")
        << QList<Expected>{colouredAs(Kind::AttributeValue, QStringLiteral("text/")),
                           colouredAs(Kind::Script, QStringLiteral("if (a")),
                           colouredAs(Kind::Script, QStringLiteral("< b")),
                           colouredAs(Kind::Script, QStringLiteral("</p>")),
                           colouredAs(Kind::TagName, QStringLiteral("/script"), 1),
                           colouredAs(Kind::TagName, QStringLiteral("<p>x"), 1)};
    QTest::addRow("style block") << QStringLiteral("<STYLE>p { color: red }</STYLE><p>")
                                 << QList<Expected>{
                                        colouredAs(Kind::Style, QStringLiteral("color")),
                                        colouredAs(Kind::TagName, QStringLiteral("STYLE>p"))};
    QTest::addRow("character references")
        << QStringLiteral("a&nbsp;b &#169; &#xA9; <a title=\"&amp;\">&amp x</a>")
        << QList<Expected>{colouredAs(Kind::CharacterReference, QStringLiteral("&nbsp;")),
                           colouredAs(Kind::CharacterReference, QStringLiteral("&nbsp;"), 5),
                           plain(QStringLiteral("b &")),
                           colouredAs(Kind::CharacterReference, QStringLiteral("&#169;"), 3),
                           colouredAs(Kind::CharacterReference, QStringLiteral("&#xA9;"), 4),
                           colouredAs(Kind::CharacterReference, QStringLiteral("&amp;\"")),
                           colouredAs(Kind::AttributeValue, QStringLiteral("&amp;\""), 5),
                           plain(QStringLiteral("&amp x"))};
    QTest::addRow("doctype") << QStringLiteral("<!DOCTYPE html>\r\n<html>")
                             << QList<Expected>{
                                    colouredAs(Kind::Doctype, QStringLiteral("DOCTYPE")),
                                    colouredAs(Kind::Doctype, QStringLiteral("html>")),
                                    colouredAs(Kind::TagName, QStringLiteral("<html"), 1)};
    QTest::addRow("very long line left plain, its state kept")
        << QStringLiteral("<!-- ") + QString(30000, u'x') + QStringLiteral("\r\nstill -->\r\n<b>")
        << QList<Expected>{plain(QStringLiteral("<!-- x")),
                           colouredAs(Kind::Comment, QStringLiteral("still")),
                           colouredAs(Kind::TagName, QStringLiteral("<b>"), 1)};
    QTest::addRow("plain text") << QStringLiteral("a < b and c > d & e")
                                << QList<Expected>{plain(QStringLiteral("< b")),
                                                   plain(QStringLiteral("> d")),
                                                   plain(QStringLiteral("& e"))};
}

void TestHighlighter::coloursOfPages()
{
    QFETCH(QString, page);
    QFETCH(QList<Expected>, expected);

    m_edit->setText(page);
    settle();
    verifyColours(expected);
}

void TestHighlighter::multiLineConstructsFollowEdits_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("caretAfter"); // the caret goes after the first occurrence
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QList<Expected>>("expected");

    const QString threeLines = QStringLiteral("<p>one</p>\r\n<p>two</p>\r\n<p>three</p>");
    QTest::addRow("opening a comment")
        << threeLines << QString() << QStringLiteral("<!--")
        << QList<Expected>{colouredAs(Kind::Comment, QStringLiteral("two")),
                           colouredAs(Kind::Comment, QStringLiteral("three"))};
    QTest::addRow("closing the comment")
        << QStringLiteral("<!--") + threeLines << QStringLiteral("two</p>") << QStringLiteral("-->")
        << QList<Expected>{colouredAs(Kind::Comment, QStringLiteral("two")),
                           colouredAs(Kind::TagName, QStringLiteral("p>three"))};
    QTest::addRow("closing, then opening it again")
        << QStringLiteral("<!--") + threeLines << QStringLiteral("one</p>")
        << QStringLiteral("-->\b\b\b")
        << QList<Expected>{colouredAs(Kind::Comment, QStringLiteral("three"))};
    QTest::addRow("opening a script")
        << threeLines << QString() << QStringLiteral("<script>\r")
        << QList<Expected>{colouredAs(Kind::Script, QStringLiteral("<p>two")),
                           colouredAs(Kind::Script, QStringLiteral("three"))};
    QTest::addRow("removing the quote that closes a value")
        << QStringLiteral("<a href=\"x\">\r\n<b>bold</b>\r\n<i>\"</i>") << QStringLiteral("\"x\"")
        << QStringLiteral("\b")
        << QList<Expected>{colouredAs(Kind::AttributeValue, QStringLiteral("bold")),
                           colouredAs(Kind::TagDelimiter, QStringLiteral("</i>"), 3)};
    QTest::addRow("Enter inside an open tag")
        << QStringLiteral("<img src=a.png alt=b>\r\n<p>x</p>") << QStringLiteral("a.png")
        << QStringLiteral("\r")
        << QList<Expected>{colouredAs(Kind::AttributeName, QStringLiteral("alt")),
                           colouredAs(Kind::TagName, QStringLiteral("p>x"))};
    QTest::addRow("opening a comment above lines not shown")
        << manyLines(400) << QString() << QStringLiteral("<!--\x01")
        << QList<Expected>{colouredAs(Kind::Comment, QStringLiteral("line 399"))};
    QTest::addRow("closing it again far above")
        << QStringLiteral("<!--") + manyLines(400) << QStringLiteral("<!--")
        << QStringLiteral("-->\x01")
        << QList<Expected>{
               colouredAs(Kind::AttributeName, QStringLiteral("class=\"line\">line 399"))};
}

void TestHighlighter::multiLineConstructsFollowEdits()
{
    QFETCH(QString, page);
    QFETCH(QString, caretAfter);
    QFETCH(QString, keys);
    QFETCH(QList<Expected>, expected);

    m_edit->setText(page);
    settle();
    m_edit->setSelStart(caretAfter.isEmpty() ? 0
                                             : int(page.indexOf(caretAfter) + caretAfter.size()));
    typeKeys(m_edit->editor(), keys);
    settle();
    verifyColours(expected);
}

void TestHighlighter::neverChangesTextCaretOrChangeEvents_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("written"); // written through SelText after the keys, if any
    QTest::addColumn<QString>("pasted");

    const QString page = QStringLiteral("<html>\r\n<body class=x>\r\n<p>a &amp; b</p>\r\n");
    QTest::addRow("typing a tag") << page << 8 << QStringLiteral("<b id=\"q\">bold</b>")
                                  << QString() << QString();
    QTest::addRow("opening and closing a comment")
        << page << 0 << QStringLiteral("<!--\r\r-->") << QString() << QString();
    QTest::addRow("Enter and Backspace")
        << page << 14 << QStringLiteral("\r\r\b\b\b") << QString() << QString();
    QTest::addRow("written through SelText")
        << page << 20 << QString() << QStringLiteral("<script>\r\nx<y\r\n") << QString();
    QTest::addRow("pasted") << page << 3 << QString() << QString()
                            << QStringLiteral("<!-- a\r\nb -->");
    QTest::addRow("long page, to its end")
        << manyLines(300) << 0 << QStringLiteral("<!--\x01x") << QString() << QString();
}

// The same edits on a coloured editor and on a plain one leave the same text, caret, scroll
// position and number of change events.
void TestHighlighter::neverChangesTextCaretOrChangeEvents()
{
    QFETCH(QString, page);
    QFETCH(int, caret);
    QFETCH(QString, keys);
    QFETCH(QString, written);
    QFETCH(QString, pasted);

    struct Outcome
    {
        QString text;
        int selStart = 0;
        int selLength = 0;
        int changes = 0;
        int scroll = 0;
        int colouredLines = 0;
    };
    const auto run = [&](bool coloured) {
        m_highlighter->setEnabled(coloured);
        m_edit->setText(page);
        settle();
        m_changes = 0;
        m_edit->setSelStart(caret);
        typeKeys(m_edit->editor(), keys);
        if (!written.isEmpty())
            m_edit->setSelText(written);
        if (!pasted.isEmpty()) {
            QGuiApplication::clipboard()->setText(pasted);
            m_edit->editor()->paste();
        }
        settle();
        Outcome outcome{m_edit->Text(),
                        m_edit->SelStart(),
                        m_edit->SelLength(),
                        m_changes,
                        m_edit->editor()->verticalScrollBar()->value(),
                        0};
        const QTextDocument *document = m_edit->editor()->document();
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
            outcome.colouredLines += block.layout()->formats().isEmpty() ? 0 : 1;
        return outcome;
    };

    const Outcome plainRun = run(false);
    const Outcome colouredRun = run(true);
    QCOMPARE(plainRun.colouredLines, 0);
    QVERIFY(colouredRun.colouredLines > 0);
    QCOMPARE(colouredRun.text, plainRun.text);
    QCOMPARE(colouredRun.selStart, plainRun.selStart);
    QCOMPARE(colouredRun.selLength, plainRun.selLength);
    QCOMPARE(colouredRun.changes, plainRun.changes);
    QCOMPARE(colouredRun.scroll, plainRun.scroll);
}

void TestHighlighter::editedPageLooksLikeTheSamePageOpened_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<QString>("page");

    QTest::addRow("short page") << 1u << manyLines(20);
    QTest::addRow("page longer than the editor") << 2u << manyLines(300);
    QTest::addRow("long page, other edits") << 3u << manyLines(300);
}

// Edits at random places that open and close comments, scripts, tags and values, then the
// page at its top, middle and end looks just as the same text freshly set in another editor.
void TestHighlighter::editedPageLooksLikeTheSamePageOpened()
{
    QFETCH(quint32, seed);
    QFETCH(QString, page);

    const QStringList pieces{QStringLiteral("<!--"),     QStringLiteral("-->"),
                             QStringLiteral("<script>"), QStringLiteral("</script>"),
                             QStringLiteral("\""),       QStringLiteral("<p id="),
                             QStringLiteral(">"),        QStringLiteral("\r"),
                             QStringLiteral("\b\b"),     QStringLiteral("&amp;")};
    QRandomGenerator random(seed);
    m_edit->setText(page);
    settle();
    for (int i = 0; i < 150; ++i) {
        m_edit->setSelStart(int(random.bounded(m_edit->Text().size() + 1)));
        m_edit->editor()->ensureCursorVisible();
        typeKeys(m_edit->editor(), pieces.at(int(random.bounded(pieces.size()))));
        if (i % 10 == 0)
            settle();
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
        settle();
        QTextBlock edited = m_edit->editor()->cursorForPosition(QPoint(0, 0)).block();
        QTextBlock opened = fresh.editor()->cursorForPosition(QPoint(0, 0)).block();
        QCOMPARE(edited.blockNumber(), opened.blockNumber());
        for (int line = 0; line < 10 && edited.isValid(); ++line) {
            QVERIFY2(
                edited.layout()->formats() == opened.layout()->formats(),
                qPrintable(QStringLiteral("line %1: ").arg(edited.blockNumber()) + edited.text()));
            edited = edited.next();
            opened = opened.next();
        }
    }
}

// The window's editor is coloured as the user sees it: its pixels take the tag colour, and
// the page and its preview are what was typed.
void TestHighlighter::windowEditorShowsColours()
{
    cleanup();
    TestWindow tw;
    tw.loadPage(QByteArrayLiteral("<p class=\"a\">text</p>\r\n"));
    QPlainTextEdit *editor = tw.form->Text1.editor();
    const auto pixelsOf = [&](const QColor &colour) {
        const QImage shot = editor->viewport()->grab().toImage();
        int count = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x)
                count += shot.pixelColor(x, y) == colour ? 1 : 0;
        }
        return count;
    };
    const QColor tagName = MarkupHighlighter::colour(Kind::TagName);
    QVERIFY(pixelsOf(tagName) > 0);
    QCOMPARE(pixelsOf(MarkupHighlighter::colour(Kind::Comment)), 0);

    tw.form->Text1.setSelStart(0);
    tw.type(QStringLiteral("<!--"));
    TestWindow::settle();
    QVERIFY(pixelsOf(MarkupHighlighter::colour(Kind::Comment)) > 0);
    QCOMPARE(pixelsOf(tagName), 0);
    QCOMPARE(tw.form->Text1.Text(), QStringLiteral("<!--<p class=\"a\">text</p>\r\n"));
    QCOMPARE(tw.preview(), PreviewHeader + "<!--<p class=\"a\">text</p>\r\n\r\n");

    tw.form->markupColours.setEnabled(false);
    QCOMPARE(pixelsOf(MarkupHighlighter::colour(Kind::Comment)), 0);
}

QTEST_MAIN(TestHighlighter)
#include "tst_highlighter.moc"
