#include "editor/editcontrol.h"
#include "platform/qtkeysender.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>

// The edit control's keys, clipboard, drops and input methods on the real widget; its text
// model alone is tested in the unit tier.
class TestEditControl : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void edits_data();
    void edits();
    void keyOrder_data();
    void keyOrder();
    void sentKeys();

private:
    void press(const QString &keys);

    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<EditControl> m_edit;
    QStringList m_events;
};

// The starting text with the program's selection and write, then keys by their names ("Drop"
// drops the clipboard's text at the caret, "Commit" commits it from an input method, "Bold"
// changes the format of the whole text).
struct EditCase
{
    const char *name, *text;
    int start, length;
    const char *written, *clipboard, *keys, *expected;
    int expectedCaret;
    const char *expectedClipboard;
};
Q_DECLARE_METATYPE(EditCase)

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

void TestEditControl::press(const QString &keys)
{
    const QMimeData *source = QGuiApplication::clipboard()->mimeData();
    for (const QString &name : keys.split(u' ', Qt::SkipEmptyParts)) {
        if (name == QLatin1String("Drop")) {
            const QPointF at = m_edit->PosFromChar(m_edit->SelStart()) + QPoint(1, 4);
            QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, source, Qt::LeftButton, {});
            QApplication::sendEvent(m_edit->editor()->viewport(), &enter);
            QDropEvent drop(at, Qt::CopyAction, source, Qt::LeftButton, {});
            QApplication::sendEvent(m_edit->editor()->viewport(), &drop);
        } else if (name == QLatin1String("Bold")) { // a highlighter's change of format
            QTextCursor all(m_edit->editor()->document());
            all.select(QTextCursor::Document);
            QTextCharFormat bold;
            bold.setFontWeight(QFont::Bold);
            all.mergeCharFormat(bold);
        } else if (name == QLatin1String("Commit")) {
            QInputMethodEvent commit;
            commit.setCommitString(source->text());
            QApplication::sendEvent(m_edit->editor(), &commit);
        } else {
            const QKeyCombination key = QKeySequence::fromString(name)[0];
            QTest::keyClick(m_edit->editor(), key.key(), key.keyboardModifiers());
        }
    }
}

void TestEditControl::edits_data()
{
    QTest::addColumn<EditCase>("edit");
    const char *const ab = "ab", *const aCrLfB = "a\r\nb", *const page = "ab\r\ncd";
    const EditCase cases[] = {
        {"shift+enter", ab, 1, 0, nullptr, nullptr, "Shift+Return", aCrLfB, 3, nullptr},
        {"ctrl+enter", ab, 1, 0, nullptr, nullptr, "Ctrl+Return", aCrLfB, 3, nullptr},
        {"alt+enter", ab, 1, 0, nullptr, nullptr, "Alt+Return", aCrLfB, 3, nullptr},
        {"keypad enter", ab, 1, 0, nullptr, nullptr, "Num+Enter", aCrLfB, 3, nullptr},
        {"shift+keypad enter", ab, 1, 0, nullptr, nullptr, "Shift+Num+Enter", aCrLfB, 3, nullptr},
        {"enter after lone lf", "a\nb", 3, 0, nullptr, nullptr, "Return", "a\nb\r\n", 5, nullptr},
        {"backspace, crlf", "a\r\nb\nc", 3, 0, nullptr, nullptr, "Backspace", "ab\nc", 1, nullptr},
        {"delete, cr meets lf", "\rx\n", 1, 0, nullptr, nullptr, "Delete", "\r\n", 2, nullptr},
        {"shift+space", ab, 1, 0, nullptr, nullptr, "Shift+Space", "a b", 2, nullptr},
        {"ctrl+space", ab, 1, 0, nullptr, nullptr, "Ctrl+Space", "a b", 2, nullptr},
        {"ctrl+shift+space", ab, 1, 0, nullptr, nullptr, "Ctrl+Shift+Space", "a b", 2, nullptr},
        {"user moves the caret", "abc", 1, 0, nullptr, nullptr, "Right", "abc", 2, nullptr},
        {"write inside crlf", page, 3, 0, "X", nullptr, "Z", "ab\rXz\ncd", 5, nullptr},
        {"cr before lone lf", "a\nb", 1, 0, "\r", nullptr, "Z", "az\r\nb", 2, nullptr},
        {"crlf written whole", page, 2, 2, "\r\n\r\n", nullptr, "Z", "ab\r\n\r\nzcd", 7, nullptr},
        {"pasted lf", "<>", 1, 0, nullptr, "x\ny", "Ctrl+V", "<x\r\ny>", 5, nullptr},
        {"pasted lf cr", "<>", 1, 0, nullptr, "x\n\ry", "Ctrl+V", "<x\r\n\r\ny>", 7, nullptr},
        {"pasted ps", "<>", 1, 0, nullptr, "x\u2029y", "Ctrl+V", "<x\r\ny>", 5, nullptr},
        {"dropped cr", "<>", 1, 0, nullptr, "x\ry", "Drop", "<x\r\ny>", 5, nullptr},
        {"dropped ls", "<>", 1, 0, nullptr, "x\u2028y", "Drop", "<x\r\ny>", 5, nullptr},
        {"committed ls", "<>", 1, 0, nullptr, "x\u2028y", "Commit", "<x\r\ny>", 5, nullptr},
        {"paste after lone cr", "", 0, 0, "p\rx", "\nab", "Left Ctrl+V c", "p\r\r\nabcx", 7,
         nullptr},
        {"format change", "<p>a\r\nb\rc</p>", 3, 0, nullptr, nullptr, "Bold X", "<p>xa\r\nb\rc</p>",
         4, nullptr},
        {"cut and paste in place", "<p>\r\nx\ry\n</p>\r\n", 0, 0, nullptr, nullptr,
         "Ctrl+A Ctrl+X Ctrl+V", "<p>\r\nx\ry\n</p>\r\n", 15, "<p>\nx\ny\n</p>\n"},
        {"copy and paste at the end", aCrLfB, 0, 0, nullptr, nullptr,
         "Ctrl+A Ctrl+C Ctrl+End Ctrl+V", "a\r\nba\r\nb", 8, "a\nb"},
        {"cut a line and paste it above", "one\r\ntwo\r\n", 0, 0, nullptr, nullptr,
         "Down Shift+Down Ctrl+X Up Ctrl+V", "two\r\none\r\n", 5, "two\n"},
    };
    for (const EditCase &edit : cases)
        QTest::addRow("%s", edit.name) << edit;
}

// Keys, pastes, drops and commits change the model as they change what is shown: Enter with
// any modifier is one CR LF, Space with any modifier a space, text from other programs gets
// CR LF breaks, and our own copies carry the exact text. The program's selection counts every
// model character, inside a CR LF too, and the user's next key goes where the caret is shown.
void TestEditControl::edits()
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

void TestEditControl::keyOrder_data()
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
void TestEditControl::keyOrder()
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

// A queued key runs after the character that sent it; a waited-for key before SendKeys returns.
void TestEditControl::sentKeys()
{
    QtKeySender keys;
    m_edit->setText(QStringLiteral("xyz"));
    m_edit->setSelStart(1);
    m_edit->onKeyPress([&](int &keyAscii) {
        if (keyAscii == int('a'))
            keys.SendKeys(QStringLiteral("{Del}"));
        if (keyAscii == int(' ')) {
            keyAscii = 0;
            keys.SendKeys(QStringLiteral("="), true);
            m_events.append(QStringLiteral("after send ") + m_edit->Text());
        }
    });
    QTest::keyClicks(m_edit->editor(), QStringLiteral("a"));
    QCOMPARE(m_edit->Text(), QStringLiteral("xayz"));
    QCoreApplication::processEvents();
    QCOMPARE(m_edit->Text(), QStringLiteral("xaz"));
    QTest::keyClicks(m_edit->editor(), QStringLiteral(" "));
    QCOMPARE(m_edit->Text(), QStringLiteral("xa=z"));
    QCOMPARE(m_events.last(), QStringLiteral("after send xa=z"));
}

QTEST_MAIN(TestEditControl)
#include "tst_editcontrol.moc"
