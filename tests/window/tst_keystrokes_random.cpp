#include "assisttesting.h"

#include <QRandomGenerator>
#include <QTextDocument>

using namespace AssistTesting;

// A long seeded run of the keys the markup help reacts to: the editor keeps a consistent text
// with the caret inside it, the focus stays with the editor or a list, and never two lists show.
class TestKeystrokesRandom : public QObject
{
    Q_OBJECT

private slots:
    void randomKeys();
};

void TestKeystrokesRandom::randomKeys()
{
    const QStringList keys =
        QStringLiteral("{Return}|{Backspace}|{Del}|{Up}|{Down}|{Left}|{Right}|"
                       "{Esc}|{Home}|{End}|<|>|=| | |\"|/|!|(|)|t|a|b|l|o|s|c|i|p")
            .split(u'|');
    const auto window = windowWith(QString(), 0);
    Form1 &form = *window->form;
    QRandomGenerator random(20240611);
    for (int i = 0; i < 4000 && !QTest::currentTestFailed(); ++i) {
        const QString key = keys.at(random.bounded(keys.size()));
        typeKeys(form, key);
        const QString &text = form.Text1.Text();
        const QByteArray context =
            QStringLiteral("key %1 (%2) gave: %3").arg(i).arg(key, text).toUtf8();
        QVERIFY2(form.Text1.SelStart() >= 0 && form.Text1.SelStart() <= text.size(), context);
        // What is shown, read back: a line is a CR LF, a symbol a lone break.
        const QString shown = form.Text1.editor()
                                  ->document()
                                  ->toRawText()
                                  .replace(QChar::ParagraphSeparator, QLatin1String("\r\n"))
                                  .replace(QChar(0x240D), u'\r')
                                  .replace(QChar(0x240A), u'\n');
        QVERIFY2(shown == text, context);
        QVERIFY2(!form.List1.Visible() || !form.List2.Visible(), context);
        QVERIFY2(seenLists(form).endsWith(u'*') ||
                     QApplication::focusWidget() == form.Text1.editor(),
                 context);
        // Start afresh now and then, so that the text stays short and every context recurs.
        if (text.size() > 400)
            form.Text1.setText(QString());
    }
}

QTEST_MAIN(TestKeystrokesRandom)
#include "tst_keystrokes_random.moc"
