#pragma once

#include "doubles/testwindow.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>

// Helpers for the markup-assistance tests: keys typed as a person types them, and what the
// person sees of the pop-up lists.
namespace AssistTesting {

// Types keys into whichever widget has the focus, letting queued strokes run after each key.
// Characters stand for themselves; "{Name}" is a key (Enter, Up, Down, Left, Right, Home, End,
// Esc, Del, BS, ShiftSpace), and "{Click=N}" clicks the editor at the caret position N.
inline void typeKeys(Form1 &form, const QString &keys)
{
    static const QHash<QString, QPair<Qt::Key, Qt::KeyboardModifiers>> named = {
        {QStringLiteral("Enter"), {Qt::Key_Return, Qt::NoModifier}},
        {QStringLiteral("Up"), {Qt::Key_Up, Qt::NoModifier}},
        {QStringLiteral("Down"), {Qt::Key_Down, Qt::NoModifier}},
        {QStringLiteral("Left"), {Qt::Key_Left, Qt::NoModifier}},
        {QStringLiteral("Right"), {Qt::Key_Right, Qt::NoModifier}},
        {QStringLiteral("Home"), {Qt::Key_Home, Qt::NoModifier}},
        {QStringLiteral("End"), {Qt::Key_End, Qt::NoModifier}},
        {QStringLiteral("Esc"), {Qt::Key_Escape, Qt::NoModifier}},
        {QStringLiteral("Del"), {Qt::Key_Delete, Qt::NoModifier}},
        {QStringLiteral("BS"), {Qt::Key_Backspace, Qt::NoModifier}},
        {QStringLiteral("ShiftSpace"), {Qt::Key_Space, Qt::ShiftModifier}},
    };
    for (qsizetype i = 0; i < keys.size(); ++i) {
        QWidget *target = QApplication::focusWidget();
        QVERIFY2(target, "no widget has the focus");
        if (keys.at(i) != u'{') {
            QTest::keyClick(target, char(keys.at(i).toLatin1()));
        } else {
            const qsizetype close = keys.indexOf(u'}', i);
            const QString name = keys.mid(i + 1, close - i - 1);
            i = close;
            if (name.startsWith(QLatin1String("Click="))) {
                QPlainTextEdit *editor = form.Text1.editor();
                const QPoint cell = form.Text1.PosFromChar(name.mid(6).toInt());
                QTest::mouseClick(editor->viewport(), Qt::LeftButton, {}, cell + QPoint(1, 4));
            } else {
                QVERIFY2(named.contains(name), qPrintable(name));
                QTest::keyClick(target, named.value(name).first, named.value(name).second);
            }
        }
        TestWindow::settle();
    }
}

// "List1", "List2", "" for none, "both" for a state that must never be.
inline QString visibleList(const Form1 &form)
{
    if (form.List1.Visible() && form.List2.Visible())
        return QStringLiteral("both");
    if (form.List1.Visible())
        return QStringLiteral("List1");
    return form.List2.Visible() ? QStringLiteral("List2") : QString();
}

// The selected word of the visible list.
inline QString selectedWord(const Form1 &form)
{
    if (form.List1.Visible())
        return form.List1.Text();
    return form.List2.Visible() ? form.List2.Text() : QString();
}

// A fresh window with the editor focused, holding `text` with the caret at `caret`.
inline std::unique_ptr<TestWindow> windowWith(const QString &text, int caret)
{
    auto window = std::make_unique<TestWindow>();
    window->load();
    Form1 &form = *window->form;
    form.Text1.SetFocus();
    form.Text1.setText(text);
    form.Text1.setSelStart(caret);
    return window;
}

inline QString focusName(const Form1 &form)
{
    const QWidget *focused = QApplication::focusWidget();
    return focused == form.Text1.editor()   ? QStringLiteral("editor")
           : focused == form.List1.widget() ? QStringLiteral("List1")
           : focused == form.List2.widget() ? QStringLiteral("List2")
                                            : QStringLiteral("elsewhere");
}

// A table of keystrokes: the starting text and caret, the keys typed, and what the person
// sees afterwards: text, caret, the visible list ("List1", "List2" or "") and its selected
// word, the focus, and the remembered tag name. "*" or a caret of -1 is not looked at.
inline void addKeyColumns()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<int>("expectedCaret");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("tagmain");
    QTest::addColumn<QString>("focus");
}

inline void keyRow(const char *name, const char *text, int caret, const char *keys,
                   const char *expectedText, int expectedCaret, const char *list,
                   const char *selected, const char *tagmain = "*", const char *focus = "editor")
{
    QTest::newRow(name) << QString::fromUtf8(text) << caret << QString::fromUtf8(keys)
                        << QString::fromUtf8(expectedText) << expectedCaret
                        << QString::fromUtf8(list) << QString::fromUtf8(selected)
                        << QString::fromUtf8(tagmain) << QString::fromUtf8(focus);
}

inline void checkKeyRow()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, keys);
    QFETCH(QString, expectedText);
    QFETCH(int, expectedCaret);
    QFETCH(QString, list);
    QFETCH(QString, selected);
    QFETCH(QString, tagmain);
    QFETCH(QString, focus);

    const auto window = windowWith(text, caret);
    Form1 &form = *window->form;
    typeKeys(form, keys);
    if (expectedText != QLatin1String("*"))
        QCOMPARE(form.Text1.Text(), expectedText);
    if (expectedCaret >= 0)
        QCOMPARE(form.Text1.SelStart(), expectedCaret);
    QCOMPARE(visibleList(form), list);
    QCOMPARE(selectedWord(form), selected);
    if (tagmain != QLatin1String("*"))
        QCOMPARE(form.assist.Tagmain, tagmain);
    QCOMPARE(focusName(form), focus);
}

} // namespace AssistTesting
