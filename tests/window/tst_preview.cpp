#include "doubles/testwindow.h"

#include <QPlainTextEdit>
#include <QTest>

// The preview file that every change writes, and the browser call that shows it.
class TestPreview : public QObject
{
    Q_OBJECT

private slots:
    void editsMarkAndShow();
    void previewInThePageEncoding_data();
    void previewInThePageEncoding();
};

// Every edit marks the page changed and writes the preview, reloaded while it is shown, else
// navigated back to; Save clears the mark.
void TestPreview::editsMarkAndShow()
{
    TestWindow tw;
    tw.loadPage(QByteArray());
    Form1 &form = *tw.form;
    const QString navigate = QStringLiteral("Navigate ") + form.page.tempfile;
    const auto typed = [&](const QString &shown) {
        tw.browser.calls.clear();
        tw.type(QStringLiteral("x"));
        QCOMPARE(tw.browser.calls, QStringList{shown});
        QCOMPARE(form.page.ischanged, qint16(1));
    };
    typed(QStringLiteral("Refresh"));
    QTest::keyClick(form.Text1.editor(), Qt::Key_Backspace);
    QCOMPARE(tw.preview(), PreviewHeader + "\r\n");
    QCOMPARE(tw.preview().size(), 92);
    form.save_Click();
    QCOMPARE(form.page.ischanged, qint16(0));

    tw.browser.followLink(QStringLiteral("https://example.org/next.html"));
    typed(navigate);
    typed(QStringLiteral("Refresh"));
    tw.browser.GoHome();
    typed(navigate);
}

void TestPreview::previewInThePageEncoding_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QByteArray>("previewed");

    QTest::addRow("ascii") << QByteArray("a\r\n") << PreviewHeader + "ba\r\n\r\n";
    QTest::addRow("windows-1252") << QByteArray("\x93\xE9\r\n")
                                  << PreviewHeader +
                                         "<meta charset=\"windows-1252\">\r\nb\x93\xE9\r\n\r\n";
}

// The preview is written in the encoding the page was read in.
void TestPreview::previewInThePageEncoding()
{
    QFETCH(QByteArray, page);
    QFETCH(QByteArray, previewed);

    TestWindow tw;
    tw.loadPage(page);
    tw.type(QStringLiteral("b"));
    QCOMPARE(tw.preview(), previewed);
}

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"
