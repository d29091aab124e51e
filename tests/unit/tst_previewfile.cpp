#include "core/textchange.h"
#include "core/textencoding.h"
#include "system/previewfile.h"

#include <QStringEncoder>
#include <QTest>

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
// made, which the preview is patched with.
class TestPreviewFile : public QObject
{
    Q_OBJECT

private slots:
    void compose_data();
    void compose();
    void pageTextSettlesADeclaration();
    void textChange_data();
    void textChange();
};

void TestPreviewFile::compose_data()
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
void TestPreviewFile::compose()
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
void TestPreviewFile::pageTextSettlesADeclaration()
{
    const QString declared = QStringLiteral("<meta charset=\"UTF-8\">\r\n\u00E9\r\n");
    const QString rest = declared.mid(24);
    for (const QString &read : {declared, rest}) {
        const QString pageText = read == rest ? rest : declared.left(24) + u'x';
        const QByteArray bytes = composed(read, TextEncoding(), true);
        QCOMPARE(PreviewFile::editedText(bytes, TextEncoding(), pageText), read);
    }
}

void TestPreviewFile::textChange_data()
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

void TestPreviewFile::textChange()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QList<qsizetype>, change);

    const TextChange found = TextChange::between(before, after);
    QCOMPARE((QList<qsizetype>{found.start, found.removed, found.inserted}), change);
}

QTEST_GUILESS_MAIN(TestPreviewFile)
#include "tst_previewfile.moc"
