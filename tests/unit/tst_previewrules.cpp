#include "core/nativename.h"
#include "core/textchange.h"
#include "core/textencoding.h"
#include "preview/engine/pagefolders.h"
#include "preview/engine/previewpage.h"
#include "preview/patchsafety.h"
#include "system/previewfile.h"

#include <QDir>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {
const QByteArray Suppression = QByteArrayLiteral(
    "<script>function killerr_for_vlm(){return true;}window.onerror=killerr_for_vlm;</script>\r\n");

QByteArray composed(const QString &text, const TextEncoding &encoding, bool suppressErrors)
{
    QByteArray head = "stale";
    QByteArray body = "stale";
    PreviewFile::compose(text, encoding, suppressErrors, head, body);
    return head + body;
}
} // namespace

Q_DECLARE_METATYPE(TextEncoding::Codec)

// The bytes of the preview file, what an edit wrote into them read back, and the change an edit
// made; the preview's rules: which pages and which changes it loads afresh rather than updates in
// place, what it lets a page load, and which clicked addresses leave for the system's browser.
class TestPreviewRules : public QObject
{
    Q_OBJECT

private slots:
    void compose_data();
    void compose();
    void pageTextSettlesADeclaration();
    void textChange_data();
    void textChange();
    void reload_data();
    void reload();
    void mayLoad_data();
    void mayLoad();
    void opensOutside_data();
    void opensOutside();
    // QTemporaryDir cannot reach a name that is not UTF-8.
    void cleanupTestCase() { std::remove(m_eightBit.constData()); }

private:
    QTemporaryDir m_folder;
    QByteArray m_eightBit;
};

using Type = QWebEngineUrlRequestInfo::ResourceType;

void TestPreviewRules::compose_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<TextEncoding::Codec>("codec");
    QTest::addColumn<bool>("mark");
    QTest::addColumn<bool>("suppressErrors");
    QTest::addColumn<QByteArray>("bytes");
    const auto row = [](const char *name, const QString &text, TextEncoding::Codec codec, bool mark,
                        bool suppressErrors, const QByteArray &bytes) {
        QTest::addRow("%s", name) << text << codec << mark << suppressErrors << bytes;
    };
    const QByteArray utf8Mark = "\xEF\xBB\xBF";
    const QByteArray utf8Declared = "<meta charset=\"UTF-8\">\r\n";
    const QByteArray cp1252Declared = Suppression + "<meta charset=\"windows-1252\">\r\n";
    const QString accented = QStringLiteral("<p>\u00E9\u20AC</p>\r\n");
    const QByteArray accentedBytes = accented.toUtf8() + "\r\n";
    const QByteArray utf16 = QStringEncoder(QStringEncoder::Utf16LE)
                                 .encode(QString::fromUtf8(Suppression + accentedBytes));
    using E = TextEncoding;

    row("ascii", "a\r\n", E::Utf8, false, true, Suppression + "a\r\n\r\n");
    row("ascii, not edited", "a\r\n", E::Utf8, false, false, "a\r\n\r\n");
    row("utf-8", accented, E::Utf8, false, true, Suppression + utf8Declared + accentedBytes);
    row("utf-8, not edited", accented, E::Utf8, false, false, utf8Declared + accentedBytes);
    row("utf-8 declared", QStringLiteral("<META CHARSET=utf-8>\u00E9\r\n"), E::Utf8, false, true,
        Suppression + "<META CHARSET=utf-8>\xC3\xA9\r\n\r\n");
    row("utf-8 declared too late", QString(1030, u' ') + QStringLiteral("charset\u00E9"), E::Utf8,
        false, true, Suppression + utf8Declared + QByteArray(1030, ' ') + "charset\xC3\xA9\r\n");
    row("utf-8 with bom", accented, E::Utf8, true, true, utf8Mark + Suppression + accentedBytes);
    row("windows-1252", QStringLiteral("\u201Cq\u201D \u00E9\r\n"), E::Windows1252, false, true,
        cp1252Declared + "\x93q\x94 \xE9\r\n\r\n");
    // Bytes that read as UTF-8 too.
    row("windows-1252 as if utf-8", QStringLiteral("\u00C3\u00A9\r\n"), E::Windows1252, false, true,
        cp1252Declared + "\xC3\xA9\r\n\r\n");
    row("windows-1252, all ascii", "a\r\n", E::Windows1252, false, true,
        cp1252Declared + "a\r\n\r\n");
    row("utf-16", accented, E::Utf16LE, true, true, "\xFF\xFE" + utf16);
    row("utf-32 previewed as utf-8", accented, E::Utf32BE, true, true,
        utf8Mark + Suppression + accentedBytes);
}

// An edited preview reads back as the text it was written from; the preview written at open or
// save, and one cut off, read back as nothing.
void TestPreviewRules::compose()
{
    QFETCH(QString, text);
    QFETCH(TextEncoding::Codec, codec);
    QFETCH(bool, mark);
    QFETCH(bool, suppressErrors);
    QFETCH(QByteArray, bytes);

    const TextEncoding encoding(codec, mark);
    QCOMPARE(composed(text, encoding, suppressErrors), bytes);
    const std::optional<QString> read = PreviewFile::editedText(bytes, encoding, QString());
    QCOMPARE(read.value_or(QStringLiteral("nothing")),
             suppressErrors ? text : QStringLiteral("nothing"));
    QVERIFY(!PreviewFile::editedText(bytes.chopped(1), encoding, text));
    const TextEncoding other(
        codec == TextEncoding::Utf8 ? TextEncoding::Windows1252 : TextEncoding::Utf8, false);
    QVERIFY(PreviewFile::editedText(bytes, other, QString()) != text);
}

// The preview of a text that begins with the declaration the writer adds reads as that text,
// or as the rest of it with the declaration added: the page decides.
void TestPreviewRules::pageTextSettlesADeclaration()
{
    const QString declared = QStringLiteral("<meta charset=\"UTF-8\">\r\n\u00E9\r\n");
    const QString rest = declared.mid(24);
    for (const QString &read : {declared, rest}) {
        const QString pageText = read == rest ? rest : declared.left(24) + u'x';
        const QByteArray bytes = composed(read, TextEncoding(), true);
        QCOMPARE(PreviewFile::editedText(bytes, TextEncoding(), pageText), read);
    }
}

void TestPreviewRules::textChange_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QList<qsizetype>>("change"); // start, removed, inserted
    const auto row = [](const char *name, const QString &before, const QString &after,
                        qsizetype start, qsizetype removed, qsizetype inserted) {
        QTest::addRow("%s", name) << before << after << QList<qsizetype>{start, removed, inserted};
    };
    const QString a(200, u'a');
    const QString b(130, u'b');
    row("typed", "abc", "abXc", 2, 0, 1);
    row("deleted", "abc", "ac", 1, 1, 0);
    row("replaced", a + "X" + b, a + "YY" + b, 200, 1, 2);
    row("repeated letter, earliest place", "aaa", "aaaa", 3, 0, 1);
    row("first character removed", "ab", "b", 0, 1, 0);
    row("all new", "", b, 0, 0, 130);
    row("no change", a, a, 200, 0, 0);
}

void TestPreviewRules::textChange()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QList<qsizetype>, change);

    const TextChange found = TextChange::between(before, after);
    QCOMPARE((QList<qsizetype>{found.start, found.removed, found.inserted}), change);
}

void TestPreviewRules::reload_data()
{
    QTest::addColumn<QString>("page"); // "|" marks where `typed` goes
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("codec");
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("reload");
    const auto row = [](const char *name, const QString &page, const QString &typed, bool active,
                        bool reload, TextEncoding::Codec codec = TextEncoding::Utf8) {
        QTest::addRow("%s", name) << page << typed << int(codec) << active << reload;
    };
    row("prose that reads like a handler", "<p>ONLY = the one = |</p>", "x", false, false);
    row("code sample between tags", "<pre>worker.onmessage = function () {}|</pre>", "x", false,
        false);
    row("handler typed far into a long tag", "<p title=\"" + QString(200, u'a') + "\" |>a</p>",
        "onclick=f()", true, true);
    row("text typed beside a handler", "<p onclick=\"f()\">a|</p>", "b", true, false);
    row("style type declared",
        "<meta http-equiv=\"Content-Style-Type\" content=\"text/css\"><p>a|</p>", "b", false,
        false);
    row("refresh typed", "<meta http-equiv=|><p>a</p>", "refresh", true, true);
    row("script typed", "<p>a|</p>", "<script", true, true);
    row("text typed after a script", "<script>var a;</script>" + QString(100, u'x') + "<p>a|</p>",
        "b", true, false);
    row("frame typed", "<p>a|</p>", "<iframe", true, true);
    row("typed ahead of a declaration near its reach",
        "<p>x|</p><!--" + QString(900, u'-') + "--><meta charset=\"utf-8\">", "a", false, true);
    row("encoding declaration", "<meta charset=\"utf-8\"|><p>a</p>", " ", false, true);
    row("UTF-16 page", "<p>caf|</p>", "\u00e9 \u20ac \U0001F600", false, false,
        TextEncoding::Utf16LE);
    row("UTF-16 page's declaration", "<meta charset=\"utf-16\"|><p>a</p>", " ", false, false,
        TextEncoding::Utf16LE);
    row("UTF-32 page", "<p>a|</p>", "\u0416", false, false, TextEncoding::Utf32BE);
    row("8-bit page, a character it lacks", "<p>a|</p>", "\u0416", true, true,
        TextEncoding::Windows1252);
}

// `active`: the page after the change has content only a load runs; `reload`: the change
// itself needs a load.
void TestPreviewRules::reload()
{
    QFETCH(QString, page);
    QFETCH(QString, typed);
    QFETCH(int, codec);
    QFETCH(bool, active);
    QFETCH(bool, reload);

    const TextEncoding encoding(TextEncoding::Codec(codec), codec != TextEncoding::Utf8);
    const QString before = QString(page).remove(u'|');
    const QString after = QString(page).replace(u'|', typed);
    QCOMPARE(PatchSafety::hasActiveContent(after, encoding), active);
    QCOMPARE(
        PatchSafety::changeNeedsReload(before, after, TextChange::between(before, after), encoding),
        reload);
}

void TestPreviewRules::mayLoad_data()
{
    QTest::addColumn<QUrl>("url");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("loaded");
    const QDir folder(m_folder.path());
    for (const char *name : {"page.html", "other.html_VLM_temp.html", "notes.txt", "s.css"})
        QFile(folder.filePath(QString::fromLatin1(name))).open(QIODevice::WriteOnly);
    const auto row = [&](const char *name, const QString &file, Type type, bool loaded) {
        QTest::addRow("%s, file", name) << QUrl::fromLocalFile(file) << int(type) << loaded;
        QTest::addRow("%s, own scheme", name) << PageFolders::address(file) << int(type) << loaded;
    };
    const auto in = [&](const char *name) { return folder.filePath(QString::fromLatin1(name)); };
    row("page shown", in("page.html"), Type::ResourceTypeMainFrame, true);
    row("text file not shown", in("notes.txt"), Type::ResourceTypeMainFrame, false);
    row("system file not shown", QStringLiteral("/etc/passwd"), Type::ResourceTypeMainFrame, false);
    row("folder not shown", m_folder.path(), Type::ResourceTypeMainFrame, false);
    row("page framed", in("page.html"), Type::ResourceTypeSubFrame, true);
    row("another preview not framed", in("other.html_VLM_temp.html"), Type::ResourceTypeSubFrame,
        false);
    row("text not framed", in("notes.txt"), Type::ResourceTypeSubFrame, false);
    row("style sheet", in("s.css"), Type::ResourceTypeStylesheet, true);
    row("text as style sheet", in("notes.txt"), Type::ResourceTypeStylesheet, false);
    row("text as script", in("notes.txt"), Type::ResourceTypeScript, false);
    row("image", in("notes.txt"), Type::ResourceTypeImage, true);
    row("fetch", in("notes.txt"), Type::ResourceTypeXhr, false);
    row("worker", in("notes.txt"), Type::ResourceTypeWorker, false);
    // A page whose name is not UTF-8 is found again under the addresses it is shown at.
    m_eightBit = QFile::encodeName(m_folder.path()) + "/p\xE9ge.html";
    std::fclose(std::fopen(m_eightBit.constData(), "w"));
    const QString eightBit = NativeName::decode(m_eightBit);
    QTest::addRow("page named in bytes, file")
        << PageFolders::fileAddress(eightBit) << int(Type::ResourceTypeMainFrame) << true;
    QTest::addRow("page named in bytes, own scheme")
        << PageFolders::address(eightBit) << int(Type::ResourceTypeMainFrame) << true;
    const QUrl remote(QStringLiteral("http://127.0.0.1:1/x.png"));
    QTest::addRow("remote image") << remote << int(Type::ResourceTypeImage) << false;
    QTest::addRow("remote page") << remote << int(Type::ResourceTypeMainFrame) << false;
}

void TestPreviewRules::mayLoad()
{
    QFETCH(QUrl, url);
    QFETCH(int, type);
    QFETCH(bool, loaded);

    QCOMPARE(OwnResources::mayLoad(url, Type(type)), loaded);
}

void TestPreviewRules::opensOutside_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("opened");
    for (const char *url : {"http://example.org/", "https://example.org/", "mailto:a@b.c"})
        QTest::addRow("%s", url) << QString::fromLatin1(url) << true;
    for (const char *url : {"file:///etc/passwd", "javascript:alert(1)", "ftp://example.org/",
                            "sms:123", "data:text/html,x", "x-scheme-handler:y"})
        QTest::addRow("%s", url) << QString::fromLatin1(url) << false;
}

void TestPreviewRules::opensOutside()
{
    QFETCH(QString, url);
    QFETCH(bool, opened);

    QCOMPARE(PreviewPage::opensOutside(QUrl(url)), opened);
}

QTEST_GUILESS_MAIN(TestPreviewRules)
#include "tst_previewrules.moc"
