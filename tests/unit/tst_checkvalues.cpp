#include "check/problems.h"
#include "check/spelling.h"
#include "check/tagpairs.h"
#include "core/nativename.h"
#include "system/nativefile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>

// The page checks on known pages: which tag pairs with which, and what the parser finds wrong.
class TestCheckValues : public QObject
{
    Q_OBJECT

private slots:
    void partnerTag_data();
    void partnerTag();
    void problemsFound_data();
    void problemsFound();
    void misspeltWords_data();
    void misspeltWords();
};

void TestCheckValues::partnerTag_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("partner"); // -1: none
    const auto row = [](const char *name, const QString &text, int caret, int partner) {
        QTest::addRow("%s", name) << text << caret << partner;
    };
    const QString nested = QStringLiteral("<div><div>ab</div></div>");
    row("outer start", nested, 2, 18);
    row("inner start, on its <", nested, 5, 12);
    row("inner end", nested, 16, 5);
    row("outer end, after its >", nested, 24, 0);
    row("in text", nested, 11, -1);
    row("unclosed", "<p><b>x</p>", 4, -1);
    row("void", "<br><p></p>", 1, -1);
    row("comment skipped", "<p><!-- </p> --></p>", 1, 16);
    row("comment skipped backwards", "<p><!-- <p> --></p>", 17, 0);
    row("script content skipped", "<p><script>'</p>'</script></p>", 1, 26);
    row("capitals", "<P>x</p>", 6, 0);
}

void TestCheckValues::partnerTag()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(int, partner);
    const std::optional<TagPairs::Tag> tag = TagPairs::tagAt(text, caret);
    const std::optional<TagPairs::Tag> found = tag ? TagPairs::partner(text, *tag) : std::nullopt;
    QCOMPARE(found ? found->start : -1, partner);
}

void TestCheckValues::problemsFound_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("found"); // start and the message's first words
    const auto row = [](const char *name, const char *body, const QStringList &found) {
        QTest::addRow("%s", name) << QStringLiteral("<!DOCTYPE html>\r\n<html><head><title>t"
                                                    "</title></head><body>\r\n") +
                                         QString::fromUtf8(body) +
                                         QStringLiteral("\r\n</body></html>\r\n")
                                  << found;
    };
    row("valid", "<p id=a>x</p><img src=here.png alt=x>", {});
    row("unclosed", "<div><span>x</div>", {"65 missing </span> before </div>"});
    row("misnested", "<p><b><i>x</b></i></p>", {"66 replacing unexpected b with </b>"});
    row("stray end tag", "<p>x</p></span>", {"68 discarding unexpected </span>"});
    row("duplicate id", "<p id=a>x</p><p id=a>y</p>", {"73 <p> anchor \"a\" already defined"});
    row("img without alt", "<img src=here.png>", {"60 <img> lacks \"alt\" attribute"});
    row("unknown element", "<blurp>x</blurp>", {"60 <blurp> is not recognized!"});
    row("missing file", "<a href=\"gone.html#x\">x</a><script src=no.js></script>",
        {"69 \"gone.html\" does not exist", "99 \"no.js\" does not exist"});
    QTest::addRow("binary") << QString::fromLatin1("\x7f"
                                                   "ELF\x02\x01\x01\0\0\0\0\x01\x02",
                                                   14)
                            << QStringList{"0 This page is not text"};
}

void TestCheckValues::problemsFound()
{
    QFETCH(QString, page);
    QFETCH(QStringList, found);
    // The page's folder has a name that is not UTF-8: its files are found all the same.
    QTemporaryDir temporary;
    const QString folder = temporary.filePath(NativeName::decode("caf\xe9"));
    QVERIFY(::mkdir(NativeName::encode(folder).constData(), 0700) == 0);
    QFile here;
    QString reason;
    QVERIFY(NativeFile::open(here, folder + QStringLiteral("/here.png"), O_WRONLY | O_CREAT, 0600,
                             &reason));
    QStringList seen;
    for (const Problems::Problem &problem : Problems::find(page, folder))
        seen << QString::number(problem.start) + u' ' + problem.message;
    QCOMPARE(seen.size(), found.size());
    for (qsizetype i = 0; i < seen.size(); ++i)
        QVERIFY2(seen.at(i).startsWith(found.at(i)), qPrintable(seen.at(i)));
}

void TestCheckValues::misspeltWords_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("misspelt");
    const auto row = [](const char *name, const QString &page, const QString &misspelt) {
        QTest::addRow("%s", name) << page << misspelt;
    };
    row("text", "<p>The quikc fox</p>", "quikc");
    row("tags and values skipped", "<tabel clas=\"wrnog\" href=\"bda.html\">text</tabel>", "");
    row("alt and title read", "<img alt=\"a dogg\" title='cattt'>", "dogg cattt");
    row("script and style skipped", "<script>var xyzzq;</script><style>.qqwe{}</style>wrdo",
        "wrdo");
    row("comments and references skipped", "<!-- zzqx -->&nbsp;&eacute;fine", "");
    row("digits make names", "mp3 h2o 3rd", "");
    row("apostrophe", "don't dont'x", "dont'x");
}

void TestCheckValues::misspeltWords()
{
    QFETCH(QString, page);
    QFETCH(QString, misspelt);
    QTemporaryDir config;
    const auto dictionary = Spelling::Dictionary::forLanguage(
        QStringLiteral("en-US"), config.filePath(QStringLiteral("words.txt")));
    QVERIFY(dictionary);
    QStringList seen;
    for (const Spelling::Word &word : dictionary->misspelt(page))
        seen << page.mid(word.start, word.length);
    QCOMPARE(seen.join(u' '), misspelt);
    QVERIFY(dictionary->suggestions(QStringLiteral("quikc")).contains(QStringLiteral("quick")));
    dictionary->add(QStringLiteral("Velmora"));
    QVERIFY(Spelling::Dictionary::forLanguage(QStringLiteral("en"),
                                              config.filePath(QStringLiteral("words.txt")))
                ->isCorrect(u"Velmora"));
}

QTEST_GUILESS_MAIN(TestCheckValues)
#include "tst_checkvalues.moc"
