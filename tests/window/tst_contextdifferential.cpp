#include "assisttesting.h"

#include <QRandomGenerator>
#include <QTextDocument>

using namespace AssistTesting;

namespace {
int inStrRev(const QString &text, QChar c)
{
    return int(text.lastIndexOf(c)) + 1;
}

int inStr(const QString &text, QChar c)
{
    return int(text.indexOf(c)) + 1;
}

// The caret's context read the plain way: every delimiter looked for over the whole text before
// the caret. The program searches back only to the nearer bracket; both must come to the same
// decisions.
struct LiteralContext
{
    enum Case
    {
        Outside,
        Word,
        Attribute
    };

    LiteralContext(const QString &text, int caret, const CompletionState &before)
        : Ps(text.left(caret))
        , Csend(text.mid(caret, 100))
        , Tagnext(before.Tagnext)
        , Tagstring(before.Tagstring)
        , Tagmain(before.Tagmain)
        , Ismain(before.Ismain)
    {
        const int Loc1 = inStrRev(Ps, u'<');
        const int Loc2 = inStrRev(Ps, u'>');
        const int Locsp = inStrRev(Ps, u' ');
        const int Loceq = inStrRev(Ps, u'=');
        const int Locyin = inStrRev(Ps, u'"');
        Loc3 = inStr(Csend, u'<');
        Loc4 = inStr(Csend, u'>');
        if (Loc4 > Loc3)
            Tagnext = Csend.mid(Loc3, Loc4 - Loc3 - 1).remove(u' ');

        if (Loc1 <= Loc2) {
            kind = Outside;
        } else if (Loc1 > Locsp || Loceq > Locsp) {
            kind = Word;
            Tagst = std::max({Loc1, Locsp, Loceq, Locyin});
            Tagstring = text.mid(Tagst, caret - Tagst);
            Ismain = !Tagstring.startsWith(u'/');
            if (!Ismain)
                Tagstring.remove(u'/');
            if (Loc1 > Locsp)
                Tagmain = Tagstring;
        } else if (Loc1 < Locsp && Loceq < Locsp) {
            kind = Attribute;
            Tagst = Locsp;
            Tagstring = text.mid(Tagst, caret - Tagst).remove(u'/');
            if (Tagstring.startsWith(u'\r'))
                Tagstring.remove(u'\r').remove(u'\n');
        }
    }

    // The first word of the list that begins with the typed word, as an index; -1 for none.
    int find(const ListControl &list) const
    {
        for (int i = 0; !Tagstring.isEmpty() && i < list.ListCount(); ++i) {
            if (list.List(i).startsWith(Tagstring, Qt::CaseInsensitive))
                return i;
        }
        return -1;
    }

    QString Ps, Csend;
    int Loc3 = 0, Loc4 = 0;
    QString Tagnext, Tagstring, Tagmain;
    bool Ismain;
    Case kind = Outside;
    int Tagst = 0;
};

// Compares what the program decided at a change with the literal reading of the same text.
void compareWithLiteral(const Form1 &form, const CompletionState &before, const QByteArray &where)
{
    const CompletionState &state = form.assist;
    const LiteralContext literal(form.Text1.Text(), form.Text1.SelStart(), before);
    QVERIFY2(state.Ps.view() == literal.Ps, where);
    QCOMPARE(state.Csend, literal.Csend);
    QCOMPARE(state.Loc3, literal.Loc3);
    QCOMPARE(state.Loc4, literal.Loc4);
    QCOMPARE(state.Tagnext, literal.Tagnext);
    QVERIFY2(form.List1.Visible() == (literal.kind == LiteralContext::Word), where);
    QVERIFY2(form.List2.Visible() == (literal.kind == LiteralContext::Attribute), where);
    QCOMPARE(state.Tagstring, literal.Tagstring);
    QCOMPARE(state.Tagmain, literal.Tagmain);
    QCOMPARE(state.Ismain, literal.Ismain);
    switch (literal.kind) {
    case LiteralContext::Outside:
        QCOMPARE(state.Finded1, before.Finded1);
        QCOMPARE(state.Finded2, before.Finded2);
        break;
    case LiteralContext::Word:
        QCOMPARE(state.Tagst1, literal.Tagst);
        QCOMPARE(form.List1.ListIndex(), literal.find(form.List1));
        QCOMPARE(state.Finded1, literal.find(form.List1) >= 0);
        break;
    case LiteralContext::Attribute:
        QCOMPARE(state.Tagst2, literal.Tagst);
        QCOMPARE(form.List2.ListIndex(), literal.find(form.List2));
        QCOMPARE(state.Finded2, literal.find(form.List2) >= 0);
        QCOMPARE(state.Completed, state.Finded2 ? false : before.Completed);
        break;
    }
}
} // namespace

// A seeded random run of the keys the markup help reacts to, with the mouse moving the caret
// now and then: after every change of the text the program's reading of the caret's context
// decides exactly as the literal one does, and after every key the editor is consistent.
class TestContextDifferential : public QObject
{
    Q_OBJECT

private slots:
    void sameDecisions_data();
    void sameDecisions();
};

void TestContextDifferential::sameDecisions_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("keys");
    QTest::addColumn<int>("longest"); // the text starts afresh beyond this length
    QTest::addRow("short texts") << 20261207u << 6000 << 300;
    QTest::addRow("long texts") << 77u << 3000 << 3000;
}

void TestContextDifferential::sameDecisions()
{
    QFETCH(quint32, seed);
    QFETCH(int, keys);
    QFETCH(int, longest);

    const QStringList keyNames =
        QStringLiteral("{Return}|{Backspace}|{Del}|{Up}|{Down}|{Left}|{Right}|{Esc}|{Home}|{End}|"
                       "<|<|>|=|=| | | |\"|\"|/|/|!|t|a|b|l|e|o|s|c|i|p|r|d|w|h")
            .split(u'|');
    const auto window = windowWith(QString(), 0);
    Form1 &form = *window->form;
    QString lastKey;
    int step = 0;
    int changes = 0;
    int seen[3] = {0, 0, 0};
    form.Text1.onChange([&] {
        const CompletionState before = form.assist;
        form.Text1_Change();
        if (form.page.isopening == 1 || QTest::currentTestFailed())
            return;
        ++changes;
        ++seen[form.List1.Visible() ? 1 : form.List2.Visible() ? 2 : 0];
        const QByteArray where = QStringLiteral("key %1 (%2), caret %3 in: %4")
                                     .arg(step)
                                     .arg(lastKey)
                                     .arg(form.Text1.SelStart())
                                     .arg(form.Text1.Text())
                                     .toUtf8();
        compareWithLiteral(form, before, where);
        if (QTest::currentTestFailed())
            qWarning("%s", where.constData());
    });

    QRandomGenerator random(seed);
    for (step = 0; step < keys && !QTest::currentTestFailed(); ++step) {
        const QString &text = form.Text1.Text();
        lastKey = random.bounded(20) == 0
                      ? QStringLiteral("{Click=%1}").arg(random.bounded(int(text.size()) + 1))
                      : keyNames.at(random.bounded(int(keyNames.size())));
        typeKeys(form, lastKey);
        // The editor shows the text it holds (a line a CR LF, a symbol a lone break), the caret
        // inside it, at most one list, and the focus where the keys go next.
        const QString shown = form.Text1.editor()
                                  ->document()
                                  ->toRawText()
                                  .replace(QChar::ParagraphSeparator, QLatin1String("\r\n"))
                                  .replace(QChar(0x240D), u'\r')
                                  .replace(QChar(0x240A), u'\n');
        QCOMPARE(shown, form.Text1.Text());
        QVERIFY(form.Text1.SelStart() >= 0 && form.Text1.SelStart() <= shown.size());
        QVERIFY(!form.List1.Visible() || !form.List2.Visible());
        QVERIFY(seenLists(form).endsWith(u'*') ||
                QApplication::focusWidget() == form.Text1.editor());
        if (form.Text1.Text().size() > longest)
            form.Text1.setText(QString());
    }
    if (QTest::currentTestFailed())
        return;
    QVERIFY(changes > keys / 2);
    QVERIFY2(seen[0] > 100 && seen[1] > 100 && seen[2] > 100,
             qPrintable(QStringLiteral("outside %1, word %2, attribute %3")
                            .arg(seen[0])
                            .arg(seen[1])
                            .arg(seen[2])));
}

QTEST_MAIN(TestContextDifferential)
#include "tst_contextdifferential.moc"
