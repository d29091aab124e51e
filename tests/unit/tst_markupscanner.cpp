#include "assist/caretcontext.h"
#include "assist/completionstate.h"
#include "core/markupscanner.h"

#include <QRandomGenerator>
#include <QTest>

using MarkupScanner::Kind;

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

// The pieces the editor colours, line by line, with what is open carried to the next line; and
// the caret's context that the markup help reads.
class TestMarkupScanner : public QObject
{
    Q_OBJECT

private slots:
    void pieces_data();
    void pieces();
    void caretContextAsReadPlainly();
};

void TestMarkupScanner::pieces_data()
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

void TestMarkupScanner::pieces()
{
    QFETCH(QString, page);
    QFETCH(QString, kinds);

    QCOMPARE(kindsOf(page), kinds);
}

// The context is read back only to the nearer of the last "<" and ">"; on seeded random texts
// it decides as the plain reading does, which looks for every delimiter before the caret.
void TestMarkupScanner::caretContextAsReadPlainly()
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

QTEST_GUILESS_MAIN(TestMarkupScanner)
#include "tst_markupscanner.moc"
