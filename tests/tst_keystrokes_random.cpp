#include "assisttesting.h"

#include <QRandomGenerator>

using namespace AssistTesting;

// A long run of keystrokes drawn at random from the keys that the markup help reacts to: the
// editor survives it with a consistent text, a caret inside it and never two lists at once.
class TestKeystrokesRandom : public QObject
{
    Q_OBJECT

private slots:
    void randomKeys();
};

void TestKeystrokesRandom::randomKeys()
{
    QStringList keys = QStringLiteral("{Enter} {BS} {Del} {Up} {Down} {Left} {Right} {Esc} "
                                      "{Home} {End}")
                           .split(u' ');
    for (const QChar c : QStringLiteral("<>=  \"/!()tabloscip"))
        keys.append(c);
    const auto window = windowWith(QString(), 0);
    Form1 &form = *window->form;
    QRandomGenerator random(20240611);
    QString typed;
    for (int i = 0; i < 4000; ++i) {
        const QString key = keys.at(random.bounded(keys.size()));
        typed += key;
        typeKeys(form, key);
        if (QTest::currentTestFailed())
            return;

        const QByteArray context = QStringLiteral("key %1 of: %2").arg(i).arg(typed).toUtf8();
        const QString &text = form.Text1.Text();
        QVERIFY2(form.Text1.SelStart() >= 0 && form.Text1.SelStart() <= text.size(), context);
        QVERIFY2(visibleList(form) != QLatin1String("both"), context);
        QVERIFY2(QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")) ==
                     form.Text1.editor()->toPlainText(),
                 context);
        QVERIFY2(focusName(form) != QLatin1String("elsewhere"), context);
        // Start afresh now and then, so that the text stays short and every context recurs.
        if (text.size() > 400) {
            form.Text1.setText(QString());
            typed.clear();
        }
    }
}

QTEST_MAIN(TestKeystrokesRandom)
#include "tst_keystrokes_random.moc"
