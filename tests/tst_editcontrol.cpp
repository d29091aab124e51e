#include "platform/editcontrol.h"
#include "platform/keycodes.h"
#include "platform/qtkeysender.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
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
    void typedTextKeepsLoneBreaks_data();
    void typedTextKeepsLoneBreaks();
    void writesRunTheChangeEventBeforeReturning();
    void selectionCountsCrLfAsTwo();
    void pasteInsertsPlainTextWithItsBreaks();
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

void TestEditControl::textModel_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caretAfterEnd");
    QTest::addColumn<int>("lines");

    QTest::addRow("crlf") << QStringLiteral("ab\r\ncd\r\n") << 8 << 3;
    QTest::addRow("lone lf") << QStringLiteral("ab\ncd") << 5 << 2;
    QTest::addRow("lone cr") << QStringLiteral("ab\rcd") << 5 << 2;
    QTest::addRow("mixed") << QStringLiteral("a\r\nb\nc\rd\r\n\n\r") << 12 << 7;
    QTest::addRow("cr before crlf") << QStringLiteral("\r\r\n") << 3 << 3;
    QTest::addRow("empty") << QString() << 0 << 1;
}

// Every kind of line break survives a write and read of the text, shows as a line break,
// and positions count the model's characters.
void TestEditControl::textModel()
{
    QFETCH(QString, text);
    QFETCH(int, caretAfterEnd);
    QFETCH(int, lines);

    m_edit->setText(text);
    QCOMPARE(m_edit->Text(), text);
    QCOMPARE(m_edit->SelStart(), 0);
    QCOMPARE(m_edit->editor()->document()->blockCount(), lines);
    m_edit->setSelStart(caretAfterEnd);
    QCOMPARE(m_edit->SelStart(), caretAfterEnd);
    m_edit->setSelStart(0);
    m_edit->setSelLength(int(text.size()));
    QCOMPARE(m_edit->SelText(), text);
}

void TestEditControl::typedTextKeepsLoneBreaks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("expected");

    QTest::addRow("letter after lone lf")
        << QStringLiteral("a\nb") << 2 << QStringLiteral("x") << QStringLiteral("a\nxb");
    QTest::addRow("enter inserts crlf")
        << QStringLiteral("a\nb") << 3 << QStringLiteral("\r") << QStringLiteral("a\nb\r\n");
    QTest::addRow("backspace removes a lone cr")
        << QStringLiteral("a\rb") << 2 << QStringLiteral("\b") << QStringLiteral("ab");
    QTest::addRow("backspace removes a whole crlf")
        << QStringLiteral("a\r\nb\nc") << 3 << QStringLiteral("\b") << QStringLiteral("ab\nc");
    QTest::addRow("lone cr and lone lf stay two breaks")
        << QStringLiteral("\rx\n") << 2 << QStringLiteral("\b") << QStringLiteral("\r\n\n");
}

void TestEditControl::typedTextKeepsLoneBreaks()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, keys);
    QFETCH(QString, expected);

    m_edit->setText(text);
    m_edit->setSelStart(caret);
    QTest::keyClicks(m_edit->editor(), keys); // "\r" is Enter, "\b" Backspace
    QCOMPARE(m_edit->Text(), expected);
    // What the user sees: every break of the model, of any kind, is one line break.
    QCOMPARE(m_edit->editor()->toPlainText(),
             QString(expected)
                 .replace(QLatin1String("\r\n"), QLatin1String("\n"))
                 .replace(u'\r', u'\n'));
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

void TestEditControl::selectionCountsCrLfAsTwo()
{
    m_edit->setText(QStringLiteral("ab\r\ncd\r\nef"));
    m_edit->setSelStart(4);
    m_edit->setSelLength(4);
    QCOMPARE(m_edit->SelText(), QStringLiteral("cd\r\n"));
    m_edit->setSelText(QStringLiteral("X"));
    QCOMPARE(m_edit->Text(), QStringLiteral("ab\r\nXef"));
    QCOMPARE(m_edit->SelStart(), 5);
    QCOMPARE(m_edit->SelLength(), 0);
}

void TestEditControl::pasteInsertsPlainTextWithItsBreaks()
{
    m_edit->setText(QStringLiteral("ab"));
    m_edit->setSelStart(1);
    auto *mime = new QMimeData;
    mime->setHtml(QStringLiteral("<b>bold</b>"));
    mime->setText(QStringLiteral("x\ny\r\n"));
    QGuiApplication::clipboard()->setMimeData(mime);
    m_edit->editor()->paste();
    QCOMPARE(m_edit->Text(), QStringLiteral("ax\ny\r\nb"));
    QCOMPARE(m_edit->SelStart(), 6);
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
