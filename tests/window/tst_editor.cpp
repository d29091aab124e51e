#include "assisttesting.h"

#include "editor/editcontrol.h"
#include "editor/longlines.h"
#include "editor/markuphighlighter.h"

#include <QClipboard>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
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

// Clicks keys by their names, separated by spaces ("Shift+Right Ctrl+V x").
void pressKeys(QWidget *editor, const QString &keys)
{
    for (const QString &name : keys.split(u' ', Qt::SkipEmptyParts)) {
        const QKeyCombination key = QKeySequence::fromString(name)[0];
        QTest::keyClick(editor, key.key(), key.keyboardModifiers());
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

// The editor on the real widget, coloured: its keys, clipboard, drops, input methods and context
// menu, and undo and redo of each user action in the window as one step, with the change handler
// run once, so that the preview and the changed mark follow (the text model alone is tested in
// the unit tier). Its colours as the user sees them while typing: the lines an edit reaches, also
// far below, and never a change to the text, the caret or the events; a line long enough to be
// shown in pieces behaves to the keys, the clipboard, the undo history and the colours exactly as
// the same line shown whole.
class TestEditor : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void edits_data();
    void edits();
    void keyOrder_data();
    void keyOrder();
    void undoAndRedo_data();
    void undoAndRedo();
    void coloursFollowEdits_data();
    void coloursFollowEdits();
    void longLineSameAsWhole_data();
    void longLineSameAsWhole();

private:
    void press(const QString &keys);

    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<EditControl> m_edit;
    std::unique_ptr<MarkupHighlighter> m_highlighter;
    QStringList m_events;
};

// The starting text with the program's selection and write, then keys by their names ("Drop"
// drops the clipboard's text at the caret, "Menu:Cut" chooses from the context menu, "Commit"
// commits it from an input method). A change of format alone, as the highlighter makes, leaves
// the text as it is: coloursFollowEdits() holds it to that.
struct EditCase
{
    const char *name, *text;
    int start, length;
    const char *written, *clipboard, *keys, *expected;
    int expectedCaret;
    const char *expectedClipboard;
};
Q_DECLARE_METATYPE(EditCase)

using namespace AssistTesting;

namespace {
// "keys:..." typed, "menu:caption" of the Insert menu, "rpall:find>replacement" and
// "replace:find>replacement" through the find panel's buttons.
void act(TestWindow &test, const QString &action)
{
    Form1 &form = *test.form;
    const QString what = action.section(u':', 1);
    if (action.startsWith(QLatin1String("keys:"))) {
        typeKeys(form, what);
    } else if (action.startsWith(QLatin1String("menu:"))) {
        test.trigger(what);
    } else {
        form.Text2.setText(what.section(u'>', 0, 0));
        form.Text3.setText(what.section(u'>', 1));
        Button &button = action.startsWith(QLatin1String("rpall:")) ? form.Command4 : form.Command2;
        QTest::mouseClick(button.button(), Qt::LeftButton);
    }
}
} // namespace

void TestEditor::init()
{
    m_window = std::make_unique<QWidget>();
    m_edit = std::make_unique<EditControl>(m_window.get());
    m_edit->Move(0, 0, 6000, 3000);
    m_highlighter = std::make_unique<MarkupHighlighter>(m_edit->editor());
    m_events.clear();
    m_edit->onChange([this] { m_events.append(QStringLiteral("change ") + m_edit->Text()); });
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_edit->SetFocus();
}

void TestEditor::cleanup()
{
    LongLines::setEnabled(true);
    m_highlighter.reset();
    m_window.reset();
    m_edit.reset();
}

void TestEditor::press(const QString &keys)
{
    const QMimeData *source = QGuiApplication::clipboard()->mimeData();
    for (const QString &name : keys.split(u' ', Qt::SkipEmptyParts)) {
        if (name == QLatin1String("Drop")) {
            const QPointF at = m_edit->PosFromChar(m_edit->SelStart()) + QPoint(1, 4);
            QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, source, Qt::LeftButton, {});
            QApplication::sendEvent(m_edit->editor()->viewport(), &enter);
            QDropEvent drop(at, Qt::CopyAction, source, Qt::LeftButton, {});
            QApplication::sendEvent(m_edit->editor()->viewport(), &drop);
        } else if (name.startsWith(QLatin1String("Menu:"))) { // the editor's own context menu
            const QString chosen = chooseFromMenu(m_edit->editor(), false, [&](QString text) {
                return text.remove(u'&').remove(u' ') == name.mid(5);
            });
            QVERIFY2(!chosen.isEmpty(), qPrintable(name));
        } else if (name == QLatin1String("Commit")) {
            QInputMethodEvent commit;
            commit.setCommitString(source->text());
            QApplication::sendEvent(m_edit->editor(), &commit);
        } else {
            pressKeys(m_edit->editor(), name);
        }
    }
}

void TestEditor::edits_data()
{
    QTest::addColumn<EditCase>("edit");
    const char *const page = "ab\r\ncd";
    const EditCase cases[] = {
        {"enter after lone lf", "a\nb", 3, 0, nullptr, nullptr, "Return", "a\nb\r\n", 5, nullptr},
        {"backspace, crlf", "a\r\nb\nc", 3, 0, nullptr, nullptr, "Backspace", "ab\nc", 1, nullptr},
        {"delete, cr meets lf", "\rx\n", 1, 0, nullptr, nullptr, "Delete", "\r\n", 2, nullptr},
        {"ctrl+shift+space", "ab", 1, 0, nullptr, nullptr, "Ctrl+Shift+Space", "a b", 2, nullptr},
        {"user moves the caret", "abc", 1, 0, nullptr, nullptr, "Right", "abc", 2, nullptr},
        {"write inside crlf", page, 3, 0, "X", nullptr, "Z", "ab\rXz\ncd", 5, nullptr},
        {"cr before lone lf", "a\nb", 1, 0, "\r", nullptr, "Z", "az\r\nb", 2, nullptr},
        {"crlf written whole", page, 2, 2, "\r\n\r\n", nullptr, "Z", "ab\r\n\r\nzcd", 7, nullptr},
        {"pasted lf cr", "<>", 1, 0, nullptr, "x\n\ry", "Ctrl+V", "<x\r\n\r\ny>", 7, nullptr},
        {"dropped ls", "<>", 1, 0, nullptr, "x\u2028y", "Drop", "<x\r\ny>", 5, nullptr},
        {"committed ls", "<>", 1, 0, nullptr, "x\u2028y", "Commit", "<x\r\ny>", 5, nullptr},
        {"paste after lone cr", "", 0, 0, "p\rx", "\nab", "Left Ctrl+V c", "p\r\r\nabcx", 7,
         nullptr},
        {"menu copy and paste", "a\r\nb\rc", 0, 0, nullptr, nullptr,
         "Menu:SelectAll Menu:Copy Ctrl+End Menu:Paste", "a\r\nb\rca\r\nb\rc", 12, "a\nb\nc"},
        {"menu cut, undo, redo, undo", "a\r\nb\rc", 0, 0, nullptr, nullptr,
         "Menu:SelectAll Menu:Cut Menu:Undo Menu:Redo Menu:Undo", "a\r\nb\rc", 0, "a\nb\nc"},
        {"cut and paste in place", "<p>\r\nx\ry\n</p>\r\n", 0, 0, nullptr, nullptr,
         "Ctrl+A Ctrl+X Ctrl+V", "<p>\r\nx\ry\n</p>\r\n", 15, "<p>\nx\ny\n</p>\n"},
        {"cut a line and paste it above", "one\r\ntwo\r\n", 0, 0, nullptr, nullptr,
         "Down Shift+Down Ctrl+X Up Ctrl+V", "two\r\none\r\n", 5, "two\n"},
    };
    for (const EditCase &edit : cases)
        QTest::addRow("%s", edit.name) << edit;
}

// Keys, pastes, drops and commits change the model as they change what is shown: Space with
// any modifier is a space, text from other programs gets
// CR LF breaks, and our own copies carry the exact text. The program's selection counts every
// model character, inside a CR LF too, and the user's next key goes where the caret is shown.
void TestEditor::edits()
{
    QFETCH(EditCase, edit);
    const QString text = QString::fromUtf8(edit.text);

    // Writes run the change event before they return.
    m_edit->setText(text);
    QCOMPARE(m_events, QStringList{QStringLiteral("change ") + text});
    m_edit->setSelStart(edit.start);
    m_edit->setSelLength(edit.length);
    QCOMPARE(m_edit->SelStart(), edit.start);
    QCOMPARE(m_edit->SelText(), text.mid(edit.start, edit.length));
    if (edit.written) {
        m_edit->setSelText(QString::fromUtf8(edit.written));
        QCOMPARE(m_events.last(), QStringLiteral("change ") + m_edit->Text());
    }
    if (edit.clipboard) {
        auto *mime = new QMimeData;
        mime->setHtml(QStringLiteral("<b>bold</b>"));
        mime->setText(QString::fromUtf8(edit.clipboard));
        QGuiApplication::clipboard()->setMimeData(mime);
    }
    press(QString::fromUtf8(edit.keys));
    QCOMPARE(m_edit->Text(), QString::fromUtf8(edit.expected));
    QCOMPARE(m_edit->SelStart(), edit.expectedCaret);
    if (edit.expectedClipboard)
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromUtf8(edit.expectedClipboard));
    // Read back from what is shown: a line is a CR LF, a symbol a lone break.
    QString seen = m_edit->editor()->document()->toRawText();
    QVERIFY(!seen.contains(u"\u240D\u240A"));
    seen.replace(QChar::ParagraphSeparator, QLatin1String("\r\n")).replace(QChar(0x240D), u'\r');
    QCOMPARE(seen.replace(QChar(0x240A), u'\n'), m_edit->Text());
    // Each change is announced once.
    for (qsizetype i = 1; i < m_events.size(); ++i)
        QVERIFY2(m_events.at(i) != m_events.at(i - 1), qPrintable(m_events.at(i)));
    QCOMPARE(m_events.last(), QStringLiteral("change ") + m_edit->Text());
}

void TestEditor::keyOrder_data()
{
    QTest::addColumn<int>("consumeKeyCode"); // key code the key-down handler sets to 0
    QTest::addColumn<int>("replaceWith");    // character code the key-press handler writes
    QTest::addColumn<QString>("expectedEvents");

    QTest::addRow("plain") << 0 << -1 << "down 65 0, press 97, change a";
    QTest::addRow("consumed") << 65 << -1 << "down 65 0";
    QTest::addRow("swallowed") << 0 << 0 << "down 65 0, press 97";
    QTest::addRow("replaced") << 0 << int('=') << "down 65 0, press 97, change =";
}

// Key-down runs before key-press, and key-press before the control inserts the character.
void TestEditor::keyOrder()
{
    QFETCH(int, consumeKeyCode);
    QFETCH(int, replaceWith);
    QFETCH(QString, expectedEvents);

    m_edit->onKeyDown([&](int &keyCode, int shift) {
        m_events.append(QStringLiteral("down %1 %2").arg(keyCode).arg(shift));
        if (keyCode == consumeKeyCode)
            keyCode = 0;
    });
    m_edit->onKeyPress([&](int &keyAscii) {
        m_events.append(QStringLiteral("press %1").arg(keyAscii));
        if (replaceWith >= 0)
            keyAscii = replaceWith;
    });
    QTest::keyClicks(m_edit->editor(), QStringLiteral("a"));
    QCOMPARE(m_events.join(QLatin1String(", ")), expectedEvents);
    QCOMPARE(m_edit->Text(), expectedEvents.section(QLatin1String("change "), 1));
}

void TestEditor::undoAndRedo_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("setup"); // keys that set the scene
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("expected"); // "|" is the caret
    const auto row = [](const char *name, const char *text, int caret, const char *setup,
                        QAnyStringView action, QAnyStringView expected) {
        QTest::addRow("%s", name) << QString::fromUtf8(text) << caret << QString::fromUtf8(setup)
                                  << action.toString() << expected.toString();
    };
    row("typed word", "<p>", 3, "", "keys:abc", "<p>abc|");
    row("completion by space", "", 0, "<ta", "keys: ", "<table |");
    row("attribute completed by space", "", 0, "<table bo", "keys: ", "<table border=|");
    row("quoted value completed", "<font face=\"\">", 12, "ari",
        "keys: ", "<font face=\"arial\" |>");
    row("space in a list", "", 0, "<table b{Down}", "keys: ", "<table background=|");
    row("closing tag by >", "", 0, "<table", "keys:>", "<table>|</table>");
    row("enter finishing a tag", "", 0, "<br", "keys:{Return}", "<br>\r\n|");
    row("rp all", "a b a", 2, "", "rpall:a>xy", "|xy b xy");
    row("replace", "one two one", 4, "{Shift+Right}{Shift+Right}{Shift+Right}", "replace:one>x",
        "one x |one");
    row("lone breaks typed over", "a\rb\nc", 0, "{Ctrl+A}", "keys:z", "z|");
    row("paste", "ab", 1, "", "keys:{Ctrl+V}", "ap\r\nq|b");
    // The Insert menu wraps the selection, keeping it as it was, or types at the caret.
    row("insert on nothing", "abcd", 2, "", "menu:<p...", "ab<p>|</p>cd");
    const std::pair<const char *, const char *> commands[] = {
        {"<table...", "<table>\r\n   <tr>\r\n      <td>%1|</td>\r\n   </tr>\r\n</table>"},
        {"<p...", "<p>%1|</p>"},
        {"<font...", "<font face=>%1|</font>"},
        {"<a href...", "<a href=>%1|</a>"},
        {"<br>", "<br>%1|"},
        {"<img...", "<img src=%1|>"},
        {"<script...", "<script>\r\n%1|\r\n</script>"},
        {"<html...", "<HTML>\r\n<HEAD>\r\n   <TITLE></TITLE>\r\n</head>\r\n<BODY>\r\n%1|\r\n\r\n"
                     "</BODY>\r\n</HTML>"},
        {"<>...Other", "<>%1|</>"},
        {"nbsp", "&nbsp;|"}}; // replaces the selection
    for (const auto &[caption, wrapped] : commands)
        row(caption, "abx\r\nycd", 2, "{Shift+End}{Shift+Right}{Shift+Right}",
            QString(QStringLiteral("menu:") + QLatin1String(caption)),
            QString(QStringLiteral("ab") +
                    QString::fromUtf8(wrapped).arg(QStringLiteral("x\r\ny")) +
                    QStringLiteral("cd")));
}

// The action runs the change handler once when it is a menu command; one undo gives back the
// text, the selection and the preview before the action, one redo those after it; each runs the
// change handler once.
void TestEditor::undoAndRedo()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, setup);
    QFETCH(QString, action);
    QFETCH(QString, expected);
    const int expectedCaret = int(expected.indexOf(u'|'));
    expected.remove(u'|');

    const auto window = windowWith(text, caret);
    TestWindow &test = *window;
    Form1 &form = *test.form;
    QGuiApplication::clipboard()->setText(QStringLiteral("p\nq"));
    if (!action.startsWith(QLatin1String("keys:")) && !action.startsWith(QLatin1String("menu:")))
        form.search_Click();
    form.Text1.SetFocus();
    form.Text1.setSelStart(caret);
    typeKeys(form, setup);
    const auto selection = [&] { return qMakePair(form.Text1.SelStart(), form.Text1.SelLength()); };
    const QString before = form.Text1.Text();
    const auto selectionBefore = selection();
    int changes = 0;
    form.Text1.onChange([&] {
        ++changes;
        form.Text1_Change();
    });
    act(test, action);
    QCOMPARE(form.Text1.Text(), expected);
    QCOMPARE(form.Text1.SelStart(), expectedCaret);
    if (action.startsWith(QLatin1String("menu:")))
        QCOMPARE(qMakePair(changes, form.Text1.SelLength()), qMakePair(1, 0));
    const auto selectionAfter = selection();

    for (const QString &keys : {QStringLiteral("Alt+Backspace"), QStringLiteral("Ctrl+Y"),
                                QStringLiteral("Alt+Backspace"), QStringLiteral("Ctrl+Shift+Z")}) {
        const bool undoing = keys.startsWith(u'A');
        changes = 0;
        form.page.ischanged = 0;
        const QKeyCombination key = QKeySequence(keys)[0];
        QTest::keyClick(form.Text1.editor(), key.key(), key.keyboardModifiers());
        const QString &now = undoing ? before : expected;
        QCOMPARE(form.Text1.Text(), now);
        QCOMPARE(selection(), undoing ? selectionBefore : selectionAfter);
        QCOMPARE(changes, 1);
        QCOMPARE(form.page.ischanged, qint16(1));
        QCOMPARE(test.preview(), PreviewHeader + now.toUtf8() + "\r\n");
    }
}

void TestEditor::coloursFollowEdits_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("caretAfter"); // the caret goes after the first occurrence
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("at"); // the first occurrence of this, after the keys
    QTest::addColumn<int>("kind");   // -1: plain
    const auto row = [](const char *name, const QString &page, const char *caretAfter,
                        const char *keys, const char *at, int kind) {
        QTest::addRow("%s", name) << page << QString::fromUtf8(caretAfter)
                                  << QString::fromUtf8(keys) << QString::fromUtf8(at) << kind;
    };
    const QString lines = QStringLiteral("<p>one</p>\r\n<p>two</p>\r\n<p>three</p>");
    const QString comment = QStringLiteral("<!--"), many = manyLines(400);
    const QString longLine =
        QStringLiteral("<!-- ") + QString(30000, u'x') + QStringLiteral("\r\nstill -->");
    row("opening a comment", lines, "", "< ! - -", "three", int(Kind::Comment));
    row("closing the comment", comment + lines, "two</p>", "- - >", "p>three", int(Kind::TagName));
    row("closing, then opening it again", comment + lines, "one</p>",
        "- - > Backspace Backspace Backspace", "three", int(Kind::Comment));
    row("opening a script", lines, "", "< s c r i p t > Return", "three", int(Kind::Script));
    row("removing the quote that closes a value",
        QStringLiteral("<a href=\"x\">\r\n<b>bold</b>\r\n<i>\"</i>"), "\"x\"", "Backspace", "bold",
        int(Kind::AttributeValue));
    row("Enter inside an open tag", QStringLiteral("<img src=a.png alt=b>\r\n<p>x</p>"), "a.png",
        "Return", "alt", int(Kind::AttributeName));
    row("opening a comment above lines not shown", many, "", "< ! - - Ctrl+End", "line 399",
        int(Kind::Comment));
    row("closing it again far above", comment + many, "<!--", "- - > Ctrl+End",
        "class=\"line\">line 399", int(Kind::AttributeName));
    // Laying out thousands of colour runs would make every keystroke in it slow.
    row("very long line left plain", longLine, "", "", "<!-- x", -1);
    row("its state kept", longLine, "", "", "still", int(Kind::Comment));
    row("pasted comment", QStringLiteral("<html>\r\n<p>a &amp; b</p>\r\n"), "<html>", "Ctrl+V",
        "&amp;", int(Kind::Comment));
}

// The same edits on a coloured editor and on a plain one leave the same text, caret, scroll
// position and number of change events; the coloured one shows the colour the edit gave.
void TestEditor::coloursFollowEdits()
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
        m_events.clear();
        m_edit->setSelStart(
            caretAfter.isEmpty() ? 0 : int(page.indexOf(caretAfter) + caretAfter.size()));
        QPlainTextEdit *editor = m_edit->editor();
        pressKeys(editor, keys);
        TestWindow::settle();
        const QStringList seen{m_edit->Text(), QString::number(m_edit->SelStart()),
                               QString::number(m_edit->SelLength()),
                               QString::number(m_events.size()),
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

    void press(const QString &keys)
    {
        LongLines::setEnabled(inPieces);
        edit.SetFocus();
        pressKeys(edit.editor(), keys);
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

void TestEditor::longLineSameAsWhole_data()
{
    QTest::addColumn<int>("fromBreak"); // the caret's place, from the end of the first piece
    QTest::addColumn<QString>("keys");

    const auto row = [](const char *name, int fromBreak, const char *keys) {
        QTest::addRow("%s", name) << fromBreak << QString::fromLatin1(keys);
    };
    row("type at the break", 0, "a b Left Left Left c");
    row("arrows over the break", -2, "Right Right Right x Left Left Left Left y");
    row("backspace at the break", 0, "Backspace Backspace z");
    row("delete before the break", -1, "Delete Delete Delete q");
    row("select over the break, copy, paste", -2,
        "Shift+Right Shift+Right Shift+Right Ctrl+C Right Ctrl+V Ctrl+V Shift+Left Shift+Left "
        "Ctrl+X");
    row("line break at the break", 0, "Return Backspace Return");
    row("whole line replaced", 0, "Home Shift+End x y");
    row("comment opened over the break", -3, "< ! - -");
}

void TestEditor::longLineSameAsWhole()
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

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
