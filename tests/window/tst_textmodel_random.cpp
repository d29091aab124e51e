#include "editor/editcontrol.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTest>
#include <QTextBlock>

// A long seeded run of everything that edits the page text: keys, pastes from other programs,
// input-method commits, the program's own writes at any position (inside a CR LF too), undo
// and redo. After every event the model must be what the document shows, read back without
// the control's help.
class TestTextModelRandom : public QObject
{
    Q_OBJECT

private slots:
    void modelIsWhatIsShown();
};

namespace {
// The model text of what the document shows: a line break is a CR LF, and the symbols of
// lone line breaks are those breaks.
QString shownModel(const QPlainTextEdit &editor)
{
    QString model;
    for (const QChar c : editor.document()->toRawText()) {
        switch (c.unicode()) {
        case QChar::ParagraphSeparator:
            model += QLatin1String("\r\n");
            break;
        case 0x240D:
            model += u'\r';
            break;
        case 0x240A:
            model += u'\n';
            break;
        default:
            model += c;
        }
    }
    return model;
}

// The model position of a document position, counted in what the document shows.
int shownPosition(const QPlainTextEdit &editor, int documentPosition)
{
    return documentPosition + editor.document()->findBlock(documentPosition).blockNumber();
}

QString escaped(QString text)
{
    return text.replace(u'\r', QLatin1String("\\r")).replace(u'\n', QLatin1String("\\n"));
}

int eventCount()
{
    const int configured = qEnvironmentVariableIntValue("VELMORA_RANDOM_EVENTS");
    return configured > 0 ? configured : 50000;
}
} // namespace

void TestTextModelRandom::modelIsWhatIsShown()
{
    // The widgets go before their control, as in the window.
    std::unique_ptr<EditControl> control;
    QWidget window;
    control = std::make_unique<EditControl>(&window);
    EditControl &edit = *control;
    edit.Move(0, 0, 6000, 3000);
    int changes = 0;
    edit.onChange([&] { ++changes; });
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    edit.SetFocus();
    QPlainTextEdit &editor = *edit.editor();

    const QStringList pieces{QStringLiteral("\r"),    QStringLiteral("\n"),
                             QStringLiteral("\r\n"),  QStringLiteral("\n\r"),
                             QStringLiteral("ab"),    QStringLiteral("x\r\ny"),
                             QStringLiteral("<p>\n"), QString()};
    const QList<QPair<Qt::Key, Qt::KeyboardModifiers>> keys{
        {Qt::Key_A, {}},
        {Qt::Key_B, Qt::ShiftModifier},
        {Qt::Key_Space, {}},
        {Qt::Key_Space, Qt::ControlModifier},
        {Qt::Key_Return, {}},
        {Qt::Key_Return, Qt::ShiftModifier},
        {Qt::Key_Enter, Qt::KeypadModifier},
        {Qt::Key_Backspace, {}},
        {Qt::Key_Delete, {}},
        {Qt::Key_Left, {}},
        {Qt::Key_Right, {}},
        {Qt::Key_Up, {}},
        {Qt::Key_Down, {}},
        {Qt::Key_Home, {}},
        {Qt::Key_End, {}},
        {Qt::Key_Left, Qt::ShiftModifier},
        {Qt::Key_Right, Qt::ShiftModifier},
        {Qt::Key_Backspace, Qt::AltModifier}, // undo
        {Qt::Key_Y, Qt::ControlModifier},     // redo
    };

    QRandomGenerator random(20261207);
    const int events = eventCount();
    QString last;
    QString origin;
    for (int i = 0; i < events; ++i) {
        const int kind = random.bounded(10);
        const QString &piece = pieces.at(random.bounded(pieces.size()));
        QString event;
        if (kind < 6) {
            const auto &[key, modifiers] = keys.at(random.bounded(keys.size()));
            event = QStringLiteral("key %1 %2").arg(key).arg(modifiers.toInt());
            QTest::keyClick(&editor, key, modifiers);
        } else if (kind == 6 && random.bounded(2) == 0) {
            event = QStringLiteral("paste ") + escaped(piece);
            QGuiApplication::clipboard()->setText(piece);
            QTest::keyClick(&editor, Qt::Key_V, Qt::ControlModifier);
        } else if (kind == 6) {
            event = QStringLiteral("input method ") + escaped(piece);
            QInputMethodEvent commit;
            commit.setCommitString(QString(piece).replace(u'\r', QChar::LineSeparator));
            QApplication::sendEvent(&editor, &commit);
        } else if (kind == 7) {
            const int start = random.bounded(int(edit.Text().size()) + 1);
            const int length = random.bounded(3);
            event = QStringLiteral("write %1 %2 ").arg(start).arg(length) + escaped(piece);
            edit.setSelStart(start);
            edit.setSelLength(length);
            if (edit.SelStart() != start)
                QFAIL(qPrintable(QStringLiteral("selection start %1 read back as %2")
                                     .arg(start)
                                     .arg(edit.SelStart())));
            edit.setSelText(piece);
            if (edit.SelStart() != start + piece.size() || edit.SelLength() != 0)
                QFAIL(qPrintable(QStringLiteral("caret after a write: %1").arg(edit.SelStart())));
        } else if (kind == 8) {
            event = QStringLiteral("cut and paste");
            QTest::keyClick(&editor, Qt::Key_Left, Qt::ShiftModifier);
            QTest::keyClick(&editor, Qt::Key_X, Qt::ControlModifier);
            QTest::keyClick(&editor, Qt::Key_V, Qt::ControlModifier);
        } else {
            event = QStringLiteral("caret to %1").arg(random.bounded(int(edit.Text().size()) + 1));
            edit.setSelStart(event.mid(9).toInt());
        }
        const QString &text = edit.Text();
        const QTextCursor cursor = editor.textCursor();
        const int shownCaret = shownPosition(editor, cursor.selectionStart());
        const bool caretAgrees =
            shownCaret == edit.SelStart() ||
            (shownCaret == edit.SelStart() - 1 && text.mid(shownCaret, 2) == QLatin1String("\r\n"));
        // A lone CR shown right before a lone LF would be one line break in the model.
        const bool breaksAgree = !editor.document()->toRawText().contains(u"\u240D\u240A");
        if (shownModel(editor) != text || !caretAgrees || !breaksAgree)
            QFAIL(qPrintable(QStringLiteral("event %1 (%2) after \"%3\": model \"%4\" caret %5, "
                                            "shown \"%6\" caret %7")
                                 .arg(i)
                                 .arg(event, escaped(last), escaped(text))
                                 .arg(edit.SelStart())
                                 .arg(escaped(shownModel(editor)))
                                 .arg(shownCaret)));
        last = text;
        if (text.size() > 300) { // short texts, so that every neighbourhood recurs
            // The whole history goes back to the text set last and forward again, exactly.
            const QString latest = text;
            while (edit.canUndo())
                QTest::keyClick(&editor, Qt::Key_Backspace, Qt::AltModifier);
            QCOMPARE(edit.Text(), origin);
            while (edit.canRedo())
                QTest::keyClick(&editor, Qt::Key_Y, Qt::ControlModifier);
            QCOMPARE(edit.Text(), latest);
            origin = pieces.at(random.bounded(pieces.size())).repeated(3);
            edit.setText(origin);
        }
    }
    QVERIFY(changes > 0);
}

QTEST_MAIN(TestTextModelRandom)
#include "tst_textmodel_random.moc"
