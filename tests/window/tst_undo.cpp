#include "assisttesting.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

using namespace AssistTesting;

// Undo and redo of each user action as one step, with the change handler run once, so that
// the preview and the changed mark follow.
class TestUndo : public QObject
{
    Q_OBJECT

private slots:
    void undoAndRedo_data();
    void undoAndRedo();
    void contextMenu_data();
    void contextMenu();
    void openingStartsAfresh();
};

namespace {
// "keys:..." typed, "menu:caption" of the Insert menu, "rpall:find>replacement" and
// "replace:find>replacement" through the find panel's buttons.
void act(TestWindow &test, const QString &action)
{
    Form1 &form = *test.form;
    const QString what = action.section(u':', 1);
    if (action.startsWith(QLatin1String("keys:"))) {
        typeKeys(form, what);
    } else if (action.startsWith(QLatin1String("menu:"))) {
        test.trigger(what);
    } else {
        form.Text2.setText(what.section(u'>', 0, 0));
        form.Text3.setText(what.section(u'>', 1));
        Button &button = action.startsWith(QLatin1String("rpall:")) ? form.Command4 : form.Command2;
        QTest::mouseClick(button.button(), Qt::LeftButton);
    }
}
} // namespace

// The starting text and caret, keys that set the scene, then the action, and the text and
// caret after it.
struct UndoCase
{
    const char *name, *text;
    int caret;
    const char *setup, *action, *expected;
    int expectedCaret;
};
Q_DECLARE_METATYPE(UndoCase)

void TestUndo::undoAndRedo_data()
{
    QTest::addColumn<UndoCase>("row");
    const UndoCase cases[] = {
        {"typed word", "<p>", 3, "", "keys:abc", "<p>abc", 6},
        {"enter", "x", 1, "", "keys:{Return}", "x\r\n", 3},
        {"completion by space", "", 0, "<ta", "keys: ", "<table ", 7},
        {"attribute completed by space", "", 0, "<table bo", "keys: ", "<table border=", 14},
        {"quoted value completed", "<font face=\"\">", 12, "ari",
         "keys: ", "<font face=\"arial\" >", 19},
        {"space in a list", "", 0, "<table b{Down}", "keys: ", "<table background=", 18},
        {"closing tag by >", "", 0, "<table", "keys:>", "<table></table>", 7},
        {"enter finishing a tag", "", 0, "<br", "keys:{Return}", "<br>\r\n", 6},
        {"insert menu command", "abcd", 1, "{Shift+Right}{Shift+Right}", "menu:<p...",
         "a<p>bc</p>d", 6},
        {"table command", "", 0, "", "menu:<table...",
         "<table>\r\n   <tr>\r\n      <td></td>\r\n   </tr>\r\n</table>", 28},
        {"rp all", "a b a", 2, "", "rpall:a>xy", "xy b xy", 0},
        {"replace", "one two one", 4, "{Shift+Right}{Shift+Right}{Shift+Right}", "replace:one>x",
         "one x one", 6},
        {"lone breaks typed over", "a\rb\nc", 0, "{Ctrl+A}", "keys:z", "z", 1},
        {"paste", "ab", 1, "", "keys:{Ctrl+V}", "ap\r\nqb", 5},
    };
    for (const UndoCase &row : cases)
        QTest::addRow("%s", row.name) << row;
}

// One undo gives back the text, the selection and the preview before the action, one redo
// those after it; each runs the change handler once.
void TestUndo::undoAndRedo()
{
    QFETCH(UndoCase, row);
    const QString action = QString::fromUtf8(row.action);
    const QString expected = QString::fromUtf8(row.expected);

    const auto window = windowWith(QString::fromUtf8(row.text), row.caret);
    TestWindow &test = *window;
    Form1 &form = *test.form;
    QGuiApplication::clipboard()->setText(QStringLiteral("p\nq"));
    if (!action.startsWith(QLatin1String("keys:")) && !action.startsWith(QLatin1String("menu:")))
        form.search_Click();
    form.Text1.SetFocus();
    form.Text1.setSelStart(row.caret);
    typeKeys(form, QString::fromUtf8(row.setup));
    const auto caret = [&] { return qMakePair(form.Text1.SelStart(), form.Text1.SelLength()); };
    const QString before = form.Text1.Text();
    const auto caretBefore = caret();
    int changes = 0;
    form.Text1.onChange([&] {
        ++changes;
        form.Text1_Change();
    });
    act(test, action);
    QCOMPARE(form.Text1.Text(), expected);
    QCOMPARE(form.Text1.SelStart(), row.expectedCaret);
    const auto caretAfter = caret();

    for (const QString &keys : {QStringLiteral("Alt+Backspace"), QStringLiteral("Ctrl+Y"),
                                QStringLiteral("Alt+Backspace"), QStringLiteral("Ctrl+Shift+Z")}) {
        const bool undoing = keys.startsWith(u'A');
        changes = 0;
        form.page.ischanged = 0;
        const QKeyCombination key = QKeySequence(keys)[0];
        QTest::keyClick(form.Text1.editor(), key.key(), key.keyboardModifiers());
        const QString &now = undoing ? before : expected;
        QCOMPARE(form.Text1.Text(), now);
        QCOMPARE(caret(), undoing ? caretBefore : caretAfter);
        QCOMPARE(changes, 1);
        QCOMPARE(form.page.ischanged, qint16(1));
        QCOMPARE(test.preview(), PreviewHeader + now.toUtf8() + "\r\n");
    }
}

void TestUndo::contextMenu_data()
{
    QTest::addColumn<QString>("commands");
    QTest::addColumn<QString>("expected");

    QTest::addRow("copy and paste") << "Select All,Copy,Paste,Paste" << "a\r\nb\rca\r\nb\rc";
    QTest::addRow("cut, undo, redo, undo") << "Select All,Cut,Undo,Redo,Undo" << "a\r\nb\rc";
}

// The editor's own menu, opened with the mouse, works on the model text.
void TestUndo::contextMenu()
{
    QFETCH(QString, commands);
    QFETCH(QString, expected);

    const auto window = windowWith(QStringLiteral("a\r\nb\rc"), 0);
    QWidget *const viewport = window->form->Text1.editor()->viewport();
    for (const QString &command : commands.split(u',')) {
        bool chosen = false;
        QTimer::singleShot(0, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(menu);
            for (QAction *action : menu->actions()) {
                if (action->text().remove(u'&') == command && action->isEnabled()) {
                    menu->setActiveAction(action);
                    QTest::keyClick(menu, Qt::Key_Return);
                    chosen = true;
                    return;
                }
            }
            menu->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                viewport->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(viewport, &event);
        QVERIFY2(chosen, qPrintable(command));
    }
    QCOMPARE(window->form->Text1.Text(), expected);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("a\nb\nc"));
}

// Undo after opening a page never goes back into the page before it.
void TestUndo::openingStartsAfresh()
{
    TestWindow test;
    test.loadPage(QByteArrayLiteral("first\r\n"));
    Form1 &form = *test.form;
    form.Text1.SetFocus();
    test.type(QStringLiteral("abc"));
    const QString second = test.folder.filePath(QStringLiteral("second.html"));
    TestWindow::writeFile(second, QByteArrayLiteral("second\r\n"));
    test.dialog.files.append(second);
    test.messageBox.answers = {MessageBox::No};
    form.open_Click();
    const QString opened = form.Text1.Text();
    QVERIFY(opened.startsWith(QLatin1String("second")));
    QTest::keyClick(form.Text1.editor(), Qt::Key_Backspace, Qt::AltModifier);
    QCOMPARE(form.Text1.Text(), opened);
    QCOMPARE(form.page.ischanged, qint16(0));
}

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
