#include "core/nativename.h"
#include "doubles/testwindow.h"
#include "preview/engine/pagefolders.h"
#include "preview/engine/webenginebrowser.h"
#include "system/previewfile.h"

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

#include <cstdio>
#include <ftw.h>
#include <sys/stat.h>

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
    QVariant evaluate(const QString &script);
    bool settled();
    QPoint centreOf(const QString &id);

    std::unique_ptr<WebEngineBrowser> m_browser;
    std::unique_ptr<TestWindow> m_tw;
    QTcpServer m_network;
    QUdpSocket m_udp;
    int m_connections = 0;
    QJsonObject m_results;
    QTemporaryDir m_elsewhere;
};

namespace {
constexpr int LoadTimeout = 30000;

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
<img id=own src="own.png"><img id=remote src="http://127.0.0.1:PORT/image.png">
<link rel=preconnect href="http://127.0.0.1:PORT/"><link rel=dns-prefetch href="http://127.0.0.1:PORT/">
<iframe id=frame src="frame.html"></iframe>
<iframe id=text-frame src="secret.txt"></iframe><iframe id=system-frame src="/etc/hostname"></iframe>
<img id=far src="ELSEWHERE/far.png"><link rel=stylesheet href="own.css"><link rel=stylesheet href="ELSEWHERE/far.css">
<iframe id=far-frame src="ELSEWHERE/frame.html"></iframe><iframe id=preview-frame src="other.html_VLM_temp.html"></iframe>
<script>
function attempt(name, promise) {
  promise.then(function (v) { results[name] = 'read: ' + v; },
               function () { results[name] = 'refused'; });
}
function xhr(url) {
  return new Promise(function (ok, no) {
    try { var x = new XMLHttpRequest(); x.open('GET', url); x.onload = function () { ok(x.responseText); };
          x.onerror = no; x.send(); } catch (e) { no(e); } });
}
attempt('fetch of a file beside', fetch('secret.txt').then(function (r) { return r.text(); }));
attempt('fetch of a system file', fetch('file:///etc/hostname').then(function (r) { return r.text(); }));
attempt('fetch of the network', fetch('http://127.0.0.1:PORT/fetch').then(function (r) { return r.text(); }));
attempt('xhr of a file beside', xhr('secret.txt'));
attempt('xhr of a system file', xhr('file:///etc/hostname'));
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
  ['text-frame', 'system-frame', 'far-frame', 'preview-frame'].forEach(function (id) {
    try { results[id] = 'read: ' + document.getElementById(id).contentDocument.body.innerText; }
    catch (e) { results[id] = 'refused'; } });
  results['own image width'] = document.getElementById('own').naturalWidth;
  results['remote image width'] = document.getElementById('remote').naturalWidth;
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

QVariant TestSafePreview::evaluate(const QString &script)
{
    auto result = std::make_shared<std::optional<QVariant>>();
    m_browser->webView()->page()->runJavaScript(
        script, [result](const QVariant &value) { *result = value; });
    if (!QTest::qWaitFor([&] { return result->has_value(); }, LoadTimeout))
        return QVariant();
    return result->value();
}

bool TestSafePreview::settled()
{
    const PreviewUpdater &updater = m_tw->form->livePreview.updater();
    return QTest::qWaitFor(
        [&] { return !m_browser->isLoading() && !updater.isUpdating() && !updater.restDue(); },
        LoadTimeout);
}

QPoint TestSafePreview::centreOf(const QString &id)
{
    const QVariantList box =
        evaluate(
            QStringLiteral("(function(){var r=document.getElementById('%1')"
                           ".getBoundingClientRect();return [r.x+r.width/2,r.y+r.height/2];})()")
                .arg(id))
            .toList();
    return box.size() == 2 ? QPoint(box.at(0).toInt(), box.at(1).toInt()) : QPoint();
}

void TestSafePreview::initTestCase()
{
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &systemBrowser, "open");
    QVERIFY(m_network.listen(QHostAddress::LocalHost));
    connect(&m_network, &QTcpServer::newConnection, this, [this] {
        ++m_connections;
        delete m_network.nextPendingConnection();
    });

    m_browser = std::make_unique<WebEngineBrowser>();
    m_tw = std::make_unique<TestWindow>(m_browser.get());
    const QDir folder(m_tw->folder.path());
    TestWindow::writeFile(folder.filePath(QStringLiteral("secret.txt")), "secret");
    TestWindow::writeFile(folder.filePath(QStringLiteral("frame.html")),
                          "<p>framed</p><script>parent.postMessage('frame', '*');</script>");
    const QDir far(m_elsewhere.path());
    TestWindow::writeFile(far.filePath(QStringLiteral("frame.html")),
                          "<script>parent.postMessage('far frame', '*');</script>");
    TestWindow::writeFile(folder.filePath(QStringLiteral("other.html_VLM_temp.html")),
                          "<script>parent.postMessage('preview', '*');</script>");
    for (const QDir &in : {folder, far})
        TestWindow::writeFile(
            in.filePath(in == folder ? QStringLiteral("own.css") : QStringLiteral("far.css")),
            "p {}");
    TestWindow::writeFile(folder.filePath(QStringLiteral("other.html")), "<p>other</p>");
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(folder.filePath(QStringLiteral("own.png"))));
    QVERIFY(image.save(far.filePath(QStringLiteral("far.png"))));
    QVERIFY(m_udp.bind(QHostAddress::LocalHost));
    connect(&m_udp, &QUdpSocket::readyRead, this, [this] {
        ++m_connections;
        m_udp.receiveDatagram();
    });
    m_tw->loadPage(QByteArray(Page)
                       .replace("UDPPORT", QByteArray::number(m_udp.localPort()))
                       .replace("ELSEWHERE", QFile::encodeName(m_elsewhere.path()))
                       .replace("PORT", QByteArray::number(m_network.serverPort())));
    QVERIFY(settled());
    QVERIFY(QTest::qWaitFor(
        [this] {
            return evaluate(QStringLiteral("results['system-frame'] !== undefined")).toBool();
        },
        LoadTimeout));
    QTest::qWait(500); // the refusals of the network come late
    m_results = QJsonDocument::fromJson(
                    evaluate(QStringLiteral("JSON.stringify(results)")).toString().toUtf8())
                    .object();
}

void TestSafePreview::pageTries_data()
{
    QTest::addColumn<QString>("attempt");
    QTest::addColumn<QString>("outcome");

    const auto row = [](const char *name, const char *attempt, const char *outcome = "refused") {
        QTest::addRow("%s", name) << QString::fromUtf8(attempt) << QString::fromUtf8(outcome);
    };
    for (const char *attempt :
         {"fetch of a file beside", "fetch of a system file", "fetch of the network",
          "xhr of a file beside", "xhr of a system file"})
        row(attempt, attempt);
    row("reading a frame of a file beside", "text-frame");
    row("reading a frame of a system file", "system-frame");
    row("reading a frame from elsewhere", "far-frame");
    row("reading another page's preview", "preview-frame");
    row("the frame from elsewhere is shown", "far frame shown", "yes");
    row("pixels of the image beside", "own pixels", "read: 255");
    row("pixels of an image from elsewhere", "far pixels");
    row("an image from elsewhere is shown", "far image width", "8");
    row("rules of the style sheet beside", "own rules", "read: 1");
    row("rules of a style sheet from elsewhere", "far rules");
    row("window.open", "window.open", "null");
    row("prompt", "prompt", "null");
    row("the frame beside is shown", "frame shown", "yes");
    row("the image beside is shown", "own image width", "8");
    row("a remote image is not", "remote image width", "0");
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
    Form1 &form = *m_tw->form;
    QCOMPARE(form.window.statusMessage(), QStringLiteral("hello from the page"));
    QWidget *editor = form.Text1.editor();
    QApplication::clipboard()->setText(QStringLiteral("the user's"));
    QTest::mouseClick(m_browser->webView()->focusProxy(), Qt::LeftButton, {},
                      centreOf(QStringLiteral("text")));
    QTRY_VERIFY(evaluate(QStringLiteral("results.copy !== undefined")).toBool());
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("the user's"));
    const QString typed = form.Text1.Text();
    QTest::keyClicks(m_browser->webView()->focusProxy(), QStringLiteral("qw"));
    QTest::keyClick(m_browser->webView()->focusProxy(), Qt::Key_Down);
    QTRY_COMPARE(evaluate(QStringLiteral("results.keys")).toString(),
                 QStringLiteral("qwArrowDown"));
    QCOMPARE(form.Text1.Text(), typed);
    QTest::mouseClick(editor, Qt::LeftButton, {}, QPoint(5, 5));
    QTRY_COMPARE(QApplication::focusWidget(), editor);
    form.Text1.setSelStart(0);
    for (const char c : {'x', 'y', 'z'}) {
        form.window.showBriefly(QString());
        QTest::keyClick(QApplication::focusWidget(), c);
        QVERIFY(settled());
        QTRY_COMPARE(form.window.statusMessage(), QStringLiteral("hello from the page"));
    }
    QVERIFY(form.Text1.Text().startsWith(QLatin1String("xyz<script>var results")));
    QTRY_COMPARE(evaluate(QStringLiteral("document.body.innerText.substring(0, 3)")).toString(),
                 QStringLiteral("xyz"));
    QCOMPARE(QApplication::focusWidget(), editor);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(m_tw->messageBox.shown.size(), 0);
    QCOMPARE(m_connections, 0);
}

// A script's click on a remote link goes nowhere, also after the user's; the user's click opens
// the system's browser, also for a link to another window, and the preview stays; a local link is
// followed in the preview, and the next key brings the page back.
void TestSafePreview::linksClicked()
{
    QCOMPARE(systemBrowser.opened, {});
    const QString preview = PageFolders::address(m_tw->form->page.tempfile).toString();
    QTest::mouseClick(m_browser->webView()->focusProxy(), Qt::LeftButton, {},
                      centreOf(QStringLiteral("remote-link")));
    QTRY_COMPARE(systemBrowser.opened.size(), 1);
    QCOMPARE(systemBrowser.opened.constFirst().path(), QStringLiteral("/clicked"));
    QCOMPARE(m_browser->LocationURL(), preview);
    QTest::qWait(1100); // no longer just after the user's click
    evaluate(QStringLiteral("document.getElementById('remote-link').click()"));
    QTest::mouseClick(m_browser->webView()->focusProxy(), Qt::LeftButton, {},
                      centreOf(QStringLiteral("new-window-link")));
    QTRY_COMPARE(systemBrowser.opened.size(), 2);
    QCOMPARE(systemBrowser.opened.constLast().path(), QStringLiteral("/new-window"));
    QCOMPARE(m_browser->LocationURL(), preview);

    QTest::mouseClick(m_browser->webView()->focusProxy(), Qt::LeftButton, {},
                      centreOf(QStringLiteral("local-link")));
    QTRY_VERIFY(m_browser->LocationURL().endsWith(QLatin1String("/other.html")));
    QVERIFY(settled());
    m_tw->form->Text1.SetFocus();
    QTest::keyClick(m_tw->form->Text1.editor(), 'w');
    QTRY_COMPARE(m_browser->LocationURL(), preview);
    QVERIFY(settled());
    for (const char *notAPage : {"file:///etc/passwd", "file:///etc/", "/etc/passwd"}) {
        evaluate(QStringLiteral("location = '%1'").arg(QLatin1String(notAPage)));
        QVERIFY(settled());
        QCOMPARE(m_browser->LocationURL(), preview);
    }
    QCOMPARE(m_connections, 0);

    // A page whose folder and name are not UTF-8 is shown under its own name.
    const QByteArray folder = QFile::encodeName(m_elsewhere.path()) + "/caf\xE9";
    QCOMPARE(::mkdir(folder.constData(), 0700), 0);
    const QString page = NativeName::decode(folder + "/p\xE9ge.html");
    TestWindow::writeFile(page, "<p>caf\xC3\xA9</p>");
    m_tw->messageBox.answers = {MessageBox::No};
    m_tw->dialog.files = {page};
    m_tw->trigger(QStringLiteral("Open..."));
    QVERIFY(settled());
    QCOMPARE(m_browser->LocationURL(), PageFolders::address(page + PreviewFile::Suffix).toString());
    QTRY_COMPARE_WITH_TIMEOUT(evaluate(QStringLiteral("document.body.innerText")).toString(),
                              QStringLiteral("café"), LoadTimeout);
}

void TestSafePreview::cleanupTestCase()
{
    m_tw.reset();
    m_browser.reset();
    // QTemporaryDir cannot reach a name that is not UTF-8.
    ::nftw((QFile::encodeName(m_elsewhere.path()) + "/caf\xE9").constData(),
           [](const char *name, const struct stat *, int, FTW *) { return std::remove(name); }, 4,
           FTW_DEPTH | FTW_PHYS);
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
}

QTEST_MAIN(TestSafePreview)
#include "tst_safepreview.moc"
