#include "core/linebreaks.h"
#include "core/nativename.h"
#include "core/textencoding.h"
#include "editor/textmodel.h"
#include "system/files.h"
#include "system/nativefile.h"

#include <QFile>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// A page's text: its bytes as the editor reads them, and as Save writes them back; the editor's
// CR LF model and its position mapping on a bare document, with its undo history.
class TestTextModel : public QObject
{
    Q_OBJECT

private slots:
    void pageRoundTrip_data();
    void pageRoundTrip();
    void init();
    void writes_data();
    void writes();
    void history_data();
    void history();
    void userEditOverCrLf();
    void randomEdits();

private:
    QString fault() const;
    void userEdit(int from, int to, const QString &typed, int widenBefore, int widenAfter);

    std::unique_ptr<QTextDocument> m_document;
    std::unique_ptr<TextModel> m_model;
};

using Selection = TextModel::Selection;

namespace {
// "a[b]c": the text with its selection.
QString marked(QString text, Selection selection)
{
    return text.insert(selection.start + selection.length, u']').insert(selection.start, u'[');
}
} // namespace

void TestTextModel::pageRoundTrip_data()
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
void TestTextModel::pageRoundTrip()
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

void TestTextModel::init()
{
    m_document = std::make_unique<QTextDocument>();
    m_model = std::make_unique<TextModel>(m_document.get());
}

// The document shows what the model holds (its line breaks as the table of writes() has them),
// and every model position maps to a document position and back (one inside a CR LF to the CR).
QString TestTextModel::fault() const
{
    const QString &text = m_model->text();
    const QString seen = m_document->toRawText().replace(QChar::ParagraphSeparator, u'\n');
    if (seen != LineBreaks::shownForm(text))
        return QStringLiteral("model %1, shown %2").arg(text, seen);
    for (int position = 0; position <= text.size(); ++position) {
        const int back = m_model->modelPosition(m_model->documentPosition(position));
        if (back != position &&
            !(back == position - 1 && text.mid(back, 2) == QLatin1String("\r\n")))
            return QStringLiteral("%1 in %2 maps back to %3").arg(position).arg(text).arg(back);
    }
    return QString();
}

// The widget's way: the document changes first and reports it, at times over a wider range.
void TestTextModel::userEdit(int from, int to, const QString &typed, int widenBefore,
                             int widenAfter)
{
    const int length = m_document->characterCount();
    QTextCursor cursor(m_document.get());
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    cursor.insertText(typed);
    const int added = m_document->characterCount() - length + to - from;
    widenBefore = std::min(widenBefore, from);
    widenAfter = std::min(widenAfter, m_document->characterCount() - 1 - from - added);
    m_model->takeDocumentChange(from - widenBefore, to - from + widenBefore + widenAfter,
                                added + widenBefore + widenAfter);
}

void TestTextModel::writes_data()
{
    QTest::addColumn<QStringList>("row"); // text, start, end, written, shown afterwards

    QTest::addRow("mixed") << QStringList{"a\r\nb\nc\rd\r\n\n\r\r\n\u2028e\u2029", "0", "0", "",
                                          "a\nb\u240Ac\u240Dd\n\u240A\u240D\n\u2424e\u2424"};
    QTest::addRow("from inside crlf") << QStringList{"ab\r\ncd", "3", "5", "", "ab\u240Dd"};
    QTest::addRow("to inside crlf") << QStringList{"ab\r\ncd", "1", "3", "Y", "aY\u240Acd"};
    QTest::addRow("lf after lone cr") << QStringList{"a\rb", "2", "2", "\n", "a\nb"};
    QTest::addRow("crlf after lone cr") << QStringList{"p\rx", "2", "2", "\r\nab", "p\u240D\nabx"};
}

// A text set shows every kind of line break; a write splits or joins line breaks where the
// program says, and undo gives back the text and the selection.
void TestTextModel::writes()
{
    QFETCH(QStringList, row);
    const QString &text = row.at(0);
    const int start = row.at(1).toInt();
    const int end = row.at(2).toInt();

    m_model->setText(text);
    QCOMPARE(m_model->text(), text);
    QVERIFY(!m_model->history().canUndo());
    m_model->replace(start, end, row.at(3));
    QCOMPARE(m_model->text(), QString(text).replace(start, end - start, row.at(3)));
    QCOMPARE(m_document->toRawText().replace(QChar::ParagraphSeparator, u'\n'), row.at(4));
    QCOMPARE(fault(), QString());
    if (m_model->history().canUndo()) {
        QCOMPARE(marked(m_model->text(), m_model->undo()), marked(text, {start, end - start}));
        QCOMPARE(fault(), QString());
    }
}

void TestTextModel::history_data()
{
    // Steps ("start length text", "join", "bare start text") = the text after each undo.
    QTest::addColumn<QString>("row");

    QTest::addRow("letters typed make one word") << "0 0 a;1 0 b;2 0 3 = []";
    QTest::addRow("a space ends the word") << "0 0 a;1 0 b;2 0  ;3 0 c = ab [];ab[];[]";
    QTest::addRow("a move of the caret ends the word") << "0 0 a;0 0 b = []a;[]";
    QTest::addRow("typing over a selection") << "0 0 a;0 1 b = [a];[]";
    QTest::addRow("two letters are no word") << "0 0 ab;2 0 c = ab[];[]";
    QTest::addRow("the next step joined") << "0 0 <;join;1 0 br> = []";
    QTest::addRow("edits outside a step") << "0 0 ab;bare 1 x = a[]b;[]";
}

// Each step undoes at once to the text and selection before it, and redoes back.
void TestTextModel::history()
{
    QFETCH(QString, row);
    const QString expected = row.section(QLatin1String(" = "), 1);

    EditHistory &history = m_model->history();
    for (const QString &step : row.section(QLatin1String(" = "), 0, 0).split(u';')) {
        const QStringList parts = step.split(u' ');
        if (parts.at(0) == QLatin1String("join")) {
            history.joinNext();
        } else if (parts.at(0) == QLatin1String("bare")) {
            m_model->replace(parts.at(1).toInt(), parts.at(1).toInt(), parts.at(2));
        } else {
            const Selection before{parts.at(0).toInt(), parts.at(1).toInt()};
            const QString text = step.section(u' ', 2);
            history.begin(before);
            m_model->replace(before.start, before.start + before.length, text);
            history.end({before.start + int(text.size()), 0});
        }
    }
    const QString last = m_model->text();
    QStringList undone;
    while (history.canUndo())
        undone.append(marked(m_model->text(), m_model->undo()));
    QCOMPARE(undone.join(u';'), expected);
    while (history.canRedo())
        m_model->redo();
    QCOMPARE(m_model->text(), last);
}

// The widget's change of a CR LF into other characters replaces the CR LF whole.
void TestTextModel::userEditOverCrLf()
{
    m_model->setText(QStringLiteral("a\r\nb"));
    userEdit(1, 2, QStringLiteral("x\u240A"), 0, 0);
    QCOMPARE(m_model->text(), QStringLiteral("ax\u240Ab"));
    QCOMPARE(marked(m_model->text(), m_model->undo()), QStringLiteral("a[\r\n]b"));
}

// A long seeded run of writes and user edits at any place, inside a CR LF too, steps and undo;
// the whole history goes back to the text set last and forward again, exactly.
void TestTextModel::randomEdits()
{
    const QStringList pieces{"\r",     "\n",    "\r\n",   "\n\r",   "ab",
                             "x\r\ny", "<p>\n", "\u2029", "\u2028", ""};
    QRandomGenerator random(20261207);
    const int configured = qEnvironmentVariableIntValue("VELMORA_RANDOM_EVENTS");
    EditHistory &history = m_model->history();
    QString origin;
    for (int i = 0; i < (configured > 0 ? configured : 50000); ++i) {
        const QString &piece = pieces.at(random.bounded(pieces.size()));
        const int length = int(m_model->text().size());
        const int start = random.bounded(length + 1);
        const int end = std::min(length, start + random.bounded(3));
        const int kind = random.bounded(9);
        const bool inStep = random.bounded(4) > 0;
        if (inStep)
            history.begin({start, end - start});
        if (kind == 8 && inStep) {
            m_model->setText(QString(m_model->text()).replace(start, end - start, piece));
        } else if (kind < 3 || kind == 8) {
            m_model->replace(start, end, piece);
        } else if (kind < 6) {
            const int from = random.bounded(m_document->characterCount());
            const int to = std::min(m_document->characterCount() - 1, from + random.bounded(3));
            userEdit(from, to, piece, random.bounded(3), random.bounded(3));
        } else if (kind == 6 && history.canUndo()) {
            m_model->undo();
        } else if (history.canRedo()) {
            m_model->redo();
        }
        if (inStep)
            history.end({start, 0});
        const QString found = fault();
        QVERIFY2(found.isEmpty(), qPrintable(QStringLiteral("event %1: ").arg(i) + found));
        if (m_model->text().size() > 300) { // short texts, so that every neighbourhood recurs
            const QString latest = m_model->text();
            while (history.canUndo())
                m_model->undo();
            QCOMPARE(m_model->text(), origin);
            while (history.canRedo())
                m_model->redo();
            QCOMPARE(m_model->text(), latest);
            origin = pieces.at(random.bounded(pieces.size())).repeated(3);
            m_model->setText(origin);
        }
    }
}

QTEST_GUILESS_MAIN(TestTextModel)
#include "tst_textmodel.moc"
