#include "doubles/realbrowserwindow.h"
#include "preview/engine/pagefolders.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkDatagram>
#include <QPlainTextEdit>
#include <QTcpServer>
#include <QTest>
#include <QUdpSocket>
#include <QWebEnginePage>

// A page in the preview that tries to read files, reach the network, open windows and boxes,
// hold on to the page and take the focus, with the real browser engine and real input.
class TestSafePreview : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pageTries_data();
    void pageTries();
    void typingGoesOn();
    void linksClicked();
    void cleanupTestCase();

private:
    void click(const QString &id)
    {
        QTest::mouseClick(view(), Qt::LeftButton, {}, m_w->pointOf(u'#' + id));
    }
    QWidget *view() { return m_w->browser.webView()->focusProxy(); }

    std::unique_ptr<RealBrowserWindow> m_w;
    QTcpServer m_network;
    QUdpSocket m_udp;
    int m_connections = 0;
    QJsonObject m_results;
    QTemporaryDir m_elsewhere;
};

namespace {
// The system's browser, as the preview sees it.
class SystemBrowser : public QObject
{
    Q_OBJECT

public slots:
    void open(const QUrl &url) { opened.append(url); }

public:
    QList<QUrl> opened;
};
SystemBrowser systemBrowser;

const char *const Page = R"page(<script>var results = {};
window.addEventListener('message', function (e) { results[e.data + ' shown'] = 'yes'; });
document.onkeydown = function (e) { results.keys = (results.keys || '') + e.key; };</script>
<p id=text>the page</p>
<a id=remote-link href="http://127.0.0.1:PORT/clicked"
   onclick="window.open('http://127.0.0.1:PORT/opened'); setTimeout(function () { location = 'ftp://127.0.0.1:PORT/later'; }, 100)">remote</a>
<a id=local-link href="other.html">local</a>
<a id=new-window-link href="http://127.0.0.1:PORT/new-window" target="_blank">new window</a>
<img id=own src="own.png"><link rel=preconnect href="http://127.0.0.1:PORT/"><link rel=dns-prefetch href="http://127.0.0.1:PORT/">
<iframe id=frame src="frame.html"></iframe><iframe id=text-frame src="secret.txt"></iframe>
<img id=far src="ELSEWHERE/far.png"><link rel=stylesheet href="own.css"><link rel=stylesheet href="ELSEWHERE/far.css">
<iframe id=far-frame src="ELSEWHERE/frame.html"></iframe>
<script>
function attempt(name, promise) {
  promise.then(function (v) { results[name] = 'read: ' + v; },
               function () { results[name] = 'refused'; });
}
attempt('fetch of a file beside', fetch('secret.txt').then(function (r) { return r.text(); }));
attempt('fetch of the network', fetch('http://127.0.0.1:PORT/fetch').then(function (r) { return r.text(); }));
results['window.open'] = String(window.open('frame.html'));
results['prompt'] = String(prompt('name?', 'x'));
try {
  var rtc = new RTCPeerConnection({iceServers: [{urls: 'stun:127.0.0.1:UDPPORT'}]});
  rtc.createDataChannel('x');
  rtc.createOffer().then(function (offer) { return rtc.setLocalDescription(offer); });
  var turn = new RTCPeerConnection({iceTransportPolicy: 'relay', iceServers: [{username: 'u',
      credential: 'p', urls: 'turn:127.0.0.1:PORT?transport=tcp'}]});
  turn.createDataChannel('x');
  turn.createOffer().then(function (offer) { return turn.setLocalDescription(offer); });
} catch (e) {}
document.getElementById('text').onclick = function () {
  var t = document.createElement('textarea'); t.value = 'from the page'; document.body.append(t);
  t.select(); results['copy'] = String(document.execCommand('copy')); t.remove();
};
function pixels(id) {
  try { var g = document.createElement('canvas').getContext('2d');
        g.drawImage(document.getElementById(id), 0, 0); return 'read: ' + g.getImageData(0, 0, 1, 1).data[0]; }
  catch (e) { return 'refused'; } }
function rules(name) {
  try { return 'read: ' + Array.from(document.styleSheets).find(function (s) {
          return s.href.endsWith(name); }).cssRules.length; } catch (e) { return 'refused'; } }
window.onload = function () {
  ['text-frame', 'far-frame'].forEach(function (id) {
    try { results[id] = 'read: ' + document.getElementById(id).contentDocument.body.innerText; }
    catch (e) { results[id] = 'refused'; } });
  results['far image width'] = document.getElementById('far').naturalWidth;
  results['own pixels'] = pixels('own'); results['far pixels'] = pixels('far');
  results['own rules'] = rules('/own.css'); results['far rules'] = rules('/far.css');
  document.getElementById('remote-link').click();
  alert('hello\n  from the page');
};
window.onbeforeunload = function (e) { e.preventDefault(); return 'stay'; };
</script>
)page";
} // namespace

void TestSafePreview::initTestCase()
{
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &systemBrowser, "open");
    QVERIFY(m_network.listen(QHostAddress::LocalHost));
    connect(&m_network, &QTcpServer::newConnection, this, [this] {
        ++m_connections;
        delete m_network.nextPendingConnection();
    });
    QVERIFY(m_udp.bind(QHostAddress::LocalHost));
    connect(&m_udp, &QUdpSocket::readyRead, this, [this] {
        ++m_connections;
        m_udp.receiveDatagram();
    });

    m_w = std::make_unique<RealBrowserWindow>();
    const QDir folder(m_w->tw.folder.path());
    const QDir far(m_elsewhere.path());
    for (const auto &[file, bytes] : std::initializer_list<std::pair<QString, QByteArray>>{
             {folder.filePath(QStringLiteral("secret.txt")), "secret"},
             {folder.filePath(QStringLiteral("frame.html")),
              "<p>framed</p><script>parent.postMessage('frame', '*');</script>"},
             {far.filePath(QStringLiteral("frame.html")),
              "<script>parent.postMessage('far frame', '*');</script>"},
             {folder.filePath(QStringLiteral("own.css")), "p {}"},
             {far.filePath(QStringLiteral("far.css")), "p {}"},
             {folder.filePath(QStringLiteral("other.html")), "<p>other</p>"}})
        TestWindow::writeFile(file, bytes);
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(folder.filePath(QStringLiteral("own.png"))));
    QVERIFY(image.save(far.filePath(QStringLiteral("far.png"))));
    m_w->tw.loadPage(QByteArray(Page)
                         .replace("UDPPORT", QByteArray::number(m_udp.localPort()))
                         .replace("ELSEWHERE", QFile::encodeName(m_elsewhere.path()))
                         .replace("PORT", QByteArray::number(m_network.serverPort())));
    QVERIFY(m_w->settle());
    QTRY_VERIFY_WITH_TIMEOUT(m_w->evaluate(QStringLiteral("results['far-frame'] !== undefined")) ==
                                 QVariant(true),
                             RealBrowserWindow::Timeout);
    QTest::qWait(500); // the refusals of the network come late
    m_results = QJsonDocument::fromJson(
                    m_w->evaluate(QStringLiteral("JSON.stringify(results)")).toString().toUtf8())
                    .object();
}

void TestSafePreview::pageTries_data()
{
    QTest::addColumn<QString>("attempt");
    QTest::addColumn<QString>("outcome");

    const auto row = [](const char *name, const char *attempt, const char *outcome = "refused") {
        QTest::addRow("%s", name) << QString::fromUtf8(attempt) << QString::fromUtf8(outcome);
    };
    // What a file beside the page may or may not be loaded as is for the request rules; here a
    // fetch and a frame show that the engine applies them.
    row("fetch of a file beside", "fetch of a file beside");
    row("fetch of the network", "fetch of the network");
    row("reading a frame of a file beside", "text-frame");
    row("reading a frame from elsewhere", "far-frame");
    row("the frame from elsewhere is shown", "far frame shown", "yes");
    row("the frame beside is shown", "frame shown", "yes");
    row("pixels of the image beside", "own pixels", "read: 255");
    row("pixels of an image from elsewhere", "far pixels");
    row("an image from elsewhere is shown", "far image width", "8");
    row("rules of the style sheet beside", "own rules", "read: 1");
    row("rules of a style sheet from elsewhere", "far rules");
    row("window.open", "window.open", "null");
    row("prompt", "prompt", "null");
}

// What the page got of each attempt.
void TestSafePreview::pageTries()
{
    QFETCH(QString, attempt);
    QFETCH(QString, outcome);

    QCOMPARE(m_results.value(attempt).toVariant().toString(), outcome);
}

// The page's alert on every load shows in the status line; no box opens, nothing reaches the
// network, keys pressed in the page reach the page alone (and, in a sanitizer build, pass the
// window's shortcut filter cleanly), and keys typed into the window where the focus is go to the
// editor, each one shown, and loaded afresh once typing pauses by a reload that the page's unload
// handler does not hold up, even once the user has clicked into the page.
void TestSafePreview::typingGoesOn()
{
    Form1 &form = *m_w->tw.form;
    QCOMPARE(form.window.statusMessage(), QStringLiteral("hello from the page"));
    QWidget *editor = form.Text1.editor();
    QApplication::clipboard()->setText(QStringLiteral("the user's"));
    click(QStringLiteral("text"));
    QTRY_VERIFY(m_w->evaluate(QStringLiteral("results.copy !== undefined")) == QVariant(true));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("the user's"));
    const QString typed = form.Text1.Text();
    QTest::keyClicks(view(), QStringLiteral("qw"));
    QTest::keyClick(view(), Qt::Key_Down);
    QTRY_COMPARE(m_w->evaluate(QStringLiteral("results.keys")).toString(),
                 QStringLiteral("qwArrowDown"));
    QCOMPARE(form.Text1.Text(), typed);
    QTest::mouseClick(editor, Qt::LeftButton, {}, QPoint(5, 5));
    QTRY_COMPARE(QApplication::focusWidget(), editor);
    form.Text1.setSelStart(0);
    for (const char c : {'x', 'y', 'z'}) {
        form.window.showBriefly(QString());
        QTest::keyClick(QApplication::focusWidget(), c);
        QVERIFY(m_w->settle());
        QTRY_COMPARE(form.window.statusMessage(), QStringLiteral("hello from the page"));
    }
    QVERIFY(form.Text1.Text().startsWith(QLatin1String("xyz<script>var results")));
    QTRY_COMPARE(
        m_w->evaluate(QStringLiteral("document.body.innerText.substring(0, 3)")).toString(),
        QStringLiteral("xyz"));
    QCOMPARE(QApplication::focusWidget(), editor);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(m_w->tw.messageBox.shown.size(), 0);
    QCOMPARE(m_connections, 0);
}

// A script's click on a remote link goes nowhere, also after the user's; the user's click opens
// the system's browser, also for a link to another window, and the preview stays; a local link is
// followed in the preview, and the next key brings the page back. Nothing else leaves the page.
void TestSafePreview::linksClicked()
{
    WebEngineBrowser &browser = m_w->browser;
    QCOMPARE(systemBrowser.opened, {});
    const QString preview = PageFolders::address(m_w->tw.form->page.tempfile).toString();
    click(QStringLiteral("remote-link"));
    QTRY_COMPARE(systemBrowser.opened.size(), 1);
    QCOMPARE(systemBrowser.opened.constFirst().path(), QStringLiteral("/clicked"));
    QCOMPARE(browser.LocationURL(), preview);
    QTest::qWait(1100); // no longer just after the user's click
    m_w->evaluate(QStringLiteral("document.getElementById('remote-link').click()"));
    click(QStringLiteral("new-window-link"));
    QTRY_COMPARE(systemBrowser.opened.size(), 2);
    QCOMPARE(systemBrowser.opened.constLast().path(), QStringLiteral("/new-window"));
    QCOMPARE(browser.LocationURL(), preview);

    click(QStringLiteral("local-link"));
    QTRY_VERIFY(browser.LocationURL().endsWith(QLatin1String("/other.html")));
    QVERIFY(m_w->settle());
    m_w->tw.form->Text1.SetFocus();
    QTest::keyClick(m_w->tw.form->Text1.editor(), 'w');
    QTRY_COMPARE(browser.LocationURL(), preview);
    QCOMPARE(m_connections, 0);
}

void TestSafePreview::cleanupTestCase()
{
    m_w.reset();
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
}

QTEST_MAIN(TestSafePreview)
#include "tst_safepreview.moc"
