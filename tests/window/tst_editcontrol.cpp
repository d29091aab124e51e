#include "editor/editcontrol.h"
#include "platform/keycodes.h"
#include "platform/qtkeysender.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QWidget>

// The editor's CR LF text model and its key events, on the real widget.
class TestEditControl : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void textModel_data();
    void textModel();
    void typedKeys_data();
    void typedKeys();
    void programSelection_data();
    void programSelection();
    void writesRunTheChangeEventBeforeReturning();
    void pasteFromOtherPrograms_data();
    void pasteFromOtherPrograms();
    void cutAndPaste_data();
    void cutAndPaste();
    void pasteAfterLoneBreak();
    void inputMethodCommit_data();
    void inputMethodCommit();
    void formatChangesAreNoEdits();
    void keyOrder_data();
    void keyOrder();
    void queuedKeyRunsAfterTheCharacter();
    void waitingKeyRunsBeforeReturn();

private:
    void type(const QString &keys);

    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<EditControl> m_edit;
    QStringList m_events;
};

void TestEditControl::init()
{
    m_window = std::make_unique<QWidget>();
    m_edit = std::make_unique<EditControl>(m_window.get());
    m_edit->Move(0, 0, 6000, 3000);
    m_events.clear();
    m_edit->onChange([this] { m_events.append(QStringLiteral("change ") + m_edit->Text()); });
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_edit->SetFocus();
}

void TestEditControl::cleanup()
{
    m_window.reset();
    m_edit.reset();
}

void TestEditControl::type(const QString &keys)
{
    QTest::keyClicks(m_edit->editor(), keys);
}

namespace {
// What the document holds, line breaks as "\n".
QString shown(const EditControl &edit)
{
    return edit.editor()->document()->toRawText().replace(QChar::ParagraphSeparator, u'\n');
}

// Clicks keys by their names, separated by spaces ("Shift+Return Ctrl+V x").
void press(QWidget *widget, const QString &keys)
{
    for (const QString &name : keys.split(u' ', Qt::SkipEmptyParts)) {
        const QKeyCombination key = QKeySequence::fromString(name)[0];
        QTest::keyClick(widget, key.key(), key.keyboardModifiers());
    }
}
} // namespace

void TestEditControl::textModel_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expectedShown");

    QTest::addRow("crlf") << QStringLiteral("ab\r\ncd\r\n") << QStringLiteral("ab\ncd\n");
    QTest::addRow("lone lf") << QStringLiteral("ab\ncd") << QStringLiteral("ab\u240Acd");
    QTest::addRow("lone cr") << QStringLiteral("ab\rcd") << QStringLiteral("ab\u240Dcd");
    QTest::addRow("mixed") << QStringLiteral("a\r\nb\nc\rd\r\n\n\r")
                           << QStringLiteral("a\nb\u240Ac\u240Dd\n\u240A\u240D");
    QTest::addRow("cr before crlf") << QStringLiteral("\r\r\n") << QStringLiteral("\u240D\n");
    QTest::addRow("lf before cr") << QStringLiteral("\n\r") << QStringLiteral("\u240A\u240D");
    QTest::addRow("separators of a page")
        << QStringLiteral("a\u2028b\u2029c") << QStringLiteral("a\u2424b\u2424c");
    QTest::addRow("empty") << QString() << QString();
}

// Every kind of line break survives a write and read of the text; a CR LF is a line of the
// document, any other break a symbol on its line; every model position reads back exactly.
void TestEditControl::textModel()
{
    QFETCH(QString, text);
    QFETCH(QString, expectedShown);

    m_edit->setText(text);
    QCOMPARE(m_edit->Text(), text);
    QCOMPARE(m_edit->SelStart(), 0);
    QCOMPARE(shown(*m_edit), expectedShown);
    for (int position = 0; position <= text.size(); ++position) {
        m_edit->setSelStart(position);
        QCOMPARE(m_edit->SelStart(), position);
        m_edit->setSelLength(int(text.size()));
        QCOMPARE(m_edit->SelLength(), int(text.size()) - position);
        QCOMPARE(m_edit->SelText(), text.mid(position));
    }
}

void TestEditControl::typedKeys_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("expectedCaret");

    const QString ab = QStringLiteral("ab");
    const QString aCrLfB = QStringLiteral("a\r\nb");
    QTest::addRow("letter after lone lf")
        << QStringLiteral("a\nb") << 2 << QStringLiteral("x") << QStringLiteral("a\nxb") << 3;
    QTest::addRow("enter") << ab << 1 << QStringLiteral("Return") << aCrLfB << 3;
    QTest::addRow("shift+enter") << ab << 1 << QStringLiteral("Shift+Return") << aCrLfB << 3;
    QTest::addRow("ctrl+enter") << ab << 1 << QStringLiteral("Ctrl+Return") << aCrLfB << 3;
    QTest::addRow("alt+enter") << ab << 1 << QStringLiteral("Alt+Return") << aCrLfB << 3;
    QTest::addRow("keypad enter") << ab << 1 << QStringLiteral("Num+Enter") << aCrLfB << 3;
    QTest::addRow("shift+keypad enter")
        << ab << 1 << QStringLiteral("Shift+Num+Enter") << aCrLfB << 3;
    QTest::addRow("enter after lone lf") << QStringLiteral("a\nb") << 3 << QStringLiteral("Return")
                                         << QStringLiteral("a\nb\r\n") << 5;
    QTest::addRow("backspace removes a lone cr")
        << QStringLiteral("a\rb") << 2 << QStringLiteral("Backspace") << ab << 1;
    QTest::addRow("backspace removes a whole crlf")
        << QStringLiteral("a\r\nb\nc") << 3 << QStringLiteral("Backspace")
        << QStringLiteral("ab\nc") << 1;
    QTest::addRow("lone cr meets lone lf")
        << QStringLiteral("\rx\ny") << 2 << QStringLiteral("Backspace") << QStringLiteral("\r\ny")
        << 2;
    QTest::addRow("delete between lone cr and lone lf")
        << QStringLiteral("\rx\n") << 1 << QStringLiteral("Delete") << QStringLiteral("\r\n") << 2;
    QTest::addRow("space") << ab << 1 << QStringLiteral("Space") << QStringLiteral("a b") << 2;
    QTest::addRow("shift+space") << ab << 1 << QStringLiteral("Shift+Space")
                                 << QStringLiteral("a b") << 2;
    QTest::addRow("ctrl+space") << ab << 1 << QStringLiteral("Ctrl+Space") << QStringLiteral("a b")
                                << 2;
    QTest::addRow("ctrl+shift+space")
        << ab << 1 << QStringLiteral("Ctrl+Shift+Space") << QStringLiteral("a b") << 2;
}

// Keys change the model as they change what is shown: Enter with any modifier is one CR LF,
// Space with any modifier a space.
void TestEditControl::typedKeys()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, keys);
    QFETCH(QString, expected);
    QFETCH(int, expectedCaret);

    m_edit->setText(text);
    m_edit->setSelStart(caret);
    press(m_edit->editor(), keys);
    QCOMPARE(m_edit->Text(), expected);
    QCOMPARE(m_edit->SelStart(), expectedCaret);
    // Read back from what is shown: a line is a CR LF, a symbol a lone break.
    QString seen = shown(*m_edit);
    QVERIFY(!seen.contains(QStringLiteral("\u240D\u240A")));
    seen.replace(u'\n', QLatin1String("\r\n")).replace(QChar(0x240D), u'\r');
    QCOMPARE(seen.replace(QChar(0x240A), u'\n'), expected);
}

void TestEditControl::programSelection_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("expectedShown");

    const QString page = QStringLiteral("ab\r\ncd");
    QTest::addRow("caret inside crlf")
        << page << 3 << 0 << QString() << QStringLiteral("X") << QStringLiteral("ab\rX\ncd")
        << QStringLiteral("ab\u240DX\u240Acd");
    QTest::addRow("selection from inside crlf")
        << page << 3 << 2 << QStringLiteral("\nc") << QString() << QStringLiteral("ab\rd")
        << QStringLiteral("ab\u240Dd");
    QTest::addRow("selection to inside crlf")
        << page << 1 << 2 << QStringLiteral("b\r") << QStringLiteral("Y")
        << QStringLiteral("aY\ncd") << QStringLiteral("aY\u240Acd");
    QTest::addRow("cr written before a lone lf")
        << QStringLiteral("a\nb") << 1 << 0 << QString() << QStringLiteral("\r")
        << QStringLiteral("a\r\nb") << QStringLiteral("a\nb");
    QTest::addRow("lf written after a lone cr")
        << QStringLiteral("a\rb") << 2 << 0 << QString() << QStringLiteral("\n")
        << QStringLiteral("a\r\nb") << QStringLiteral("a\nb");
    QTest::addRow("crlf written whole")
        << page << 2 << 2 << QStringLiteral("\r\n") << QStringLiteral("\r\n\r\n")
        << QStringLiteral("ab\r\n\r\ncd") << QStringLiteral("ab\n\ncd");
}

// The program's own selection counts every model character, inside a CR LF too, and a write
// splits a CR LF where the program says.
void TestEditControl::programSelection()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, selected);
    QFETCH(QString, written);
    QFETCH(QString, expected);
    QFETCH(QString, expectedShown);

    m_edit->setText(text);
    m_edit->setSelStart(start);
    m_edit->setSelLength(length);
    QCOMPARE(m_edit->SelStart(), start);
    QCOMPARE(m_edit->SelLength(), length);
    QCOMPARE(m_edit->SelText(), selected);
    m_edit->setSelText(written);
    QCOMPARE(m_edit->Text(), expected);
    QCOMPARE(shown(*m_edit), expectedShown);
    QCOMPARE(m_edit->SelStart(), start + written.size());
    QCOMPARE(m_edit->SelLength(), 0);
    // The user's next key goes where the document shows the caret, and the model follows.
    type(QStringLiteral("z"));
    QCOMPARE(shown(*m_edit).count(u'z'), 1);
    QCOMPARE(m_edit->Text().count(u'z'), 1);
    QCOMPARE(m_edit->Text().size(), expected.size() + 1);
}

void TestEditControl::writesRunTheChangeEventBeforeReturning()
{
    m_edit->setText(QStringLiteral("ab"));
    QCOMPARE(m_events, QStringList{QStringLiteral("change ab")});
    m_edit->setSelStart(1);
    m_edit->setSelText(QStringLiteral("\r\n"));
    QCOMPARE(m_events.last(), QStringLiteral("change a\r\nb"));
    QCOMPARE(m_edit->SelStart(), 3);
    QCOMPARE(m_events.size(), 2);
    type(QStringLiteral("c"));
    QCOMPARE(m_events.last(), QStringLiteral("change a\r\ncb"));
    QCOMPARE(m_events.size(), 3);
}

void TestEditControl::pasteFromOtherPrograms_data()
{
    QTest::addColumn<bool>("dropped");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("expected");

    for (const bool dropped : {false, true}) {
        const char *how = dropped ? "dropped" : "pasted";
        QTest::addRow("%s lf", how)
            << dropped << QStringLiteral("x\ny") << QStringLiteral("<x\r\ny>");
        QTest::addRow("%s cr", how)
            << dropped << QStringLiteral("x\ry") << QStringLiteral("<x\r\ny>");
        QTest::addRow("%s crlf", how)
            << dropped << QStringLiteral("x\r\ny") << QStringLiteral("<x\r\ny>");
        QTest::addRow("%s lf cr", how)
            << dropped << QStringLiteral("x\n\ry") << QStringLiteral("<x\r\n\r\ny>");
        QTest::addRow("%s line separator", how)
            << dropped << QStringLiteral("x\u2028y") << QStringLiteral("<x\r\ny>");
        QTest::addRow("%s paragraph separator", how)
            << dropped << QStringLiteral("x\u2029y") << QStringLiteral("<x\r\ny>");
    }
}

// Text from other programs, pasted or dropped, gets the line breaks Enter types.
void TestEditControl::pasteFromOtherPrograms()
{
    QFETCH(bool, dropped);
    QFETCH(QString, clipboard);
    QFETCH(QString, expected);

    m_edit->setText(QStringLiteral("<>"));
    m_edit->setSelStart(1);
    auto *mime = new QMimeData;
    mime->setHtml(QStringLiteral("<b>bold</b>"));
    mime->setText(clipboard);
    if (dropped) {
        QWidget *const viewport = m_edit->editor()->viewport();
        const QPointF at = m_edit->PosFromChar(1) + QPoint(1, 4);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, mime, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &enter);
        QDropEvent drop(at, Qt::CopyAction, mime, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &drop);
        delete mime;
    } else {
        QGuiApplication::clipboard()->setMimeData(mime);
        press(m_edit->editor(), QStringLiteral("Ctrl+V"));
    }
    QCOMPARE(m_edit->Text(), expected);
    QCOMPARE(m_edit->SelStart(), expected.size() - 1);
    QCOMPARE(shown(*m_edit).count(u'\n'), expected.count(QLatin1String("\r\n")));
}

void TestEditControl::cutAndPaste_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("expectedClipboard");

    const QString page = QStringLiteral("<p>\r\nx\ry\n</p>\r\n");
    QTest::addRow("cut and paste in place") << page << QStringLiteral("Ctrl+A Ctrl+X Ctrl+V")
                                            << page << QStringLiteral("<p>\nx\ny\n</p>\n");
    QTest::addRow("copy and paste at the end")
        << QStringLiteral("a\r\nb") << QStringLiteral("Ctrl+A Ctrl+C Ctrl+End Ctrl+V")
        << QStringLiteral("a\r\nba\r\nb") << QStringLiteral("a\nb");
    QTest::addRow("cut a line and paste it above")
        << QStringLiteral("one\r\ntwo\r\n") << QStringLiteral("Down Shift+Down Ctrl+X Up Ctrl+V")
        << QStringLiteral("two\r\none\r\n") << QStringLiteral("two\n");
}

// Our own copies carry the exact model text, for other programs with LF breaks.
void TestEditControl::cutAndPaste()
{
    QFETCH(QString, text);
    QFETCH(QString, keys);
    QFETCH(QString, expected);
    QFETCH(QString, expectedClipboard);

    m_edit->setText(text);
    press(m_edit->editor(), keys);
    QCOMPARE(m_edit->Text(), expected);
    QCOMPARE(QGuiApplication::clipboard()->text(), expectedClipboard);
}

// A lone CR pasted by the program, then text from another program pasted right after it:
// what is shown and what is saved agree.
void TestEditControl::pasteAfterLoneBreak()
{
    m_edit->setText(QString());
    m_edit->setSelText(QStringLiteral("p\rx"));
    press(m_edit->editor(), QStringLiteral("Left"));
    QGuiApplication::clipboard()->setText(QStringLiteral("\nab"));
    press(m_edit->editor(), QStringLiteral("Ctrl+V c"));
    QCOMPARE(m_edit->Text(), QStringLiteral("p\r\r\nabcx"));
    QCOMPARE(shown(*m_edit), QStringLiteral("p\u240D\nabcx"));
}

void TestEditControl::inputMethodCommit_data()
{
    QTest::addColumn<QString>("commit");
    QTest::addColumn<QString>("expected");

    QTest::addRow("word") << QStringLiteral("\u00E9t\u00E9") << QStringLiteral("<\u00E9t\u00E9>");
    QTest::addRow("line feed") << QStringLiteral("x\ny") << QStringLiteral("<x\r\ny>");
    QTest::addRow("line separator") << QStringLiteral("x\u2028y") << QStringLiteral("<x\r\ny>");
}

// What an input method commits gets the line breaks Enter types.
void TestEditControl::inputMethodCommit()
{
    QFETCH(QString, commit);
    QFETCH(QString, expected);

    m_edit->setText(QStringLiteral("<>"));
    m_edit->setSelStart(1);
    m_events.clear();
    QInputMethodEvent event;
    event.setCommitString(commit);
    QApplication::sendEvent(m_edit->editor(), &event);
    QCOMPARE(m_edit->Text(), expected);
    QCOMPARE(m_edit->SelStart(), expected.size() - 1);
    QCOMPARE(shown(*m_edit).count(u'\n'), expected.count(QLatin1String("\r\n")));
    QCOMPARE(m_events.size(), 1);
}

// A change of format (a highlighter's) leaves the text alone: no change event, the same
// model, and typing goes on as before.
void TestEditControl::formatChangesAreNoEdits()
{
    const QString page = QStringLiteral("<p>a\r\nb\rc</p>\r\n").repeated(20000);
    m_edit->setText(page);
    m_edit->setSelStart(3);
    m_events.clear();
    QTextCursor all(m_edit->editor()->document());
    all.select(QTextCursor::Document);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    all.mergeCharFormat(bold);
    QCOMPARE(m_events, QStringList());
    QCOMPARE(m_edit->Text(), page);
    type(QStringLiteral("x"));
    QCOMPARE(m_edit->Text(), QString(page).insert(3, u'x'));
    QCOMPARE(m_events.size(), 1);
}

void TestEditControl::keyOrder_data()
{
    QTest::addColumn<int>("consumeKeyCode"); // key code the key-down handler sets to 0
    QTest::addColumn<int>("replaceWith");    // character code the key-press handler writes
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<QStringList>("expectedEvents");

    QTest::addRow("plain") << 0 << -1 << QStringLiteral("a")
                           << QStringList{QStringLiteral("down 65 0"), QStringLiteral("press 97"),
                                          QStringLiteral("change a")};
    QTest::addRow("consumed") << 65 << -1 << QString() << QStringList{QStringLiteral("down 65 0")};
    QTest::addRow("swallowed") << 0 << 0 << QString()
                               << QStringList{QStringLiteral("down 65 0"),
                                              QStringLiteral("press 97")};
    QTest::addRow("replaced") << 0 << int('=') << QStringLiteral("=")
                              << QStringList{QStringLiteral("down 65 0"),
                                             QStringLiteral("press 97"),
                                             QStringLiteral("change =")};
}

void TestEditControl::keyOrder()
{
    QFETCH(int, consumeKeyCode);
    QFETCH(int, replaceWith);
    QFETCH(QString, expectedText);
    QFETCH(QStringList, expectedEvents);

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
    type(QStringLiteral("a"));
    QCOMPARE(m_edit->Text(), expectedText);
    QCOMPARE(m_events, expectedEvents);
}

void TestEditControl::queuedKeyRunsAfterTheCharacter()
{
    QtKeySender keys;
    m_edit->setText(QStringLiteral("xyz"));
    m_edit->setSelStart(1);
    m_edit->onKeyPress([&](int &keyAscii) {
        if (keyAscii == int('a'))
            keys.SendKeys(QStringLiteral("{Del}"));
    });
    type(QStringLiteral("a"));
    QCOMPARE(m_edit->Text(), QStringLiteral("xayz"));
    QCoreApplication::processEvents();
    QCOMPARE(m_edit->Text(), QStringLiteral("xaz"));
}

void TestEditControl::waitingKeyRunsBeforeReturn()
{
    QtKeySender keys;
    m_edit->onKeyPress([&](int &keyAscii) {
        if (keyAscii == int(' ')) {
            keyAscii = 0;
            keys.SendKeys(QStringLiteral("="), true);
            m_events.append(QStringLiteral("after send ") + m_edit->Text());
        }
    });
    type(QStringLiteral("a "));
    QCOMPARE(m_edit->Text(), QStringLiteral("a="));
    QVERIFY(m_events.contains(QStringLiteral("after send a=")));
}

QTEST_MAIN(TestEditControl)
#include "tst_editcontrol.moc"
