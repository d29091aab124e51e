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
    void pageTextSettlesADeclaration_data();
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
    const QByteArray utf8Mark = "\xEF\xBB\xBF";
    const QString accented = QStringLiteral("<p>\u00E9\u20AC</p>\r\n");
    const auto utf16 = [](const QString &text) {
        return QByteArray(QStringEncoder(QStringEncoder::Utf16LE).encode(text));
    };

    QTest::addRow("ascii") << QStringLiteral("a\r\n") << TextEncoding::Utf8 << false << true
                           << Suppression + "a\r\n\r\n";
    QTest::addRow("ascii, not edited") << QStringLiteral("a\r\n") << TextEncoding::Utf8 << false
                                       << false << QByteArray("a\r\n\r\n");
    QTest::addRow("utf-8") << accented << TextEncoding::Utf8 << false << true
                           << Suppression + "<meta charset=\"UTF-8\">\r\n" + accented.toUtf8() +
                                  "\r\n";
    QTest::addRow("utf-8, not edited")
        << accented << TextEncoding::Utf8 << false << false
        << "<meta charset=\"UTF-8\">\r\n" + accented.toUtf8() + "\r\n";
    QTest::addRow("utf-8 declared")
        << QStringLiteral("<META CHARSET=utf-8>\u00E9\r\n") << TextEncoding::Utf8 << false << true
        << Suppression + "<META CHARSET=utf-8>\xC3\xA9\r\n\r\n";
    QTest::addRow("utf-8 declared too late")
        << QString(1030, u' ') + QStringLiteral("charset\u00E9") << TextEncoding::Utf8 << false
        << true
        << Suppression + "<meta charset=\"UTF-8\">\r\n" + QByteArray(1030, ' ') +
               "charset\xC3\xA9\r\n";
    QTest::addRow("utf-8 with bom") << accented << TextEncoding::Utf8 << true << true
                                    << utf8Mark + Suppression + accented.toUtf8() + "\r\n";
    QTest::addRow("windows-1252") << QStringLiteral("\u201Cq\u201D \u00E9\r\n")
                                  << TextEncoding::Windows1252 << false << true
                                  << Suppression + "<meta charset=\"windows-1252\">\r\n"
                                                   "\x93q\x94 \xE9\r\n\r\n";
    // Bytes that read as UTF-8 too.
    QTest::addRow("windows-1252 as if utf-8")
        << QStringLiteral("\u00C3\u00A9\r\n") << TextEncoding::Windows1252 << false << true
        << Suppression + "<meta charset=\"windows-1252\">\r\n\xC3\xA9\r\n\r\n";
    QTest::addRow("windows-1252, all ascii")
        << QStringLiteral("a\r\n") << TextEncoding::Windows1252 << false << true
        << Suppression + "<meta charset=\"windows-1252\">\r\na\r\n\r\n";
    QTest::addRow("utf-16") << accented << TextEncoding::Utf16LE << true << true
                            << "\xFF\xFE" + utf16(QString::fromUtf8(Suppression) + accented +
                                                  QStringLiteral("\r\n"));
    QTest::addRow("utf-32 previewed as utf-8")
        << accented << TextEncoding::Utf32BE << true << true
        << utf8Mark + Suppression + accented.toUtf8() + "\r\n";
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
    QCOMPARE(read.has_value(), suppressErrors);
    if (suppressErrors)
        QCOMPARE(*read, text);
    QVERIFY(!PreviewFile::editedText(bytes.chopped(1), encoding, text));
    const TextEncoding other(
        codec == TextEncoding::Utf8 ? TextEncoding::Windows1252 : TextEncoding::Utf8, false);
    QVERIFY(PreviewFile::editedText(bytes, other, QString()) != text);
}

void TestPreviewFile::pageTextSettlesADeclaration_data()
{
    QTest::addColumn<QString>("pageText");
    QTest::addColumn<QString>("read");
    const QString declared = QStringLiteral("<meta charset=\"UTF-8\">\r\n\u00E9\r\n");
    QTest::addRow("page begins with the declaration")
        << QStringLiteral("<meta charset=\"UTF-8\">\r\nx") << declared;
    QTest::addRow("page without it") << QStringLiteral("\u00E9\r\n") << declared.mid(24);
}

// The preview of a text that begins with the declaration the writer adds reads as that text,
// or as the rest of it with the declaration added: the page decides.
void TestPreviewFile::pageTextSettlesADeclaration()
{
    QFETCH(QString, pageText);
    QFETCH(QString, read);

    const QByteArray bytes = composed(read, TextEncoding(), true);
    QCOMPARE(PreviewFile::editedText(bytes, TextEncoding(), pageText), read);
}

void TestPreviewFile::textChange_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<qsizetype>("start");
    QTest::addColumn<qsizetype>("removed");
    QTest::addColumn<qsizetype>("inserted");
    const QString a(200, u'a');
    const QString b(130, u'b');
    QTest::addRow("typed") << "abc"
                           << "abXc" << qsizetype(2) << qsizetype(0) << qsizetype(1);
    QTest::addRow("deleted") << "abc"
                             << "ac" << qsizetype(1) << qsizetype(1) << qsizetype(0);
    QTest::addRow("replaced") << a + "X" + b << a + "YY" + b << qsizetype(200) << qsizetype(1)
                              << qsizetype(2);
    QTest::addRow("repeated letter, earliest place")
        << "aaa"
        << "aaaa" << qsizetype(3) << qsizetype(0) << qsizetype(1);
    QTest::addRow("first character removed") << "ab"
                                             << "b" << qsizetype(0) << qsizetype(1) << qsizetype(0);
    QTest::addRow("all new") << "" << b << qsizetype(0) << qsizetype(0) << qsizetype(130);
    QTest::addRow("no change") << a << a << qsizetype(200) << qsizetype(0) << qsizetype(0);
}

void TestPreviewFile::textChange()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(qsizetype, start);
    QFETCH(qsizetype, removed);
    QFETCH(qsizetype, inserted);

    const TextChange change = TextChange::between(before, after);
    QCOMPARE(change.start, start);
    QCOMPARE(change.removed, removed);
    QCOMPARE(change.inserted, inserted);
}

QTEST_GUILESS_MAIN(TestPreviewFile)
#include "tst_previewfile.moc"
