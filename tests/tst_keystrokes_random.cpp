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
    const QStringList keys = {
        QStringLiteral("<"),      QStringLiteral(">"),       QStringLiteral("="),
        QStringLiteral(" "),      QStringLiteral(" "),       QStringLiteral("\""),
        QStringLiteral("/"),      QStringLiteral("!"),       QStringLiteral("("),
        QStringLiteral(")"),      QStringLiteral("t"),       QStringLiteral("a"),
        QStringLiteral("b"),      QStringLiteral("o"),       QStringLiteral("r"),
        QStringLiteral("s"),      QStringLiteral("c"),       QStringLiteral("i"),
        QStringLiteral("p"),      QStringLiteral("{Enter}"), QStringLiteral("{BS}"),
        QStringLiteral("{Del}"),  QStringLiteral("{Up}"),    QStringLiteral("{Down}"),
        QStringLiteral("{Left}"), QStringLiteral("{Right}"), QStringLiteral("{Esc}"),
        QStringLiteral("{Home}"), QStringLiteral("{End}"),
    };
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

        const QString context =
            QStringLiteral("after key %1, typed: %2").arg(i).arg(typed.right(80));
        const QString &text = form.Text1.Text();
        const int caret = form.Text1.SelStart();
        QVERIFY2(caret >= 0 && caret <= text.size(), qPrintable(context));
        QVERIFY2(!(form.List1.Visible() && form.List2.Visible()), qPrintable(context));
        QString shown = text;
        shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        QVERIFY2(shown == form.Text1.editor()->toPlainText(), qPrintable(context));
        const QWidget *focus = QApplication::focusWidget();
        QVERIFY2(focus == form.Text1.editor() || focus == form.List1.widget() ||
                     focus == form.List2.widget(),
                 qPrintable(context));
        // Start afresh now and then, so that the text stays short and every context recurs.
        if (text.size() > 400)
            form.Text1.setText(QString());
    }
}

QTEST_MAIN(TestKeystrokesRandom)
#include "tst_keystrokes_random.moc"
