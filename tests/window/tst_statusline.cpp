#include "assisttesting.h"

using namespace AssistTesting;

// What the right-hand part of the status bar says after the page is opened, typed in, moved
// through and saved.
class TestStatusLine : public QObject
{
    Q_OBJECT

private slots:
    void statusAfterKeys_data();
    void statusAfterKeys();
};

void TestStatusLine::statusAfterKeys_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("status");
    const QByteArray page = "<p>a</p>\r\n<p>bc</p>\r\n";
    QTest::addRow("opened") << page << ""
                            << "Ln 1, Col 1   UTF-8 CRLF";
    QTest::addRow("moved") << page << "{Down}{End}"
                           << "Ln 2, Col 10   UTF-8 CRLF";
    QTest::addRow("typed") << page << "xy"
                           << "Ln 1, Col 3   Modified   UTF-8 CRLF";
    QTest::addRow("saved") << page << "xy{Ctrl+S}"
                           << "Ln 1, Col 3   UTF-8 CRLF";
    QTest::addRow("undone to the saved text") << page << "x{Alt+Backspace}"
                                              << "Ln 1, Col 1   Modified   UTF-8 CRLF";
    QTest::addRow("tab one column") << QByteArray("\t\tx\r\n") << "{End}"
                                    << "Ln 1, Col 4   UTF-8 CRLF";
    QTest::addRow("windows-1252 LF") << QByteArray("<p>caf\xe9</p>\n<p>\n") << "{Down}"
                                     << "Ln 2, Col 1   Windows-1252 LF";
    QTest::addRow("utf-16 LE") << QByteArray("\xff\xfe<\0p\0>\0\r\0\n\0", 12) << "{Right}"
                               << "Ln 1, Col 2   UTF-16LE CRLF";
    QTest::addRow("problems") << QByteArray("<img src=a.png>\r\n") << ""
                              << "Ln 1, Col 1   UTF-8 CRLF   2 problems";
    QTest::addRow("one problem, typed") << page << "{End}<blurp>"
                                        << "Ln 1, Col 16   Modified   UTF-8 CRLF   1 problem";
}

void TestStatusLine::statusAfterKeys()
{
    QFETCH(QByteArray, page);
    QFETCH(QString, keys);
    QFETCH(QString, status);
    TestWindow window;
    window.loadPage(page);
    window.form->Text1.SetFocus();
    typeKeys(*window.form, keys);
    QTRY_COMPARE(window.form->window.permanentStatus(), status);
}

QTEST_MAIN(TestStatusLine)
#include "tst_statusline.moc"
