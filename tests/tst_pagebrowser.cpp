#include "doubles/testwindow.h"
#include "platform/webenginebrowser.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>

// The whole road with the real browser engine: a page opened, typed into with real keys, and
// what the browser then renders.
class TestPageBrowser : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void typedTextIsShown();
    void scriptErrorsDoNotSurface();
    void pageWithoutCharset_data();
    void pageWithoutCharset();
    void refreshKeepsTheScrollPosition();
    void burstOfTypingLoadsOnceMore();

private:
    void openPage(const QByteArray &bytes);
    void type(const QString &text);
    QVariant evaluate(const QString &script);
    QString shownText() { return evaluate(QStringLiteral("document.body.innerText")).toString(); }
    QString settledText();
    void typeAtEnd(const QString &text);

    std::unique_ptr<WebEngineBrowser> m_browser;
    std::unique_ptr<TestWindow> m_tw;
};

namespace {
QStringList consoleMessages;
QtMessageHandler defaultHandler = nullptr;

void recordConsole(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (context.category && QLatin1String(context.category) == QLatin1String("js"))
        consoleMessages.append(message);
    defaultHandler(type, context, message);
}

constexpr int LoadTimeout = 30000;
} // namespace

void TestPageBrowser::initTestCase()
{
    defaultHandler = qInstallMessageHandler(recordConsole);
}

void TestPageBrowser::init()
{
    consoleMessages.clear();
    m_browser = std::make_unique<WebEngineBrowser>();
    m_tw = std::make_unique<TestWindow>(m_browser.get());
}

void TestPageBrowser::cleanup()
{
    m_tw.reset();
    m_browser.reset();
}

void TestPageBrowser::openPage(const QByteArray &bytes)
{
    QFile file(m_tw->pagePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    m_tw->load();
}

void TestPageBrowser::type(const QString &text)
{
    EditControl &text1 = m_tw->form->Text1;
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, text1.editor(), Qt::Key_unknown, QString(c),
                            Qt::NoModifier);
    }
}

QVariant TestPageBrowser::evaluate(const QString &script)
{
    auto result = std::make_shared<std::optional<QVariant>>();
    m_browser->webView()->page()->runJavaScript(
        script, [result](const QVariant &value) { *result = value; });
    if (!QTest::qWaitFor([&] { return result->has_value(); }, LoadTimeout))
        return QVariant();
    return result->value();
}

// Waits until the browser has loaded all that it was asked to, and reads what it shows.
QString TestPageBrowser::settledText()
{
    if (!QTest::qWaitFor([this] { return !m_browser->isLoading(); }, LoadTimeout))
        return QStringLiteral("<still loading>");
    return shownText();
}

void TestPageBrowser::typeAtEnd(const QString &text)
{
    m_tw->form->Text1.setSelStart(int(m_tw->form->Text1.Text().size()));
    type(text);
}

void TestPageBrowser::typedTextIsShown()
{
    openPage("<p>start</p>\r\n");
    QCOMPARE(settledText(), QStringLiteral("start"));
    typeAtEnd(QStringLiteral("<p>typed</p>"));
    QCOMPARE(settledText(), QStringLiteral("start\n\ntyped"));
}

// Neither the opened page's broken script nor the half-typed one reaches the console, and the
// rest of the page is shown.
void TestPageBrowser::scriptErrorsDoNotSurface()
{
    openPage("<script>missing();</script><p>one</p>\r\n");
    QCOMPARE(settledText(), QStringLiteral("one"));
    typeAtEnd(QStringLiteral("<script>broken(</script><p>two</p>"));
    QCOMPARE(settledText(), QStringLiteral("one\n\ntwo"));
    QCOMPARE(evaluate(QStringLiteral("typeof killerr_for_vlm")).toString(),
             QStringLiteral("function"));
    QVERIFY2(consoleMessages.isEmpty(), qPrintable(consoleMessages.join(u'\n')));
}

void TestPageBrowser::pageWithoutCharset_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("shown");

    QTest::addRow("utf-8") << QByteArray("<p>Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC "
                                         "\xE2\x80\x9Cq\xE2\x80\x9D</p>\r\n")
                           << QStringLiteral("Grüße € “q”");
    QTest::addRow("short utf-8") << QByteArray("<p>\xC3\xA9</p>\r\n") << QStringLiteral("é");
    QTest::addRow("windows-1252") << QByteArray("<p>Gr\xFC\xDF\x65 \x80 \x93q\x94</p>\r\n")
                                  << QStringLiteral("Grüße € “q”");
    QTest::addRow("short windows-1252")
        << QByteArray("<p>\xE0\xE8\xF1\xE9\xF2</p>\r\n") << QStringLiteral("àèñéò");
    QTest::addRow("windows-1252 capitals")
        << QByteArray("<p>\xC0\xC8\xD1\xC9</p>\r\n") << QStringLiteral("ÀÈÑÉ");
}

// Shown right when opened, and still right after an edit.
void TestPageBrowser::pageWithoutCharset()
{
    QFETCH(QByteArray, page);
    QFETCH(QString, shown);

    openPage(page);
    QCOMPARE(settledText(), shown);
    m_tw->form->Text1.setSelStart(3);
    type(QStringLiteral("é"));
    QCOMPARE(settledText(), QStringLiteral("é") + shown);
}

void TestPageBrowser::refreshKeepsTheScrollPosition()
{
    QByteArray page;
    for (int i = 0; i < 300; ++i)
        page += "<p>line " + QByteArray::number(i) + "</p>\r\n";
    openPage(page);
    QVERIFY(settledText().endsWith(QLatin1String("line 299")));
    evaluate(QStringLiteral("window.scrollTo(0, 2000)"));
    QTRY_COMPARE(evaluate(QStringLiteral("window.scrollY")).toInt(), 2000);

    typeAtEnd(QStringLiteral("<p>end</p>"));
    QVERIFY(settledText().endsWith(QLatin1String("end")));
    QTRY_COMPARE(evaluate(QStringLiteral("window.scrollY")).toInt(), 2000);
}

// Keys typed while a reload runs are all shown by one more reload after it.
void TestPageBrowser::burstOfTypingLoadsOnceMore()
{
    openPage("<p>a</p>\r\n");
    QCOMPARE(settledText(), QStringLiteral("a"));
    QSignalSpy loads(m_browser->webView(), &QWebEngineView::loadStarted);
    connect(
        m_browser->webView(), &QWebEngineView::loadStarted, this,
        [this] { type(QStringLiteral("cdefghijklmnopqrstu")); }, Qt::SingleShotConnection);
    m_tw->form->Text1.setSelStart(4);
    type(QStringLiteral("b"));
    QCOMPARE(settledText(), QStringLiteral("abcdefghijklmnopqrstu"));
    QCOMPARE(loads.size(), 2);
}

QTEST_MAIN(TestPageBrowser)
#include "tst_pagebrowser.moc"
