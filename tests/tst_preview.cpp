#include "doubles/testwindow.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QTest>

// The preview file that every change writes, and the browser call that shows it.
class TestPreview : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void emptyEditorGivesTheLineAndTwoBreaks();
    void textEndingWithALineBreakGetsOneMore();
    void changedMarkFollowsOpenEditAndSave();
    void navigateOrRefresh();
    void nothingHappensWhileOpening();
    void previewInThePageEncoding_data();
    void previewInThePageEncoding();

private:
    QByteArray preview() const;
    void openPage(const QByteArray &bytes);

    std::unique_ptr<TestWindow> m_tw;
};

namespace {
const QByteArray Header = QByteArrayLiteral(
    "<script>function killerr_for_vlm(){return true;}window.onerror=killerr_for_vlm;</script>\r\n");
}

void TestPreview::init()
{
    m_tw = std::make_unique<TestWindow>();
}

void TestPreview::cleanup()
{
    m_tw.reset();
}

QByteArray TestPreview::preview() const
{
    QFile file(m_tw->form->page.tempfile);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void TestPreview::openPage(const QByteArray &bytes)
{
    QFile file(m_tw->pagePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    m_tw->load();
}

void TestPreview::emptyEditorGivesTheLineAndTwoBreaks()
{
    m_tw->load();
    QPlainTextEdit *editor = m_tw->form->Text1.editor();
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Backspace);
    QCOMPARE(m_tw->form->Text1.Text(), QString());
    QCOMPARE(preview().size(), 92);
    QCOMPARE(preview(), Header + "\r\n");
}

void TestPreview::textEndingWithALineBreakGetsOneMore()
{
    openPage("a\r\n");
    QTest::keyClicks(m_tw->form->Text1.editor(), QStringLiteral("b"));
    QCOMPARE(preview(), Header + "ba\r\n\r\n");
}

void TestPreview::changedMarkFollowsOpenEditAndSave()
{
    openPage("a\r\n");
    Form1 &form = *m_tw->form;
    QCOMPARE(form.page.ischanged, qint16(0));
    QTest::keyClicks(form.Text1.editor(), QStringLiteral("b"));
    QCOMPARE(form.page.ischanged, qint16(1));
    form.save_Click();
    QCOMPARE(form.page.ischanged, qint16(0));
    QTest::keyClick(form.Text1.editor(), Qt::Key_Return);
    QCOMPARE(form.page.ischanged, qint16(1));
}

// While the preview is shown, a change reloads it; shown anything else, a change brings the
// browser back to it.
void TestPreview::navigateOrRefresh()
{
    openPage("a\r\n");
    FakeBrowser &browser = m_tw->browser;
    const QString navigate = QStringLiteral("Navigate ") + m_tw->form->page.tempfile;
    QCOMPARE(browser.calls.constLast(), navigate);
    QPlainTextEdit *editor = m_tw->form->Text1.editor();
    const auto typed = [&](const QString &expected) {
        browser.calls.clear();
        QTest::keyClicks(editor, QStringLiteral("x"));
        QCOMPARE(browser.calls, QStringList{expected});
    };
    typed(QStringLiteral("Refresh"));
    browser.followLink(QStringLiteral("https://example.org/next.html"));
    typed(navigate);
    typed(QStringLiteral("Refresh"));
    browser.GoHome();
    typed(navigate);
}

void TestPreview::nothingHappensWhileOpening()
{
    openPage("a\r\n");
    Form1 &form = *m_tw->form;
    const QByteArray before = preview();
    m_tw->browser.calls.clear();
    form.page.isopening = 1;
    QTest::keyClicks(form.Text1.editor(), QStringLiteral("b"));
    QCOMPARE(form.Text1.Text(), QStringLiteral("ba\r\n"));
    QCOMPARE(form.page.ischanged, qint16(0));
    QCOMPARE(preview(), before);
    QVERIFY(m_tw->browser.calls.isEmpty());
}

void TestPreview::previewInThePageEncoding_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QByteArray>("previewed");

    const QByteArray utf8 = "<meta charset=\"UTF-8\">\r\n";
    QTest::addRow("ascii") << QByteArray("a\r\n") << Header + "ba\r\n\r\n";
    QTest::addRow("utf-8") << QByteArray("\xC3\xA9\r\n") << Header + utf8 + "b\xC3\xA9\r\n\r\n";
    QTest::addRow("utf-8 declared") << QByteArray("<meta charset=utf-8>\xC3\xA9\r\n")
                                    << Header + "b<meta charset=utf-8>\xC3\xA9\r\n\r\n";
    QTest::addRow("utf-8 with bom")
        << QByteArray("\xEF\xBB\xBF\xC3\xA9\r\n") << "\xEF\xBB\xBF" + Header + "b\xC3\xA9\r\n\r\n";
    QTest::addRow("windows-1252") << QByteArray("\x93\xE9\r\n")
                                  << Header +
                                         "<meta charset=\"windows-1252\">\r\nb\x93\xE9\r\n\r\n";
}

// The preview is written in the page's encoding; where the page does not declare it, the
// preview does, so that the browser need not guess.
void TestPreview::previewInThePageEncoding()
{
    QFETCH(QByteArray, page);
    QFETCH(QByteArray, previewed);

    openPage(page);
    QTest::keyClicks(m_tw->form->Text1.editor(), QStringLiteral("b"));
    QCOMPARE(preview(), previewed);
}

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"
