#include "assist/caretcontext.h"
#include "assist/completionstate.h"
#include "check/problems.h"
#include "check/spelling.h"
#include "check/tagpairs.h"
#include "core/markupscanner.h"
#include "core/nativename.h"
#include "system/nativefile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>

namespace {
// One letter a character for the piece it is in; "." is plain text.
QString kindsOf(const QString &page)
{
    const char letters[MarkupScanner::KindCount + 1] = "<tavc&dsy";
    QStringList masks;
    MarkupScanner::State state = MarkupScanner::PageStart;
    for (const QString &line : page.split(u'\n')) {
        QList<MarkupScanner::Span> spans;
        state = MarkupScanner::scanLine(line, state, &spans);
        QString mask(line.size(), u'.');
        int end = 0;
        for (const MarkupScanner::Span &span : std::as_const(spans)) {
            if (span.start < end || span.length <= 0 || span.start + span.length > line.size())
                return QStringLiteral("bad span at %1").arg(span.start);
            end = span.start + span.length;
            mask.replace(span.start, span.length,
                         QString(span.length, QChar::fromLatin1(letters[int(span.kind)])));
        }
        masks.append(mask);
    }
    return masks.join(u'\n');
}
} // namespace

// The page's markup as the value code reads it: the pieces the editor colours, line by line,
// with what is open carried to the next line; the caret's context that the markup help reads;
// and the page checks on known pages: which tag pairs with which, what the parser finds wrong and
// the words misspelt.
class TestCheckValues : public QObject
{
    Q_OBJECT

private slots:
    void pieces_data();
    void pieces();
    void caretContextAsReadPlainly();
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

void TestCheckValues::pieces_data()
{
    QTest::addColumn<QString>("page"); // lines joined by "\n"
    QTest::addColumn<QString>("kinds");
    const auto row = [](const char *name, const char *page, const char *kinds) {
        QTest::addRow("%s", name) << QString::fromUtf8(page) << QString::fromUtf8(kinds);
    };
    row("tag", "<p class=\"intro\" hidden>Hi</p>", "<t.aaaaa<vvvvvvv.aaaaaa<..<<t<");
    row("quoted values", "<a href=\"x.html\" title='A B'>", "<t.aaaa<vvvvvvvv.aaaaa<vvvvv<");
    row("unquoted value", "<td width=100 nowrap>x</td>", "<tt.aaaaa<vvv.aaaaaa<.<<tt<");
    row("value over two lines", "<img alt=\"first\nsecond\" src=a.png>",
        "<ttt.aaa<vvvvvv\nvvvvvvv.aaa<vvvvv<");
    row("tag over two lines", "<img src=a.png\nalt=b>\n<p>x</p>",
        "<ttt.aaa<vvvvv\naaa<v<\n<t<.<<t<");
    row("quote left open", "<a href=\"x>\n<b>bold</b>\n<i>\"</i>",
        "<t.aaaa<vvv\nvvvvvvvvvvv\nvvvva<a<");
    row("comment over three lines", "<!-- one\ntwo <b>\nthree -->\n<b>after</b>",
        "cccccccc\nccccccc\nccccccccc\n<t<.....<<t<");
    row("comment left open", "<!-- one\ntwo\n<b>after</b>", "cccccccc\nccc\ncccccccccccc");
    row("empty comments", "<!--> <b> <!---> <i>", "ccccc.<t<.cccccc.<t<");
    row("script",
        "<script type=\"text/javascript\">\nif (a < b) go(\"</p>\");\n</script>\n<p>x</p>",
        "<tttttt.aaaa<vvvvvvvvvvvvvvvvv<\nssssssssssssssssssssss\n<<tttttt<\n<t<.<<t<");
    row("script in capitals", "<SCRIPT>x<y</Script>z", "<tttttt<sss<<tttttt<.");
    row("style", "<STYLE>p { color: red }</STYLE><p>", "<ttttt<yyyyyyyyyyyyyyyy<<ttttt<<t<");
    row("character references", "a&nbsp;b &#169; &#xA9; <a title=\"&amp;\">&amp x</a>",
        ".&&&&&&..&&&&&&.&&&&&&.<t.aaaaa<v&&&&&v<......<<t<");
    row("doctype", "<!DOCTYPE html>\n<html>", "ddddddddddddddd\n<tttt<");
    row("processing instruction", "<?xml version=\"1.0\"?><p>", "ddddddddddddddddddddd<t<");
    row("plain text", "a < b and c > d & e", "...................");
}

void TestCheckValues::pieces()
{
    QFETCH(QString, page);
    QFETCH(QString, kinds);

    QCOMPARE(kindsOf(page), kinds);
}

// The context is read back only to the nearer of the last "<" and ">"; on seeded random texts
// it decides as the plain reading does, which looks for every delimiter before the caret.
void TestCheckValues::caretContextAsReadPlainly()
{
    using CaretContext::Case;
    const QStringList pieces = QStringLiteral("<|<|>|=| | |\"|/|!|\r\n|ta|b").split(u'|');
    QRandomGenerator random(20261207);
    for (int i = 0; i < 50000; ++i) {
        QString text;
        for (int n = random.bounded(16); n > 0; --n)
            text += pieces.at(random.bounded(pieces.size()));
        const int caret = random.bounded(int(text.size()) + 1);
        const QString before = text.left(caret);
        const auto last = [&](char16_t c) { return int(before.lastIndexOf(c)) + 1; };
        const int Loc1 = last(u'<'), Loc2 = last(u'>'), Locsp = last(u' '), Loceq = last(u'=');
        const int Locyin = last(u'"');
        const Case plain = Loc1 <= Loc2                    ? Case::Outside
                           : Loc1 > Locsp || Loceq > Locsp ? Case::Word
                                                           : Case::Attribute;
        CompletionState state;
        CaretContext::read(state, text, caret);
        const QByteArray where = QStringLiteral("caret %1 in %2").arg(caret).arg(text).toUtf8();
        QVERIFY2(CaretContext::classify(state) == plain, where);
        if (plain == Case::Word) {
            CaretContext::readWord(state, text, caret);
            const int start = std::max({Loc1, Locsp, Loceq, Locyin});
            QVERIFY2(state.Tagst1 == start && state.Loc1 == Loc1, where);
            QVERIFY2((state.Loc1 > state.Locsp) == (Loc1 > Locsp), where);
            QVERIFY2((state.Locyin > state.Loceq && state.Locyin > state.Loc1) ==
                         (Locyin > Loceq && Locyin > Loc1),
                     where);
        } else if (plain == Case::Attribute) {
            CaretContext::readAttribute(state, text, caret);
            QVERIFY2(state.Tagst2 == Locsp && state.Loc1 == Loc1, where);
        }
    }
}

QTEST_GUILESS_MAIN(TestCheckValues)
#include "tst_checkvalues.moc"
