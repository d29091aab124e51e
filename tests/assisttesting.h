#pragma once

#include "doubles/testwindow.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeySequence>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <functional>

// Starting text and caret, the keys, then the text, caret, lists seen and remembered tag name
// afterwards ("*": not looked at).
struct KeyCase
{
    const char *text;
    int caret;
    const char *keys, *expectedText;
    int expectedCaret;
    const char *lists, *tagmain;
};
Q_DECLARE_METATYPE(KeyCase)

// Keys typed as a person types them, and what the person sees of the pop-up lists.
namespace AssistTesting {

// Types into the focused widget and lets queued strokes run after each key. "{Return}" and the
// like are keys by their QKeySequence names; "{Click=N}" clicks the editor at character N.
inline void typeKeys(Form1 &form, const QString &keys)
{
    static const QRegularExpression token(QStringLiteral("\\{([^}]+)\\}|."),
                                          QRegularExpression::DotMatchesEverythingOption);
    for (const QRegularExpressionMatch &match : token.globalMatch(keys)) {
        QWidget *const target = QApplication::focusWidget();
        const QString name = match.captured(1);
        const QKeyCombination key = QKeySequence(name)[0];
        if (name.startsWith(QLatin1String("Click=")))
            QTest::mouseClick(form.Text1.editor()->viewport(), Qt::LeftButton, {},
                              form.Text1.PosFromChar(name.mid(6).toInt()) + QPoint(1, 4));
        else if (!name.isEmpty())
            QTest::keyClick(target, key.key(), key.keyboardModifiers());
        else
            QTest::keyClick(target, char(match.captured().at(0).toLatin1()));
        TestWindow::settle();
    }
}

// The visible lists, each with its selected word and "*" when it has the focus: "List1 table",
// "List1 tbody*", "List2" or "".
inline QString seenLists(const Form1 &form)
{
    QString seen;
    for (const ListControl *list : {&form.List1, &form.List2}) {
        const bool focused = QApplication::focusWidget() == list->widget();
        if (list->Visible())
            seen += QStringLiteral("List%1 ").arg(list == &form.List1 ? 1 : 2) + list->Text() +
                    QLatin1String(focused ? "*" : "");
    }
    return seen.trimmed();
}

// Opens the editor's context menu, from the keyboard at the caret or from the mouse near the
// top left corner, and chooses the first enabled item whose text the test accepts; returns that
// text, or nothing when none was accepted.
inline QString chooseFromMenu(QPlainTextEdit *editor, bool fromKeyboard,
                              const std::function<bool(const QString &)> &accept)
{
    QString chosen;
    QTimer::singleShot(0, editor, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        for (QAction *action : menu->actions()) {
            if (action->isEnabled() && accept(action->text())) {
                chosen = action->text();
                menu->setActiveAction(action);
                QTest::keyClick(menu, Qt::Key_Return);
                return;
            }
        }
        menu->close();
    });
    const QPoint at = fromKeyboard ? editor->cursorRect().center() : QPoint(5, 5);
    QContextMenuEvent event(fromKeyboard ? QContextMenuEvent::Keyboard : QContextMenuEvent::Mouse,
                            at, editor->viewport()->mapToGlobal(at));
    QApplication::sendEvent(editor->viewport(), &event);
    return chosen;
}

inline std::unique_ptr<TestWindow> windowWith(const QString &text, int caret)
{
    auto window = std::make_unique<TestWindow>();
    window->load();
    window->form->Text1.SetFocus();
    window->form->Text1.setText(text);
    window->form->Text1.setSelStart(caret);
    return window;
}

inline void keyRow(const char *name, const char *text, int caret, const char *keys,
                   const char *expectedText, int expectedCaret, const char *lists,
                   const char *tagmain = "*")
{
    QTest::newRow(name) << KeyCase{text, caret, keys, expectedText, expectedCaret, lists, tagmain};
}

inline void checkKeyRow()
{
    QFETCH(KeyCase, row);
    const auto window = windowWith(QString::fromUtf8(row.text), row.caret);
    Form1 &form = *window->form;
    typeKeys(form, QString::fromUtf8(row.keys));
    QCOMPARE(form.Text1.Text(), QString::fromUtf8(row.expectedText));
    QCOMPARE(form.Text1.SelStart(), row.expectedCaret);
    QCOMPARE(seenLists(form), QString::fromUtf8(row.lists));
    if (qstrcmp(row.tagmain, "*") != 0)
        QCOMPARE(form.assist.Tagmain, QString::fromUtf8(row.tagmain));
    if (!QByteArray(row.lists).endsWith('*'))
        QCOMPARE(QApplication::focusWidget(), form.Text1.editor());
}

} // namespace AssistTesting
