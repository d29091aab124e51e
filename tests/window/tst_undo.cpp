#include "assisttesting.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
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
struct Caret
{
    int start;
    int length;
};

Caret caretOf(const EditControl &edit)
{
    return {edit.SelStart(), edit.SelLength()};
}

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

void TestUndo::undoAndRedo_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("expectedCaret");

    QTest::addRow("typed word") << "<p>" << 3 << ""
                                << "keys:abc"
                                << "<p>abc" << 6;
    QTest::addRow("enter") << "x" << 1 << ""
                           << "keys:{Return}"
                           << "x\r\n"
                           << 3;
    QTest::addRow("completion by space") << "" << 0 << "<ta"
                                         << "keys: "
                                         << "<table " << 7;
    QTest::addRow("attribute completed by space") << "" << 0 << "<table bo"
                                                  << "keys: "
                                                  << "<table border=" << 14;
    QTest::addRow("quoted value completed by space") << "<font face=\"\">" << 12 << "ari"
                                                     << "keys: "
                                                     << "<font face=\"arial\" >" << 19;
    QTest::addRow("space in a list") << "" << 0 << "<table b{Down}"
                                     << "keys: "
                                     << "<table background=" << 18;
    QTest::addRow("closing tag by >") << "" << 0 << "<table"
                                      << "keys:>"
                                      << "<table></table>" << 7;
    QTest::addRow("enter finishing a tag") << "" << 0 << "<br"
                                           << "keys:{Return}"
                                           << "<br>\r\n"
                                           << 6;
    QTest::addRow("insert menu command") << "abcd" << 1 << "{Shift+Right}{Shift+Right}"
                                         << "menu:<p..."
                                         << "a<p>bc</p>d" << 6;
    QTest::addRow("table command")
        << "" << 0 << ""
        << "menu:<table..."
        << "<table>\r\n   <tr>\r\n      <td></td>\r\n   </tr>\r\n</table>" << 28;
    QTest::addRow("rp all") << "a b a" << 2 << ""
                            << "rpall:a>xy"
                            << "xy b xy" << 0;
    QTest::addRow("replace") << "one two one" << 4 << "{Shift+Right}{Shift+Right}{Shift+Right}"
                             << "replace:one>x"
                             << "one x one" << 6;
    QTest::addRow("lone breaks typed over") << "a\rb\nc" << 0 << "{Ctrl+A}"
                                            << "keys:z"
                                            << "z" << 1;
    QTest::addRow("paste") << "ab" << 1 << ""
                           << "keys:{Ctrl+V}"
                           << "ap\r\nqb" << 5;
}

// One undo gives back the text, the selection and the preview before the action, one redo
// those after it; each runs the change handler once.
void TestUndo::undoAndRedo()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, setup);
    QFETCH(QString, action);
    QFETCH(QString, expected);
    QFETCH(int, expectedCaret);

    const auto window = windowWith(text, caret);
    TestWindow &test = *window;
    Form1 &form = *test.form;
    QGuiApplication::clipboard()->setText(QStringLiteral("p\nq"));
    if (!action.startsWith(QLatin1String("keys:")) && !action.startsWith(QLatin1String("menu:")))
        form.search_Click();
    form.Text1.SetFocus();
    form.Text1.setSelStart(caret);
    typeKeys(form, setup);
    const QString before = form.Text1.Text();
    const Caret caretBefore = caretOf(form.Text1);
    int changes = 0;
    form.Text1.onChange([&] {
        ++changes;
        form.Text1_Change();
    });
    act(test, action);
    QCOMPARE(form.Text1.Text(), expected);
    QCOMPARE(form.Text1.SelStart(), expectedCaret);
    const Caret caretAfter = caretOf(form.Text1);

    for (const QString &keys : {QStringLiteral("Alt+Backspace"), QStringLiteral("Ctrl+Y"),
                                QStringLiteral("Alt+Backspace"), QStringLiteral("Ctrl+Shift+Z")}) {
        const bool undoing = keys.startsWith(u'A');
        changes = 0;
        form.page.ischanged = 0;
        const QKeyCombination key = QKeySequence(keys)[0];
        QTest::keyClick(form.Text1.editor(), key.key(), key.keyboardModifiers());
        const QString &now = undoing ? before : expected;
        const Caret caretNow = undoing ? caretBefore : caretAfter;
        QCOMPARE(form.Text1.Text(), now);
        QCOMPARE(form.Text1.SelStart(), caretNow.start);
        QCOMPARE(form.Text1.SelLength(), caretNow.length);
        QCOMPARE(changes, 1);
        QCOMPARE(form.page.ischanged, qint16(1));
        QCOMPARE(test.preview(), PreviewHeader + now.toUtf8() + "\r\n");
    }
}

void TestUndo::contextMenu_data()
{
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("expectedClipboard");

    QTest::addRow("cut and paste back")
        << QStringList{QStringLiteral("Select All"), QStringLiteral("Cut"), QStringLiteral("Paste")}
        << QStringLiteral("a\r\nb\rc") << QStringLiteral("a\nb\nc");
    QTest::addRow("copy and paste over")
        << QStringList{QStringLiteral("Select All"), QStringLiteral("Copy"),
                       QStringLiteral("Paste"), QStringLiteral("Paste")}
        << QStringLiteral("a\r\nb\rca\r\nb\rc") << QStringLiteral("a\nb\nc");
    QTest::addRow("cut, undo") << QStringList{QStringLiteral("Select All"), QStringLiteral("Cut"),
                                              QStringLiteral("Undo")}
                               << QStringLiteral("a\r\nb\rc") << QStringLiteral("a\nb\nc");
    QTest::addRow("cut, undo, redo")
        << QStringList{QStringLiteral("Select All"), QStringLiteral("Cut"), QStringLiteral("Undo"),
                       QStringLiteral("Redo")}
        << QString() << QStringLiteral("a\nb\nc");
}

// The editor's own menu, opened with the mouse, works on the model text.
void TestUndo::contextMenu()
{
    QFETCH(QStringList, commands);
    QFETCH(QString, expected);
    QFETCH(QString, expectedClipboard);

    const auto window = windowWith(QStringLiteral("a\r\nb\rc"), 0);
    QWidget *const viewport = window->form->Text1.editor()->viewport();
    for (const QString &command : commands) {
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
    QCOMPARE(QGuiApplication::clipboard()->text(), expectedClipboard);
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
