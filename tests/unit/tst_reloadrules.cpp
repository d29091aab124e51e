#include "core/textchange.h"
#include "core/textencoding.h"
#include "preview/patchsafety.h"

#include <QTest>

// Which pages and which changes the preview must load afresh rather than update in place.
class TestReloadRules : public QObject
{
    Q_OBJECT

private slots:
    void rules_data();
    void rules();
};

void TestReloadRules::rules_data()
{
    QTest::addColumn<QString>("page"); // "|" marks where `typed` goes
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("codec");
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("reload");

    const int utf8 = TextEncoding::Utf8;
    QTest::addRow("prose that reads like a handler") << "<p>ONLY = the one = |</p>"
                                                     << "x" << utf8 << false << false;
    QTest::addRow("code sample between tags") << "<pre>worker.onmessage = function () {}|</pre>"
                                              << "x" << utf8 << false << false;
    QTest::addRow("handler typed far into a long tag")
        << "<p title=\"" + QString(200, u'a') + "\" |>a</p>"
        << "onclick=f()" << utf8 << true << true;
    QTest::addRow("text typed beside a handler") << "<p onclick=\"f()\">a|</p>"
                                                 << "b" << utf8 << true << false;
    QTest::addRow("style type declared") << "<meta http-equiv=\"Content-Style-Type\" "
                                            "content=\"text/css\"><p>a|</p>"
                                         << "b" << utf8 << false << false;
    QTest::addRow("refresh typed") << "<meta http-equiv=|><p>a</p>"
                                   << "refresh" << utf8 << true << true;
    QTest::addRow("script typed") << "<p>a|</p>"
                                  << "<script" << utf8 << true << true;
    QTest::addRow("text typed after a script")
        << "<script>var a;</script>" + QString(100, u'x') + "<p>a|</p>"
        << "b" << utf8 << true << false;
    QTest::addRow("frame typed") << "<p>a|</p>"
                                 << "<iframe" << utf8 << true << true;
    QTest::addRow("typed ahead of a declaration near its reach")
        << "<p>x|</p><!--" + QString(900, u'-') + "--><meta charset=\"utf-8\">"
        << "a" << utf8 << false << true;
    QTest::addRow("encoding declaration") << "<meta charset=\"utf-8\"|><p>a</p>"
                                          << " " << utf8 << false << true;
    QTest::addRow("UTF-16 page") << "<p>caf|</p>"
                                 << "\u00e9 \u20ac \U0001F600" << int(TextEncoding::Utf16LE)
                                 << false << false;
    QTest::addRow("UTF-16 page's declaration")
        << "<meta charset=\"utf-16\"|><p>a</p>"
        << " " << int(TextEncoding::Utf16LE) << false << false;
    QTest::addRow("UTF-32 page") << "<p>a|</p>"
                                 << "\u0416" << int(TextEncoding::Utf32BE) << false << false;
    QTest::addRow("8-bit page, a character it lacks")
        << "<p>a|</p>"
        << "\u0416" << int(TextEncoding::Windows1252) << true << true;
}

// `active`: the page after the change has content only a load runs; `reload`: the change
// itself needs a load.
void TestReloadRules::rules()
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

QTEST_GUILESS_MAIN(TestReloadRules)
#include "tst_reloadrules.moc"
