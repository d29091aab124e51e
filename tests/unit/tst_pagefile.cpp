#include "core/linebreaks.h"
#include "core/nativename.h"
#include "core/textencoding.h"
#include "system/files.h"
#include "system/nativefile.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// A page's bytes as the editor reads them, and as Save writes them back.
class TestPageFile : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
};

void TestPageFile::roundTrip_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("typed"); // at the start; "\r" is Enter
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<QByteArray>("page"); // the bytes of its name, in a folder of the test's
    const auto row = [](const char *name, const QByteArray &file, const QString &text,
                        const QByteArray &saved = QByteArray(), const QString &typed = QString(),
                        const QByteArray &page = "page.html") {
        QTest::addRow("%s", name) << file << text << typed << (saved.isNull() ? file : saved)
                                  << page;
    };
    row("crlf", "a\r\nb\r\n", QStringLiteral("a\r\nb\r\n"));
    row("names not utf-8", "a\r\n", QStringLiteral("a\r\n"), "xa\r\n", QStringLiteral("x"),
        "caf\xE9/p\xE9ge\xC0\xAF\xED\xA0\x80\xE2\x82\xC3\xA9.html");
    row("lf only, a line typed", "a\nb\n", QStringLiteral("a\r\nb\r\n"), "x\na\nb\n",
        QStringLiteral("x\r"));
    row("lf without final break", "a\n\nb", QStringLiteral("a\r\n\r\nb\r\n"), "a\n\nb\n");
    row("as many lf as crlf", "a\r\nb\n", QStringLiteral("a\r\nb\n"));
    row("mixed", "a\r\nb\nc\r\n\n", QStringLiteral("a\r\nb\nc\r\n\n"));
    row("mostly lf, a line typed", "a\nb\r\nc\n", QStringLiteral("a\r\nb\r\r\nc\r\n"),
        "x\na\nb\r\nc\n", QStringLiteral("x\r"));
    row("lf and lone cr", "a\rb\nc\n", QStringLiteral("a\r\nb\r\nc\r\n"), "a\nb\nc\n");
    row("no final break", "a\r\nb", QStringLiteral("a\r\nb\r\n"), "a\r\nb\r\n");
    row("lone cr", "a\rb\r", QStringLiteral("a\r\nb\r\n"), "a\r\nb\r\n");
    row("empty", "", QString(), "\r\n");
    row("utf-8", "<p>Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC \xF0\x9F\x98\x80\r\n",
        QStringLiteral("<p>Grüße € \U0001F600\r\n"));
    row("utf-8 with bom", "\xEF\xBB\xBF\xC3\xA9\r\n", QStringLiteral("é\r\n"));
    row("windows-1252", "\x93q\x94 \x80 \x81\x8D\x8F\x90\x9D \xE9\xFF\r\n",
        QStringLiteral("“q” € \u0081\u008D\u008F\u0090\u009D éÿ\r\n"));
    row("windows-1252 cannot hold it", "caf\xE9\r\n", QStringLiteral("café\r\n"),
        "\x80&#937;&#128512;caf\xE9\r\n", QStringLiteral("€Ω\U0001F600"));
    const QByteArray utf16le = "\xFF\xFE", utf16be = "\xFE\xFF";
    const QByteArray utf32le("\xFF\xFE\0\0", 4), utf32be("\0\0\xFE\xFF", 4);
    const auto inUtf = [&](QStringEncoder::Encoding encoding, const QByteArray &mark,
                           const QString &text) {
        return mark + QByteArray(QStringEncoder(encoding).encode(text));
    };
    const QString typed = QStringLiteral("\rx€Ω\U0001F600");
    row("utf-16 le", inUtf(QStringEncoder::Utf16LE, utf16le, QStringLiteral("é\r\n")),
        QStringLiteral("é\r\n"),
        inUtf(QStringEncoder::Utf16LE, utf16le, QStringLiteral("\r\nx€Ω\U0001F600é\r\n")), typed);
    row("utf-16 be", inUtf(QStringEncoder::Utf16BE, utf16be, QStringLiteral("é\r\n")),
        QStringLiteral("é\r\n"),
        inUtf(QStringEncoder::Utf16BE, utf16be, QStringLiteral("\r\nx€Ω\U0001F600é\r\n")), typed);
    row("utf-16 with lone cr and no final break",
        inUtf(QStringEncoder::Utf16BE, utf16be, QStringLiteral("a\rb")),
        QStringLiteral("a\r\nb\r\n"),
        inUtf(QStringEncoder::Utf16BE, utf16be, QStringLiteral("a\r\nb\r\n")));
    row("utf-16 lone surrogate", QByteArray("\xFF\xFE\x00\xD8\r\0\n\0", 8),
        QChar(0xD800) + QStringLiteral("\r\n"));
    row("utf-16 of an odd length", "\xFF\xFEp\r\n", QStringLiteral("ÿþp\r\n"));
    row("utf-32 le", inUtf(QStringEncoder::Utf32LE, utf32le, QStringLiteral("é\U0001F600\r\n")),
        QStringLiteral("é\U0001F600\r\n"),
        inUtf(QStringEncoder::Utf32LE, utf32le, QStringLiteral("\r\nx€Ω\U0001F600é\U0001F600\r\n")),
        typed);
    row("utf-32 be", inUtf(QStringEncoder::Utf32BE, utf32be, QStringLiteral("a\nb")),
        QStringLiteral("a\r\nb\r\n"),
        inUtf(QStringEncoder::Utf32BE, utf32be, QStringLiteral("a\nb\n")));
}

// Reading gives the text the editor holds; writing it back, with what was typed at its start,
// changes no byte that was not typed but for the line break the reader adds at the end, and
// reading and writing again changes nothing more.
void TestPageFile::roundTrip()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, text);
    QFETCH(QString, typed);
    QFETCH(QByteArray, saved);
    QFETCH(QByteArray, page);

    QTemporaryDir folder;
    const QByteArray name = QFile::encodeName(folder.path()) + '/' + page;
    const QString path = NativeName::decode(name);
    QString reason;
    ::mkdir(NativeName::encode(NativeFile::folderOf(path)).constData(), 0700);
    QFile out;
    QVERIFY(NativeFile::open(out, path, O_WRONLY | O_CREAT | O_TRUNC, 0600, &reason));
    QVERIFY(out.write(file) == file.size());
    out.close();
    QString read;
    TextEncoding encoding;
    LineBreakForm form = LineBreakForm::CrLf;
    const auto writeAndRead = [&](const QString &edited) {
        if (!writePage(path, edited, encoding, form, &reason))
            return reason.toUtf8();
        QFile in;
        return NativeFile::open(in, path, O_RDONLY, 0, &reason) ? in.readAll()
                                                                : QByteArray("unreadable");
    };
    QVERIFY2(readPage(path, &read, &encoding, &form, &reason), qPrintable(reason));
    QCOMPARE(read, text);
    QCOMPARE(writeAndRead(QString(typed).replace(u'\r', QLatin1String("\r\n")) + read), saved);
    QVERIFY2(readPage(path, &read, &encoding, &form, &reason), qPrintable(reason));
    QCOMPARE(writeAndRead(read), saved);
    // Nothing beside the page: no second name, nothing left of the writes.
    DIR *listing = ::opendir(NativeName::encode(NativeFile::folderOf(path)).constData());
    int entries = 0;
    while (::readdir(listing) != nullptr)
        ++entries;
    ::closedir(listing);
    QCOMPARE(entries, 3); // ".", ".." and the page
    // Under its own name, which QTemporaryDir cannot reach when it is not UTF-8.
    QCOMPARE(::unlink(name.constData()), 0);
    ::rmdir(NativeName::encode(NativeFile::folderOf(path)).constData());
}

QTEST_GUILESS_MAIN(TestPageFile)
#include "tst_pagefile.moc"
